// Saves noticed by their stamps on Windows, where the file's write time comes in 100 ns.
#include "app/FilePaths.h"
#include "app/live/FileWatch.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <filesystem>

namespace Nimbra {
namespace {

void save(const std::string& path, const char* text)
{
    std::FILE* file = openFile(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs(text, file);
    std::fclose(file);
}

// Sets the file's write time, in 100 ns since 1601, as the file system would have stamped it.
void stampAt(const std::string& path, uint64_t ticks)
{
    std::wstring wide;
    ASSERT_TRUE(wideFromUtf8(path, wide));
    const HANDLE file = CreateFileW(wide.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const FILETIME time = {DWORD(ticks), DWORD(ticks >> 32)};
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
    CloseHandle(file);
}

// One digit changed and saved twice in quick succession: each save is noticed once it held still
// a poll. First as the clock has it, 100 ms apart; then stamped 100 ms apart within one second
// (2024-01-01 00:00:00.1 and .2), where whole seconds would make the second save look unchanged.
TEST(FileStamps, TwoSameSizeSavesWithinASecondAreBothNoticed)
{
    const std::string folder = utf8FromPath(std::filesystem::temp_directory_path() /
                                            ("nimbra-stamps-" + std::to_string(GetCurrentProcessId())));
    std::error_code error;
    std::filesystem::create_directories(pathFromUtf8(folder), error);
    const std::string file = folder + "/tintPS.hlsl";
    save(file, "float tint = 1;\n");
    FileWatch watch;
    watch.watch(file);
    const uint64_t second = 133485408000000000ull;
    const struct {
        const char* text;
        uint64_t stamp;  // 0: as the clock stamps it, 100 ms after the last save
    } saves[] = {{"float tint = 2;\n", 0},
                 {"float tint = 3;\n", 0},
                 {"float tint = 4;\n", second + 1000000},
                 {"float tint = 5;\n", second + 2000000}};
    for (const auto& s : saves) {
        if (s.stamp == 0)
            Sleep(100);
        save(file, s.text);
        if (s.stamp != 0)
            stampAt(file, s.stamp);
        EXPECT_TRUE(watch.poll().empty()) << s.text;  // just changed: it may still be being written
        EXPECT_EQ(watch.poll(), std::vector<std::string>{file}) << s.text;
    }
    EXPECT_EQ(stampOf(file).modified, int64_t(second + 2000000));
    EXPECT_EQ(stampOf(file).size, 16u);
    EXPECT_FALSE(stampOf(folder).exists);  // a folder is no file
    std::filesystem::remove_all(pathFromUtf8(folder), error);
    EXPECT_FALSE(stampOf(file).exists);
}

}  // namespace
}  // namespace Nimbra
