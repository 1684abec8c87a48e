#pragma once
// The frame thread's side of compiling a program: a job is handed over and looked at once a
// turn, never waited for, so that frames keep coming while it compiles. CompileThread is the
// one that runs them; the tests of ShaderReload put a stand-in in its place.
#include "app/live/ShaderCompiler.h"

namespace Nimbra {

class CompileJobs
{
public:
    virtual ~CompileJobs() = default;
    // Hands over a job; the job before it, if it is not over yet, is given up.
    virtual void start(const CompileRequest& request) = 0;
    // True once the job last started is over, with its result (once).
    virtual bool finished(CompileResult& result) = 0;
    // Gives up the job last started: its result is dropped.
    virtual void giveUp() = 0;
    // Gives up what runs, ends, and removes every file the compiler made. Nothing starts after.
    virtual void stop() = 0;
};

}  // namespace Nimbra
