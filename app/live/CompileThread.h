#pragma once
// Runs a ShaderCompiler's jobs on a thread of its own, one at a time: the frame thread hands a
// job over and collects its result in a later turn. A job handed over while another runs gives
// that one up (its result is dropped) and runs as soon as the compiler returns from it: the
// newest save wins. stop() waits for the job that runs to return, so a compiler that cannot be
// interrupted (D3DCompile) delays it by at most one compile.
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
    explicit CompileThread(ShaderCompiler& compiler);
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
