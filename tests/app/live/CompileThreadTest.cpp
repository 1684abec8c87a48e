// The compile thread's hand-off with a compiler that holds each job until the test lets it go:
// the frame thread never waits for a job, a newer job gives up the one that runs, and a job
// given up answers for nothing. The waits below wait for the other thread to get somewhere,
// never for a time.
#include "app/live/CompileThread.h"
#include "app/live/SaveWatch.h"
#include "app/live/ShaderReload.h"
#include "tests/app/live/LiveFolder.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace Nimbra {
namespace {

class HeldCompiler : public ShaderCompiler
{
public:
    CompileResult compile(const CompileRequest& request, const std::atomic<bool>& givenUp) override
    {
        std::unique_lock<std::mutex> lock(mutex);
        running.push_back(request.source);
        changed.notify_all();
        // The flag is set without this mutex: it is looked at again every millisecond.
        while (!(givenUp && heedsGiveUp) && releases == 0)
            changed.wait_for(lock, std::chrono::milliseconds(1));
        CompileResult result;
        if (givenUp && heedsGiveUp) {
            ended.push_back("given up: " + request.source);
        } else {
            --releases;
            ended.push_back("done: " + request.source);
            result.ok = true;
            result.bytecode.assign(request.source.begin(), request.source.end());
        }
        changed.notify_all();
        return result;
    }
    void removeFiles() override { ++removals; }

    void release()
    {
        std::lock_guard<std::mutex> lock(mutex);
        ++releases;
        changed.notify_all();
    }
    // Waits until `count` jobs have begun, or ended.
    void waitUntilRunning(size_t count) { waitFor(running, count); }
    void waitUntilEnded(size_t count) { waitFor(ended, count); }
    size_t runningCount()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return running.size();
    }

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> running, ended;  // under the mutex
    int releases = 0;
    int removals = 0;
    bool heedsGiveUp = true;  // false: runs to its end, like D3DCompile

private:
    void waitFor(const std::vector<std::string>& list, size_t count)
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return list.size() >= count; });
    }
};

// Passes that take every program, made on the thread that asks; what each job made and what
// was swapped in, as "program=bytes".
class RecordingMaker : public ProgramMaker
{
public:
    struct Program : Made {
        std::string text;
    };
    std::unique_ptr<Made> make(const std::string& program, const std::vector<uint8_t>& bytecode, std::string&) override
    {
        auto made = std::make_unique<Program>();
        made->text = program + "=" + std::string(bytecode.begin(), bytecode.end());
        std::lock_guard<std::mutex> lock(mutex);
        madeOn.push_back(std::this_thread::get_id());
        return made;
    }
    void swapIn(Made& made) override { installed.push_back(static_cast<Program&>(made).text); }
    std::mutex mutex;
    std::vector<std::thread::id> madeOn;  // under the mutex
    std::vector<std::string> installed;
};

CompileRequest requestFor(const std::string& source)
{
    CompileRequest request;
    request.program = "onePS";
    request.source = source;
    return request;
}

// Asks every turn until the job last started answers.
std::string collect(CompileJobs& jobs)
{
    CompileResult result;
    while (!jobs.finished(result))
        std::this_thread::yield();
    return std::string(result.bytecode.begin(), result.bytecode.end());
}

TEST(CompileThread, ANewerJobGivesUpTheOneThatRunsAndOnlyTheNewestAnswers)
{
    HeldCompiler compiler;
    RecordingMaker maker;
    CompileThread jobs(compiler, maker);
    jobs.start(requestFor("first"));
    compiler.waitUntilRunning(1);
    jobs.start(requestFor("second"));
    compiler.waitUntilRunning(2);
    jobs.start(requestFor("third"));
    compiler.release();
    EXPECT_EQ(collect(jobs), "third");
    CompileResult again;
    EXPECT_FALSE(jobs.finished(again));  // once
    EXPECT_EQ(compiler.ended, (std::vector<std::string>{"given up: first", "given up: second", "done: third"}));
}

TEST(CompileThread, AJobGivenUpAnswersForNothingEvenWhenItRunsToItsEnd)
{
    HeldCompiler compiler;
    compiler.heedsGiveUp = false;
    RecordingMaker maker;
    CompileThread jobs(compiler, maker);
    jobs.start(requestFor("unwanted"));
    compiler.waitUntilRunning(1);
    jobs.giveUp();
    compiler.release();
    compiler.waitUntilEnded(1);
    jobs.stop();  // the thread is done with the job once it has ended
    CompileResult result;
    EXPECT_FALSE(jobs.finished(result));
    EXPECT_EQ(compiler.ended, std::vector<std::string>{"done: unwanted"});
    EXPECT_TRUE(maker.madeOn.empty()) << "a job given up is not made for the passes";
}

TEST(CompileThread, StopGivesUpTheJobThatRunsAndRemovesTheFilesOnce)
{
    HeldCompiler compiler;
    RecordingMaker maker;
    CompileThread jobs(compiler, maker);
    jobs.start(requestFor("held"));
    compiler.waitUntilRunning(1);
    jobs.stop();
    EXPECT_EQ(compiler.ended, std::vector<std::string>{"given up: held"});
    EXPECT_EQ(compiler.removals, 1);
    jobs.start(requestFor("after"));
    jobs.stop();
    EXPECT_EQ(compiler.running.size(), 1u);
    EXPECT_EQ(compiler.removals, 1);
}

// A job still wanted comes with its program made for the passes, on the compile thread; one
// given up is never made.
TEST(CompileThread, AJobStillWantedIsMadeOnItsThreadBeforeItAnswers)
{
    HeldCompiler compiler;
    compiler.heedsGiveUp = false;
    RecordingMaker maker;
    CompileThread jobs(compiler, maker);
    jobs.start(requestFor("unwanted"));
    compiler.waitUntilRunning(1);
    jobs.start(requestFor("wanted"));
    compiler.release();
    compiler.release();
    CompileResult result;
    while (!jobs.finished(result))
        std::this_thread::yield();
    ASSERT_NE(result.prepared, nullptr);
    EXPECT_EQ(static_cast<RecordingMaker::Program&>(*result.prepared).text, "onePS=wanted");
    std::lock_guard<std::mutex> lock(maker.mutex);
    ASSERT_EQ(maker.madeOn.size(), 1u);
    EXPECT_NE(maker.madeOn[0], std::this_thread::get_id());
}

using CompileThreadReload = Testing::LiveFolder;

TEST_F(CompileThreadReload, TurnsGoOnWhileAProgramCompiles)
{
    write("onePS.hlsl", "one\n");
    HeldCompiler compiler;
    RecordingMaker maker;
    CompileThread jobs(compiler, maker);
    SaveWatch saves(1);
    std::vector<LiveEvent> log;
    ShaderReload reload(folder, {"onePS"}, jobs, maker, saves, [&](const LiveEvent& event) { log.push_back(event); });
    // The turns' clock is the watch's own, the steady clock's milliseconds, as in demo-sync.
    uint64_t now = uint64_t(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
    reload.start(now);
    save("onePS.hlsl", "one, edited\n");
    while (compiler.runningCount() == 0)
        reload.tend(now);  // the watch's thread notices the save, the turn hands the job over

    for (int turn = 0; turn < 100; ++turn)
        reload.tend(now += 50);  // held: every turn returns
    EXPECT_TRUE(maker.installed.empty());
    EXPECT_FALSE(reload.idle());

    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the compile takes 300 ms at least
    compiler.release();
    while (maker.installed.empty()) {
        reload.tend(now);  // the time stands, so the job's limit cannot run out however long this takes
        std::this_thread::yield();
    }
    EXPECT_EQ(maker.installed, std::vector<std::string>{"onePS=one, edited\n"});
    EXPECT_TRUE(reload.idle());
    // The compile's time in milliseconds: 300 or more, far below the 300000 it would be in microseconds.
    ASSERT_FALSE(log.empty());
    ASSERT_EQ(log.back().kind, LiveEventKind::ShaderReloaded);
    EXPECT_GE(log.back().numbers[1], 300u);
    EXPECT_LT(log.back().numbers[1], 300000u);
}

}  // namespace
}  // namespace Nimbra
