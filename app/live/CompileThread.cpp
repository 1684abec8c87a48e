#include "app/live/CompileThread.h"

#include <chrono>

namespace Nimbra {

CompileThread::CompileThread(ShaderCompiler& compiler, ProgramMaker& maker)
    : compiler(compiler), maker(maker), thread(&CompileThread::run, this)
{
}

CompileThread::~CompileThread()
{
    stop();
}

void CompileThread::start(const CompileRequest& request)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (stopping)
        return;
    givenUp = true;  // the job that runs, if any; the thread clears it for the next
    waiting = request;
    hasWaiting = true;
    hasResult = false;
    ++lastJob;
    wake.notify_one();
}

bool CompileThread::finished(CompileResult& out)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (!hasResult)
        return false;
    out = std::move(result);
    hasResult = false;
    return true;
}

void CompileThread::giveUp()
{
    std::lock_guard<std::mutex> lock(mutex);
    givenUp = true;
    hasWaiting = false;
    hasResult = false;
    ++lastJob;  // whatever runs now answers for no job
}

void CompileThread::stop()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (stopped)
            return;
        stopping = stopped = true;
        givenUp = true;
        hasWaiting = false;
        wake.notify_one();
    }
    thread.join();
    compiler.removeFiles();
}

void CompileThread::run()
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        wake.wait(lock, [this] { return stopping || hasWaiting; });
        if (stopping)
            return;
        const CompileRequest request = std::move(waiting);
        const uint64_t job = lastJob;
        hasWaiting = false;
        givenUp = false;
        lock.unlock();
        const auto began = std::chrono::steady_clock::now();
        CompileResult done = compiler.compile(request, givenUp);
        done.compileMs = uint32_t(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - began).count());
        if (done.ok && !givenUp)
            done.prepared = maker.make(request.program, done.bytecode, done.refusal);
        lock.lock();
        if (job == lastJob && !stopping) {
            result = std::move(done);
            hasResult = true;
        }
    }
}

}  // namespace Nimbra
