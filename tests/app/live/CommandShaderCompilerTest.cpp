// The host's compiler route end to end on this machine: scripts/compile-shader.sh with the
// project's own compiler, started in the background the way demo-sync starts it, answering
// through its files.
#include "app/live/BatchCommand.h"
#include "app/live/CommandShaderCompiler.h"
#include "tests/app/live/LiveFolder.h"
#include "tests/support/DxbcChecksum.h"

#include <cstdlib>
#include <memory>

namespace Nimbra {
namespace {

// A command started by the shell: it cannot be ended, as a Unix command under Wine.
class ShellCommand : public StartedCommand
{
public:
    bool end() override { return false; }
};

class CommandShaderCompilerTest : public Testing::LiveFolder
{
protected:
    void SetUp() override
    {
        LiveFolder::SetUp();
        work = path("work");
        std::filesystem::create_directories(work);
    }

    CompileRequest requestFor(const std::string& name, const std::string& source)
    {
        write(name + ".hlsl", source);
        CompileRequest request;
        request.program = name;
        request.sourcePath = path(name + ".hlsl");
        request.source = source;
        EXPECT_TRUE(programStage(name, request.stage));
        return request;
    }

    // Compiles `source` as program `name`; waits for the job's files, however long it takes.
    CompileResult compile(const std::string& name, const std::string& source)
    {
        CommandShaderCompiler compiler(
            std::string(NIMBRA_SOURCE_DIR) + "/scripts/compile-shader.sh", work,
            [this](const std::string& line) -> std::unique_ptr<StartedCommand> {
                commandLines.push_back(line);
                if (std::system((line + " &").c_str()) != 0)
                    return nullptr;
                return std::make_unique<ShellCommand>();
            },
            [](const std::string& path) { return path; });
        const std::atomic<bool> wanted{false};
        return compiler.compile(requestFor(name, source), wanted);
    }

    size_t filesIn(const std::string& folder) const
    {
        return size_t(std::distance(std::filesystem::directory_iterator(folder), {}));
    }

    std::string work;
    std::vector<std::string> commandLines;
};

TEST_F(CommandShaderCompilerTest, AGoodProgramBecomesBytecodeAndABadOneItsMessages)
{
    write("Colour.hlsli", "static const float4 Colour = float4(1, 0.5, 0, 1);\n");
    const CompileResult good =
        compile("goodPS", "#include \"Colour.hlsli\"\nfloat4 pixel_main() : SV_Target { return Colour; }\n");
    ASSERT_TRUE(good.ok) << good.messages;
    ASSERT_GT(good.bytecode.size(), 4u);
    EXPECT_EQ(std::string(good.bytecode.begin(), good.bytecode.begin() + 4), "DXBC");
    // Signed as Windows requires of every program it takes.
    EXPECT_TRUE(Testing::dxbcChecksumMatches(good.bytecode.data(), good.bytecode.size()));
    EXPECT_EQ(commandLines.back(), std::string(NIMBRA_SOURCE_DIR) + "/scripts/compile-shader.sh ps_5_0 pixel_main " +
                                       path("goodPS.hlsl") + " " + work + "/goodPS-1.dxbc");

    const CompileResult bad = compile("badVS", "float4 vertex_main() : SV_Position\n{\n    return nothing;\n}\n");
    EXPECT_FALSE(bad.ok);
    EXPECT_TRUE(bad.bytecode.empty());
    EXPECT_NE(bad.messages.find(path("badVS.hlsl") + ":3:"), std::string::npos) << bad.messages;

    // The job's files are gone once it has answered.
    EXPECT_EQ(filesIn(work), 0u);
}

// A command that does nothing until the test writes its files for it, and says whether it could
// be ended.
class StandInCommand : public StartedCommand
{
public:
    explicit StandInCommand(bool endable) : endable(endable) {}
    bool end() override { return endable; }
    bool endable;
};

TEST_F(CommandShaderCompilerTest, AJobGivenUpLeavesNoFilesAndTheFolderGoesAtTheEnd)
{
    bool endable = true;
    std::vector<std::string> outputs;
    CommandShaderCompiler compiler(
        "compile", work,
        [&](const std::string& line) -> std::unique_ptr<StartedCommand> {
            outputs.push_back(line.substr(line.rfind(' ') + 1));
            std::ofstream(outputs.back() + ".log") << "started\n";  // what a command writes first
            return std::make_unique<StandInCommand>(endable);
        },
        [](const std::string& path) { return path; });
    const std::atomic<bool> givenUp{true};

    // Ended at once: its files go with it.
    EXPECT_FALSE(compiler.compile(requestFor("onePS", "one"), givenUp).ok);
    EXPECT_EQ(filesIn(work), 0u);

    // Not to be ended: its files go once it has written its status, seen by the next job.
    endable = false;
    compiler.compile(requestFor("onePS", "one"), givenUp);
    EXPECT_EQ(filesIn(work), 1u);
    std::ofstream(outputs.back()) << "DXBC";
    std::ofstream(outputs.back() + ".done") << "0\n";
    compiler.compile(requestFor("twoPS", "two"), givenUp);
    EXPECT_EQ(filesIn(work), 1u);  // the new job's log only
    EXPECT_EQ(outputs,
              (std::vector<std::string>{work + "/onePS-1.dxbc", work + "/onePS-2.dxbc", work + "/twoPS-3.dxbc"}));

    // At the end the folder goes, with whatever a job still running left there.
    compiler.removeFiles();
    EXPECT_FALSE(std::filesystem::exists(work));
    EXPECT_EQ(filesIn(folder), 2u);  // the sources
}

TEST(QuotedArgument, QuotesWhatACommandLineWouldSplit)
{
    EXPECT_EQ(quotedArgument("/plain/path.hlsl"), "/plain/path.hlsl");
    EXPECT_EQ(quotedArgument("C:\\with space\\a.hlsl"), "\"C:\\with space\\a.hlsl\"");
    EXPECT_EQ(quotedArgument("say \"hi\""), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(quotedArgument("ends in\\"), "\"ends in\\\\\"");
    EXPECT_EQ(quotedArgument(""), "\"\"");
    // cmd.exe's operators and separators, which would end or split a batch file's argument.
    for (const char* word : {"C:\\R&D\\a.hlsl", "a|b", "a<b", "a>b", "(a)", "a^b", "a,b", "a;b", "a=b"})
        EXPECT_EQ(quotedArgument(word), "\"" + std::string(word) + "\"") << word;
}

// A batch file goes to cmd.exe, the whole line between the quotes /s strips.
TEST(BatchCommand, BatchFilesRunThroughTheInterpreter)
{
    for (const char* path : {"C:\\tools\\compile.cmd", "compile.BAT", "x.Cmd"})
        EXPECT_TRUE(isBatchFile(path)) << path;
    for (const char* path : {"compile.sh", "compile.exe", "C:\\cmd\\fxc", ".bat", "compile.cmd.txt"})
        EXPECT_FALSE(isBatchFile(path)) << path;
    const std::string cmd = "C:\\Windows\\system32\\cmd.exe";
    const std::string line = "\"C:\\R&D\\c.cmd\" ps_5_0 \"a b.hlsl\"";
    const std::string viaCmd = cmd + " /d /v:off /s /c \"\"C:\\R&D\\c.cmd\" ps_5_0 \"a b.hlsl\"\"";
    EXPECT_EQ(batchCommandLine(cmd, line), viaCmd);
    const struct {
        const char* program;
        const char* interpreter;
        ProcessLaunch launch;
    } cases[] = {
        {"C:\\R&D\\c.cmd", cmd.c_str(), {cmd, viaCmd}},
        {"C:\\R&D\\c.cmd", "", {"", ""}},  // no interpreter: not started
        {"C:\\R&D\\fxc.exe", cmd.c_str(), {"", line}},
    };
    for (const auto& c : cases) {
        const ProcessLaunch launch = processLaunch(c.program, line, c.interpreter);
        EXPECT_EQ(launch.application, c.launch.application) << c.program;
        EXPECT_EQ(launch.commandLine, c.launch.commandLine) << c.program;
    }
}

}  // namespace
}  // namespace Nimbra
