// The live shaders' rules with a compiler and passes that only record what they are asked: what
// a save recompiles, what reaches the passes, and what is reported when it cannot. The saves are
// noticed as SaveWatch's thread notices them, between the turns.
#include "app/live/CompileJobs.h"
#include "app/live/ShaderReload.h"
#include "tests/app/live/LiveFolder.h"

namespace Nimbra {
namespace {

// Passes that take every program but one holding "misfit", and record what is swapped in.
class RecordingMaker : public ProgramMaker
{
public:
    struct Program : Made {
        std::string text;
    };
    std::unique_ptr<Made> make(const std::string& program, const std::vector<uint8_t>& bytecode,
                               std::string& why) override
    {
        auto made = std::make_unique<Program>();
        made->text = program + "=" + std::string(bytecode.begin(), bytecode.end());
        if (made->text.find("misfit") != std::string::npos) {
            why = "t9 (extra): the pass binds nothing there";
            return nullptr;
        }
        return made;
    }
    void swapIn(Made& made) override { installed.push_back(static_cast<Program&>(made).text); }
    std::vector<std::string> installed;
};

// Jobs that answer in the turn after they start (or after `holdFor` more turns): a source
// holding "error" fails with a message, one holding "nocompiler" finds no compiler, any other
// succeeds with the source's text as its "bytecode", made for the passes as the compile thread
// makes it. Records what is started and given up.
class StandInJobs : public CompileJobs
{
public:
    explicit StandInJobs(ProgramMaker& maker) : maker(maker) {}
    void start(const CompileRequest& request) override
    {
        giveUp();
        started.push_back(request.program);
        pending = request;
    }
    bool finished(CompileResult& result) override
    {
        if (pending.program.empty() || (holdFor > 0 && holdFor--))
            return false;
        result = CompileResult();
        result.compileMs = 40;
        result.ok = pending.source.find("error") == std::string::npos;
        if (pending.source.find("nocompiler") != std::string::npos)
            result.failure = "cannot start compile-shader.sh";
        else if (result.ok) {
            result.bytecode.assign(pending.source.begin(), pending.source.end());
            result.prepared = maker.make(pending.program, result.bytecode, result.refusal);
        } else
            result.messages = pending.sourcePath + ":2:5: E5000: syntax error\n";
        pending = CompileRequest();
        return true;
    }
    void giveUp() override
    {
        if (!pending.program.empty())
            givenUp.push_back(pending.program);
        pending = CompileRequest();
    }
    void stop() override
    {
        giveUp();
        stopped = true;
    }
    ProgramMaker& maker;
    std::vector<std::string> started, givenUp;
    CompileRequest pending;
    int holdFor = 0;  // turns a job keeps running
    bool stopped = false;
};

// Notices as SaveWatch's thread gives them, played by the test: a FileWatch looked at when the
// test says, whose saves are handed on at once.
class TurnNotices : public SaveNotices
{
public:
    void watch(const std::string& path) override { files.watch(path); }
    std::vector<std::string> poll() override
    {
        std::vector<std::string> taken;
        taken.swap(noticed);
        return taken;
    }
    void whenNoticed(std::function<void(uint64_t now)> given) override { act = std::move(given); }
    void lookAt(uint64_t now)
    {
        for (std::string& path : files.poll())
            noticed.push_back(std::move(path));
        if (!noticed.empty() && act)
            act(now);
    }

private:
    FileWatch files;
    std::vector<std::string> noticed;
    std::function<void(uint64_t)> act;
};

class ShaderReloadTest : public Testing::LiveFolder
{
protected:
    void SetUp() override
    {
        LiveFolder::SetUp();
        write("Shared.hlsli", "// shared\n");
        write("oneVS.hlsl", "#include \"Shared.hlsli\"\none\n");
        write("twoPS.hlsl", "#include \"Shared.hlsli\"\ntwo\n");
        write("loneCS.hlsl", "lone\n");
        reload = std::make_unique<ShaderReload>(folder, std::vector<std::string>{"oneVS", "twoPS", "loneCS"}, compiler,
                                                installer, *notices,
                                                [this](const LiveEvent& event) { log.push_back(event); });
        reload->start(now);
    }

    // Turns of the loop 50 ms apart for `ms` milliseconds; after every other turn the files are
    // looked at, every 100 ms.
    void run(uint64_t ms)
    {
        for (uint64_t end = now + ms; now < end;) {
            now += 50;
            reload->tend(now);
            if (now % 100 == 0)
                files.lookAt(now);
        }
    }

    // The events of `kind` about `program`, as "program text" each.
    std::vector<std::string> logged(LiveEventKind kind) const
    {
        std::vector<std::string> found;
        for (const LiveEvent& event : log)
            if (event.kind == kind)
                found.push_back(event.source + " " + event.text);
        return found;
    }
    bool logged(LiveEventKind kind, const std::string& program, const std::string& text = "") const
    {
        for (const LiveEvent& event : log)
            if (event.kind == kind && event.source == program && event.text == text)
                return true;
        return false;
    }
    // Each reload as "program, ms after the save was noticed, ms the compile took".
    std::vector<std::string> reloads() const
    {
        std::vector<std::string> found;
        for (const LiveEvent& event : log)
            if (event.kind == LiveEventKind::ShaderReloaded)
                found.push_back(event.source + ", " + std::to_string(event.numbers[0]) + ", " +
                                std::to_string(event.numbers[1]));
        return found;
    }

    RecordingMaker installer;
    StandInJobs compiler{installer};
    std::vector<LiveEvent> log;
    TurnNotices files;
    SaveNotices* notices = &files;
    std::unique_ptr<ShaderReload> reload;
    uint64_t now = 5000;
};

// Notices whose thread the test plays: it says what was saved and when, as SaveWatch's thread
// would.
class HandNotices : public SaveNotices
{
public:
    void watch(const std::string&) override {}
    std::vector<std::string> poll() override
    {
        std::vector<std::string> taken;
        taken.swap(saved);
        return taken;
    }
    void whenNoticed(std::function<void(uint64_t now)> given) override { act = std::move(given); }
    void notice(const std::string& path, uint64_t at)
    {
        saved.push_back(path);
        if (act)
            act(at);
    }
    std::vector<std::string> saved;
    std::function<void(uint64_t)> act;
};

class ShaderReloadNoticed : public ShaderReloadTest
{
protected:
    ShaderReloadNoticed() { notices = &hand; }
    ~ShaderReloadNoticed() override { reload.reset(); }  // it stops the notices, which go first
    HandNotices hand;
};

TEST_F(ShaderReloadTest, ASavedSourceReplacesItsProgramOnly)
{
    run(1000);
    EXPECT_TRUE(compiler.started.empty());  // nothing saved, nothing compiled

    write("twoPS.hlsl", "#include \"Shared.hlsli\"\ntwo, edited\n");
    run(300);
    EXPECT_EQ(compiler.started, std::vector<std::string>{"twoPS"});
    EXPECT_EQ(installer.installed, std::vector<std::string>{"twoPS=#include \"Shared.hlsli\"\ntwo, edited\n"});
    EXPECT_EQ(reloads().size(), 1u);
    EXPECT_EQ(log.back().kind, LiveEventKind::ShaderReloaded);
    EXPECT_TRUE(reload->idle());
}

TEST_F(ShaderReloadTest, ASavedIncludeRecompilesEveryProgramThatReadsIt)
{
    write("Shared.hlsli", "// shared, edited\n");
    write("oneVS.hlsl", "#include \"Shared.hlsli\"\none, edited\n");  // saved with it: compiled once
    run(600);
    EXPECT_EQ(compiler.started, (std::vector<std::string>{"oneVS", "twoPS"}));
    EXPECT_EQ(installer.installed.size(), 2u);

    // An include added by a save is watched from then on.
    write("Extra.hlsli", "// extra\n");
    write("loneCS.hlsl", "#include \"Extra.hlsli\"\nlone\n");
    run(300);
    write("Extra.hlsli", "// extra, edited\n");
    run(300);
    EXPECT_EQ(compiler.started, (std::vector<std::string>{"oneVS", "twoPS", "loneCS", "loneCS"}));
}

TEST_F(ShaderReloadTest, WhatFailsKeepsTheProgramAndSaysWhy)
{
    write("oneVS.hlsl", "one, error\n");
    run(300);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].kind, LiveEventKind::CompilerMessage);
    EXPECT_EQ(log[0].source, "oneVS");
    EXPECT_EQ(log[0].file, path("oneVS.hlsl"));
    EXPECT_EQ(log[0].line, 2u);
    EXPECT_EQ(log[0].text, "syntax error");
    EXPECT_TRUE(logged(LiveEventKind::ShaderFailed, "oneVS"));

    write("oneVS.hlsl", "one, misfit\n");
    run(300);
    EXPECT_TRUE(logged(LiveEventKind::ShaderRefused, "oneVS", "t9 (extra): the pass binds nothing there"));

    write("twoPS.hlsl", std::string("\0\1binary", 8));
    run(300);
    write("loneCS.hlsl", "");
    run(300);
    std::filesystem::remove(path("oneVS.hlsl"));
    run(300);
    write("twoPS.hlsl", "two, nocompiler\n");
    run(300);
    EXPECT_TRUE(logged(LiveEventKind::ShaderCompilerFailed, "twoPS", "cannot start compile-shader.sh"));
    EXPECT_EQ(logged(LiveEventKind::ShaderSourceUnusable),
              (std::vector<std::string>{"twoPS is not text (it holds a NUL byte)", "loneCS is empty",
                                        "oneVS cannot be opened (deleted?)"}));
    for (const LiveEvent& event : log) {
        if (event.kind == LiveEventKind::ShaderSourceUnusable) {
            EXPECT_EQ(event.file, path(event.source + ".hlsl"));
        }
    }
    EXPECT_TRUE(installer.installed.empty());

    // A good save after all that goes in.
    write("oneVS.hlsl", "one, good again\n");
    run(300);
    EXPECT_EQ(installer.installed.back(), "oneVS=one, good again\n");
}

TEST_F(ShaderReloadTest, OneJobAtATimeAndAStuckCompilerIsGivenUp)
{
    compiler.holdFor = 3;
    write("oneVS.hlsl", "one, edited\n");
    write("loneCS.hlsl", "lone, edited\n");
    run(200);
    EXPECT_EQ(compiler.started, std::vector<std::string>{"oneVS"});  // loneCS waits its turn
    run(400);
    EXPECT_EQ(compiler.started, (std::vector<std::string>{"oneVS", "loneCS"}));
    EXPECT_EQ(installer.installed.size(), 2u);
    // Both saves were noticed at 5200 and oneVS started then; it finished at 5400 after three
    // turns held, and loneCS, started then, at 5450: each counted from the notice.
    EXPECT_EQ(reloads(), (std::vector<std::string>{"oneVS, 200, 40", "loneCS, 250, 40"}));

    compiler.holdFor = 1 << 30;
    write("twoPS.hlsl", "two, edited\n");
    run(61000);
    EXPECT_TRUE(logged(LiveEventKind::ShaderCompilerFailed, "twoPS", "the compiler did not finish in 60 s"));
    EXPECT_EQ(compiler.givenUp, std::vector<std::string>{"twoPS"});
    EXPECT_TRUE(reload->idle());
}

TEST_F(ShaderReloadTest, ASaveWhileItCompilesGivesUpTheOlderJobAndTheNewestWins)
{
    compiler.holdFor = 1 << 30;
    write("oneVS.hlsl", "one, first\n");
    write("loneCS.hlsl", "lone, edited\n");
    run(300);
    write("oneVS.hlsl", "one, second\n");
    run(300);
    write("oneVS.hlsl", "one, third\n");
    run(300);
    EXPECT_EQ(compiler.started, (std::vector<std::string>{"oneVS", "oneVS", "oneVS"}));  // loneCS still waits
    EXPECT_EQ(compiler.givenUp, (std::vector<std::string>{"oneVS", "oneVS"}));
    compiler.holdFor = 0;
    run(300);
    EXPECT_EQ(installer.installed, (std::vector<std::string>{"oneVS=one, third\n", "loneCS=lone, edited\n"}));

    // A save that cannot be read gives up the job of the save before it too.
    compiler.holdFor = 1 << 30;
    write("oneVS.hlsl", "one, fourth\n");
    run(300);
    write("oneVS.hlsl", "");
    run(300);
    compiler.holdFor = 0;
    run(300);
    EXPECT_EQ(installer.installed.size(), 2u);
    EXPECT_TRUE(reload->idle());

    // At the end the job that runs is given up and the jobs end.
    compiler.holdFor = 1 << 30;
    write("twoPS.hlsl", "two, edited\n");
    run(300);
    reload->stop();
    EXPECT_TRUE(compiler.stopped);
    EXPECT_EQ(compiler.givenUp.back(), "twoPS");
    EXPECT_TRUE(reload->idle());
}

TEST_F(ShaderReloadNoticed, TheNoticesThreadStartsTheJobAndTheTurnOnlyTakesIt)
{
    write("twoPS.hlsl", "two, first\n");
    hand.notice(path("twoPS.hlsl"), 5010);
    EXPECT_EQ(compiler.started, std::vector<std::string>{"twoPS"});  // before any turn
    write("twoPS.hlsl", "two, second\n");
    hand.notice(path("twoPS.hlsl"), 5020);
    EXPECT_EQ(compiler.started, (std::vector<std::string>{"twoPS", "twoPS"}));
    EXPECT_EQ(compiler.givenUp, std::vector<std::string>{"twoPS"});
    EXPECT_TRUE(installer.installed.empty());

    reload->tend(5050);
    EXPECT_EQ(installer.installed, std::vector<std::string>{"twoPS=two, second\n"});
    EXPECT_EQ(reloads(), std::vector<std::string>{"twoPS, 30, 40"});

    // What that thread finds wrong is told in the next turn; a turn whose clock was read just
    // before the notice counts no time.
    write("loneCS.hlsl", "");
    hand.notice(path("loneCS.hlsl"), 5100);
    EXPECT_EQ(log.size(), 1u);
    write("oneVS.hlsl", "one, edited\n");
    hand.notice(path("oneVS.hlsl"), 5200);
    reload->tend(5190);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[1].kind, LiveEventKind::ShaderSourceUnusable);
    EXPECT_EQ(log[1].source, "loneCS");
    EXPECT_EQ(reloads(), (std::vector<std::string>{"twoPS, 30, 40", "oneVS, 0, 40"}));
}

}  // namespace
}  // namespace Nimbra
