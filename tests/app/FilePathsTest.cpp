// Files whose names go beyond ASCII, opened, watched, read and listed through the UTF-8 paths;
// natively and, in the Windows build, under Wine, where the names travel wide.
#include "app/FilePaths.h"
#include "app/BoundedRead.h"
#include "app/live/FileWatch.h"

#include <gtest/gtest.h>

#include <set>
#include <system_error>

using namespace Nimbra;

namespace {

// Two-, three- and four-byte letters: a Latin one from the ANSI code page, a Greek and a
// Japanese one from beyond it, and a symbol beyond the 16-bit range (a surrogate pair on Windows).
// clang-format off
const char* const names[] = {"sh\xC3\xA4" "ders", "\xCF\x89-song", "\xE6\x97\xA5\xE6\x9C\xAC", "\xF0\x9D\x84\x9E"};
// clang-format on

class FilePaths : public testing::Test
{
protected:
    void SetUp() override
    {
        std::error_code error;
        folder = utf8FromPath(std::filesystem::temp_directory_path(error)) + "/nimbra-paths-\xC3\xA4-" +
                 testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_FALSE(error);
        std::filesystem::remove_all(pathFromUtf8(folder), error);
        ASSERT_TRUE(std::filesystem::create_directories(pathFromUtf8(folder), error)) << error.message();
    }
    void TearDown() override
    {
        std::error_code error;
        std::filesystem::remove_all(pathFromUtf8(folder), error);
    }

    std::string folder;
};

}  // namespace

TEST_F(FilePaths, NamesBeyondAsciiReachTheirFilesAndComeBackFromTheFolder)
{
    std::set<std::string> made;
    for (const char* name : names) {
        const std::string sub = folder + "/" + name;
        std::error_code error;
        ASSERT_TRUE(std::filesystem::create_directory(pathFromUtf8(sub), error)) << name << ": " << error.message();
        const std::string file = sub + "/" + name + ".txt";
        FileWatch watch;
        watch.watch(file);
        std::FILE* out = openFile(file.c_str(), "wb");
        ASSERT_NE(out, nullptr) << name;
        std::fputs(name, out);
        std::fclose(out);
        EXPECT_EQ(stampOf(file).size, std::string(name).size()) << name;
        std::string text, why;
        EXPECT_TRUE(readFileUpTo(file, 100, text, why)) << name << ": " << why;
        EXPECT_EQ(text, name);
        EXPECT_EQ(watch.poll(), std::vector<std::string>{});  // first seen changed: it must hold still a poll
        EXPECT_EQ(watch.poll(), std::vector<std::string>{file});
        made.insert(name);
    }
    std::set<std::string> listed;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(pathFromUtf8(folder), error), end; !error && entry != end;
         entry.increment(error))
        listed.insert(utf8FromPath(entry->path().filename()));
    EXPECT_FALSE(error) << error.message();
    EXPECT_EQ(listed, made);
}

TEST_F(FilePaths, ANameTheSystemRefusesIsAbsentAndNeverThrown)
{
    // Longer than any file system takes a name.
    const std::string file = folder + "/" + std::string(300, 'x');
    EXPECT_FALSE(stampOf(file).exists);
    EXPECT_EQ(openFile(file.c_str(), "wb"), nullptr);
    std::string text, why;
    EXPECT_FALSE(readFileUpTo(file, 100, text, why));
    FileWatch watch;
    watch.watch(file);
    EXPECT_TRUE(watch.poll().empty());
}

// A whole-file write replaces a file that is there (on Windows MoveFileExW must be told to), leaves nothing beside
// it, and when its partial file cannot be made the old file stays as it was.
TEST_F(FilePaths, AWholeFileWriteReplacesTheOldFileOrLeavesItAsItWas)
{
    const std::string file = folder + "/" + names[2] + ".rocket";
    std::string error, text, why;
    ASSERT_TRUE(writeWholeFile(file, "old", error)) << error;
    ASSERT_TRUE(writeWholeFile(file, "newer", error)) << error;
    EXPECT_TRUE(readFileUpTo(file, 100, text, why)) << why;
    EXPECT_EQ(text, "newer");
    EXPECT_FALSE(stampOf(file + ".part").exists);

    std::error_code made;
    ASSERT_TRUE(std::filesystem::create_directory(pathFromUtf8(file + ".part"), made)) << made.message();
    EXPECT_FALSE(writeWholeFile(file, "lost", error));
    EXPECT_NE(error.find(".part"), std::string::npos) << error;
    EXPECT_TRUE(readFileUpTo(file, 100, text, why)) << why;
    EXPECT_EQ(text, "newer");
    EXPECT_FALSE(writeWholeFile("", "nowhere", error));

    // A folder in the file's place: the partial file is written, cannot take the place, and goes.
    const std::string taken = folder + "/" + names[1];
    ASSERT_TRUE(std::filesystem::create_directories(pathFromUtf8(taken + "/inside"), made)) << made.message();
    EXPECT_FALSE(writeWholeFile(taken, "lost", error));
    EXPECT_FALSE(stampOf(taken + ".part").exists);
    EXPECT_TRUE(std::filesystem::is_directory(pathFromUtf8(taken + "/inside"), made));
}
