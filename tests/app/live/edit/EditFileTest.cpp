// The editor's saved file: read back by the project's own reader to the same keys, bit for bit; a failed save
// leaves the old file byte for byte; a file of keys loaded over the timeline, or refused with its line.
#include "app/ContentEdits.h"
#include "app/live/edit/EditFile.h"
#include "content/animation/ContentKeys.h"
#include "content/animation/ContentVariables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace Nimbra;
using namespace Nimbra::Edit;

namespace {

class EditFile : public testing::Test
{
protected:
    void SetUp() override
    {
        folder =
            testing::TempDir() + "nimbra-edit-file-" + testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        path = folder + "/demo.rocket";
        loadContentTimeline(timeline);
    }
    void TearDown() override
    {
        std::error_code error;
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);
        std::filesystem::remove_all(folder, error);
    }

    static std::string bytesOf(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    static void write(const std::string& file, const std::string& bytes)
    {
        std::ofstream(file, std::ios::binary) << bytes;
    }
    static bool sameKeys(const GrowArray<Keyframe>& a, const GrowArray<Keyframe>& b)
    {
        return a.count == b.count && (a.count == 0 || std::memcmp(a.data, b.data, sizeof(Keyframe) * a.count) == 0);
    }

    std::string folder, path;
    Timeline timeline;
};

}  // namespace

TEST_F(EditFile, ASavedFileReadsBackToTheSameKeys)
{
    EditModel model(timeline, contentVariableCount);
    // Values a short decimal would not carry, a key past the show's end, every key type and the camera.
    ASSERT_TRUE(model.setKey(13, {100, 1.0f / 3.0f, 3}));
    ASSERT_TRUE(model.setKey(11, {2000, -2.5e-7f, 4}));
    ASSERT_TRUE(model.setKey(63, {0, 0.1f, 2}));
    ASSERT_TRUE(model.setCameraKeys(64, {1, 2, 3, 0.6f, -0.8f, 0, 45, 5}));
    std::string error;
    ASSERT_TRUE(saveKeys(model, path, error)) << error;
    EXPECT_FALSE(model.unsaved());
    EXPECT_FALSE(std::filesystem::exists(path + ".part"));

    const std::string text = bytesOf(path);
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<sync rows=\"2176\">\n", 0), 0u);
    Sync::RocketDocument document;
    Sync::FileError fault;
    ASSERT_TRUE(readContentEdits(text.data(), text.size(), document, fault)) << fault.line << ": " << fault.message;
    ASSERT_EQ(document.tracks.size(), size_t(contentVariableCount));
    Timeline again;
    again.curves.resize(contentVariableCount);
    applyContentEdits(again, document);
    for (uint32_t track = 0; track < contentVariableCount; ++track)
        EXPECT_TRUE(sameKeys(again.curves.at(track)->keys, timeline.curves.at(track)->keys)) << track;

    // And through loadKeys, over other keys.
    Timeline loaded;
    loaded.curves.resize(contentVariableCount);
    loaded.curves.at(5)->keys.push({7, 7, 0});
    std::vector<std::string> warnings;
    ASSERT_TRUE(loadKeys(loaded, path, error, warnings)) << error;
    EXPECT_TRUE(warnings.empty());
    for (uint32_t track = 0; track < contentVariableCount; ++track)
        EXPECT_TRUE(sameKeys(loaded.curves.at(track)->keys, timeline.curves.at(track)->keys)) << track;

    // A second save takes the first one's place.
    ASSERT_TRUE(model.setKey(13, {100, 2, 0}));
    ASSERT_TRUE(saveKeys(model, path, error)) << error;
    EXPECT_NE(bytesOf(path).find("<key row=\"100\" value=\"2\" interpolation=\"0\"/>"), std::string::npos);
}

// Each failure keeps the old file as it was, leaves no partial file of its own and keeps the edits unsaved. The
// folder is made read-only too, which stops all but an administrator; the partial file's name taken by a folder
// stops every writer.
TEST_F(EditFile, AFailedSaveLeavesTheOldFileByteForByte)
{
    const std::string old = "<?xml version=\"1.0\"?>\n<sync rows=\"8\"><tracks/></sync>\n";
    const struct {
        const char* what;
        void (*breakIt)(const std::string& folder, const std::string& path, Timeline& timeline);
    } failures[] = {
        {"an unwritable folder",
         [](const std::string& folder, const std::string& path, Timeline&) {
             std::filesystem::create_directory(path + ".part");
             std::filesystem::permissions(folder,
                                          std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
         }},
        {"a key no file can carry", [](const std::string&, const std::string&,
                                       Timeline& timeline) { timeline.curves.at(20)->keys[3].value = std::nanf(""); }},
    };
    for (const auto& f : failures) {
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
        std::filesystem::remove_all(path + ".part");
        write(path, old);
        Timeline keys;
        loadContentTimeline(keys);
        EditModel model(keys, contentVariableCount);
        ASSERT_TRUE(model.setKey(13, {100, 5, 0}));
        f.breakIt(folder, path, keys);
        std::string error;
        EXPECT_FALSE(saveKeys(model, path, error)) << f.what;
        EXPECT_FALSE(error.empty()) << f.what;
        EXPECT_EQ(bytesOf(path), old) << f.what;
        EXPECT_FALSE(std::filesystem::is_regular_file(path + ".part")) << f.what;
        EXPECT_TRUE(model.unsaved()) << f.what;
    }
}

TEST_F(EditFile, AFileOfKeysIsRefusedWithItsLineAndTheTimelineKeepsItsKeys)
{
    const struct {
        const char* what;
        const char* text;  // null: no file
        std::string error;
    } refused[] = {
        {"no file", nullptr, path + ": cannot be opened (deleted?)"},
        {"a key without a value",
         "<sync>\n<tracks>\n<track name=\"FRAME\">\n<key row=\"1\" interpolation=\"0\"/>\n</track>\n</tracks>\n</sync>",
         path + ":4: a <key> of track \"FRAME\" without a value"},
        {"a track that is no variable",
         "<sync>\n<tracks>\n<track name=\"FRAME\"/>\n<track name=\"CAMERA\"/>\n</tracks>\n</sync>",
         path + ":4: the track \"CAMERA\" is not a variable of the demo"},
    };
    const Timeline& shipped = timeline;
    for (const auto& r : refused) {
        std::filesystem::remove(path);
        if (r.text)
            write(path, r.text);
        Timeline keys;
        loadContentTimeline(keys);
        std::string error;
        std::vector<std::string> warnings;
        EXPECT_FALSE(loadKeys(keys, path, error, warnings)) << r.what;
        EXPECT_EQ(error, r.error) << r.what;
        for (uint32_t track = 0; track < contentVariableCount; ++track)
            EXPECT_TRUE(sameKeys(keys.curves.at(track)->keys, shipped.curves.at(track)->keys)) << r.what;
    }

    // A file that reads: its tracks replace those curves, the rest keep theirs, and a mute is named with its line.
    write(path,
          "<tracks>\n<track name=\"FRAME\" muteKeyCount=\"1\">\n<key row=\"3\" value=\"9\" interpolation=\"1\"/>\n"
          "</track>\n</tracks>\n");
    std::string error;
    std::vector<std::string> warnings;
    ASSERT_TRUE(loadKeys(timeline, path, error, warnings)) << error;
    ASSERT_EQ(timeline.curves.at(13)->keys.count, 1u);
    EXPECT_EQ(timeline.curves.at(13)->keys[0].value, 9.0f);
    EXPECT_EQ(timeline.curves.at(0)->keys.count, 2u);  // CameraPosX as shipped
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], path + ":2: the track \"FRAME\" is muted in the editor; the demo plays its 1 key");
}
