#pragma once
// Runs a ShaderCompiler's jobs one at a time off the frame thread, and has the maker make each program that compiled
// and is still wanted, so that the frame thread only swaps it in. A new job gives up the running one (the newest save
// wins); stop() waits for the running job, so an uninterruptible compiler (D3DCompile) delays it by one compile.
#include "app/live/CompileJobs.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace Nimbra {

class CompileThread : public CompileJobs
{
public:
    CompileThread(ShaderCompiler& compiler, ProgramMaker& maker);
    ~CompileThread() override;
    CompileThread(const CompileThread&) = delete;
    CompileThread& operator=(const CompileThread&) = delete;

    void start(const CompileRequest& request) override;
    bool finished(CompileResult& result) override;
    void giveUp() override;
    void stop() override;

private:
    void run();

    ShaderCompiler& compiler;
    ProgramMaker& maker;
    std::mutex mutex;
    std::condition_variable wake;
    // Under the mutex: the job waiting to run, the number of the last one handed over, and the
    // result of the one that ran last when it is that one.
    CompileRequest waiting;
    bool hasWaiting = false;
    uint64_t lastJob = 0;
    CompileResult result;
    bool hasResult = false;
    bool stopping = false;
    bool stopped = false;
    // Set when the job that runs is no longer wanted; the compiler looks at it as it works.
    std::atomic<bool> givenUp{false};
    std::thread thread;
};

}  // namespace Nimbra
