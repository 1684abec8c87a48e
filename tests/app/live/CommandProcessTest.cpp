// Compile commands started the Windows way: a batch file through cmd.exe, with words cmd would
// split or take for operators arriving whole, and ended together with what it started.
#include "app/FilePaths.h"
#include "app/BoundedRead.h"
#include "app/live/CommandProcess.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>

namespace Nimbra {
namespace {

std::string text(const std::string& path)
{
    std::string bytes, why;
    readFileUpTo(path, 1 << 16, bytes, why);
    return bytes;
}

// Waits until `path` exists; the limit only keeps a command that never started from hanging.
bool appears(const std::string& path)
{
    std::error_code error;
    for (int i = 0; i < 30000 && !std::filesystem::exists(pathFromUtf8(path), error); ++i)
        Sleep(1);
    return std::filesystem::exists(pathFromUtf8(path), error);
}

// The stand-in's report once it can be read: it is renamed into place whole, but under Wine a
// read can still meet the rename under way and open nothing. Empty if it never comes.
std::string reportOnceThere(const std::string& path)
{
    std::string bytes;
    for (int i = 0; i < 30000 && (bytes = text(path)).empty(); ++i)
        Sleep(1);
    return bytes;
}

// Ends a command however its test ends, so that a stand-in that waits for ever never outlives a
// failed check.
struct EndsCommand {
    std::unique_ptr<StartedCommand>& command;
    ~EndsCommand()
    {
        if (command)
            command->end();
    }
};

class CommandProcess : public testing::Test
{
protected:
    void SetUp() override
    {
        folder = utf8FromPath(std::filesystem::temp_directory_path() /
                              ("nimbra-commands-" + std::to_string(GetCurrentProcessId()))) +
                 "/job & co";
        std::error_code error;
        std::filesystem::create_directories(pathFromUtf8(folder), error);
    }
    void TearDown() override
    {
        std::error_code error;
        std::filesystem::remove_all(pathFromUtf8(folder).parent_path(), error);
    }
    void write(const std::string& name, const std::string& content)
    {
        std::FILE* file = openFile((folder + "/" + name).c_str(), "wb");
        ASSERT_NE(file, nullptr) << name;
        std::fputs(content.c_str(), file);
        std::fclose(file);
    }

    std::string folder;
};

// compile.cmd in "job & co" runs the stand-in compiler, which waits for ever; the source's name
// holds cmd's operators and separators, the output's a space. The compiler gets each word as
// given, and ending the command ends the compiler it started too.
TEST_F(CommandProcess, ABatchFileRunsThroughCmdAndEndsWithWhatItStarted)
{
    std::string linger = NIMBRA_LINGER;
    std::replace(linger.begin(), linger.end(), '/', '\\');
    write("compile.cmd", "@\"" + linger + "\" \"%~dp0report.txt\" %*\r\n");
    const std::string source = "a&b(1),c;d=e^f.hlsl";  // no space: only its operators need quotes
    const std::string output = folder + "/out put.dxbc";
    const std::string line = quotedArgument(folder + "/compile.cmd") + " ps_5_0 pixel_main " + quotedArgument(source) +
                             " " + quotedArgument(output);
    std::unique_ptr<StartedCommand> command = startCommandProcess(line);
    const EndsCommand ends{command};
    ASSERT_NE(command, nullptr);
    std::istringstream report(reportOnceThere(folder + "/report.txt"));
    DWORD pid = 0;
    report >> pid;
    std::string word;
    std::vector<std::string> words;
    std::getline(report, word);
    while (std::getline(report, word))
        words.push_back(word);
    EXPECT_EQ(words, (std::vector<std::string>{"ps_5_0", "pixel_main", source, output}));

    const HANDLE compiler = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
    ASSERT_NE(compiler, nullptr);
    EXPECT_TRUE(command->end());
    const bool ended = WaitForSingleObject(compiler, 10000) == WAIT_OBJECT_0;
    EXPECT_TRUE(ended) << "the compiler the command started outlived it";
    if (!ended)
        TerminateProcess(compiler, 1);
    CloseHandle(compiler);
}

// Letting go of a finished command leaves what it started running, as with any command.
TEST_F(CommandProcess, LettingGoLeavesItRunning)
{
    const std::string report = folder + "/report.txt";
    std::unique_ptr<StartedCommand> command =
        startCommandProcess(quotedArgument(NIMBRA_LINGER) + " " + quotedArgument(report));
    ASSERT_NE(command, nullptr);
    const std::string pid = reportOnceThere(report);
    ASSERT_FALSE(pid.empty()) << "the stand-in never reported";
    command.reset();
    const HANDLE compiler = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, DWORD(std::stoul(pid)));
    ASSERT_NE(compiler, nullptr);
    EXPECT_EQ(WaitForSingleObject(compiler, 0), DWORD(WAIT_TIMEOUT));
    TerminateProcess(compiler, 1);
    WaitForSingleObject(compiler, 10000);
    CloseHandle(compiler);
}

// Under Wine a Unix command starts too, though it has no process to end.
TEST_F(CommandProcess, AUnixCommandStartsUnderWine)
{
    using UnixFileName = char*(CDECL*)(LPCWSTR);
    const auto unixFileName = reinterpret_cast<UnixFileName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixFileName)
        GTEST_SKIP() << "not under Wine";
    write("compile.sh", "echo done > \"$1\"\n");
    std::wstring script, done;
    ASSERT_TRUE(wideFromUtf8(folder + "\\compile.sh", script));
    ASSERT_TRUE(wideFromUtf8(folder + "\\done", done));
    char* scriptPath = unixFileName(script.c_str());
    char* donePath = unixFileName(done.c_str());
    ASSERT_TRUE(scriptPath && donePath);
    const std::string line = "/bin/sh " + quotedArgument(scriptPath) + " " + quotedArgument(donePath);
    HeapFree(GetProcessHeap(), 0, scriptPath);
    HeapFree(GetProcessHeap(), 0, donePath);
    std::unique_ptr<StartedCommand> command = startCommandProcess(line);
    ASSERT_NE(command, nullptr);
    EXPECT_TRUE(appears(folder + "/done"));
    command->end();
}

}  // namespace
}  // namespace Nimbra
