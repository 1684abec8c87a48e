// The live shaders' rules with a compiler and passes that only record what they are asked: what
// a save recompiles, what reaches the passes, and what is reported when it cannot.
#include "app/live/CompileJobs.h"
#include "app/live/ShaderReload.h"
#include "tests/app/live/LiveFolder.h"

namespace Nimbra {
namespace {

// Jobs that answer in the turn after they start (or after `holdFor` more turns): a source
// holding "error" fails with a message, one holding "nocompiler" finds no compiler, any other
// succeeds with the source's text as its "bytecode". Records what is started and given up.
class StandInJobs : public CompileJobs
{
public:
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
        else if (result.ok)
            result.bytecode.assign(pending.source.begin(), pending.source.end());
        else
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
    std::vector<std::string> started, givenUp;
    CompileRequest pending;
    int holdFor = 0;  // turns a job keeps running
    bool stopped = false;
};

class RecordingInstaller : public ProgramInstaller
{
public:
    bool install(const std::string& program, const std::vector<uint8_t>& bytecode, std::string& why) override
    {
        const std::string text(bytecode.begin(), bytecode.end());
        if (text.find("misfit") != std::string::npos) {
            why = "t9 (extra): the pass binds nothing there";
            return false;
        }
        installed.push_back(program + "=" + text);
        return true;
    }
    std::vector<std::string> installed;
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
        reload = std::make_unique<ShaderReload>(
            folder, std::vector<std::string>{"oneVS", "twoPS", "loneCS"}, compiler, installer,
            [this](const std::string& line) { log.push_back(line); },
            [this](const std::string& line) { messages.push_back(line); }, 100, 60000, notices);
        reload->start(now);
    }

    // Turns of the loop 50 ms apart for `ms` milliseconds: the files are looked at every 100 ms.
    void run(uint64_t ms)
    {
        for (uint64_t end = now + ms; now < end;) {
            now += 50;
            reload->tend(now);
        }
    }

    bool logged(const std::string& start) const
    {
        for (const std::string& line : log)
            if (line.compare(0, start.size(), start) == 0)
                return true;
        return false;
    }

    StandInJobs compiler;
    RecordingInstaller installer;
    std::vector<std::string> log, messages;
    std::unique_ptr<ShaderReload> reload;
    SaveNotices* notices = nullptr;  // null: the files are polled in the turns
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
    EXPECT_TRUE(logged("shader twoPS reloaded (")) << log.back();
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
    EXPECT_EQ(messages, std::vector<std::string>{path("oneVS.hlsl") + ":2: syntax error"});
    EXPECT_TRUE(logged("shader oneVS: failed to compile, it keeps its program"));

    write("oneVS.hlsl", "one, misfit\n");
    run(300);
    EXPECT_TRUE(logged("shader oneVS refused: t9 (extra): the pass binds nothing there"));

    write("twoPS.hlsl", std::string("\0\1binary", 8));
    run(300);
    write("loneCS.hlsl", "");
    run(300);
    std::filesystem::remove(path("oneVS.hlsl"));
    run(300);
    write("twoPS.hlsl", "two, nocompiler\n");
    run(300);
    EXPECT_TRUE(logged("shader twoPS: cannot start compile-shader.sh"));
    EXPECT_TRUE(logged("shader twoPS: " + path("twoPS.hlsl") + " is not text (it holds a NUL byte), it keeps"));
    EXPECT_TRUE(logged("shader loneCS: " + path("loneCS.hlsl") + " is empty, it keeps its program"));
    EXPECT_TRUE(logged("shader oneVS: " + path("oneVS.hlsl") + " cannot be opened (deleted?), it keeps"));
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
    EXPECT_EQ(log, (std::vector<std::string>{
                       "shader oneVS reloaded (200 ms after the save was noticed, compiled in 40 ms)",
                       "shader loneCS reloaded (250 ms after the save was noticed, compiled in 40 ms)"}));

    compiler.holdFor = 1 << 30;
    write("twoPS.hlsl", "two, edited\n");
    run(61000);
    EXPECT_TRUE(logged("shader twoPS: the compiler did not finish in 60 s"));
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
    EXPECT_EQ(log,
              std::vector<std::string>{"shader twoPS reloaded (30 ms after the save was noticed, compiled in 40 ms)"});

    // What that thread finds wrong is told in the next turn; a turn whose clock was read just
    // before the notice counts no time.
    write("loneCS.hlsl", "");
    hand.notice(path("loneCS.hlsl"), 5100);
    EXPECT_EQ(log.size(), 1u);
    write("oneVS.hlsl", "one, edited\n");
    hand.notice(path("oneVS.hlsl"), 5200);
    reload->tend(5190);
    EXPECT_EQ(log,
              (std::vector<std::string>{"shader twoPS reloaded (30 ms after the save was noticed, compiled in 40 ms)",
                                        "shader loneCS: " + path("loneCS.hlsl") + " is empty, it keeps its program",
                                        "shader oneVS reloaded (0 ms after the save was noticed, compiled in 40 ms)"}));
}

}  // namespace
}  // namespace Nimbra
