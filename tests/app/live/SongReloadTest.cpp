#include "app/live/SongReload.h"
#include "tests/app/live/LiveFolder.h"

namespace Nimbra {
namespace {

using SongReloadTest = Testing::LiveFolder;

TEST_F(SongReloadTest, ASavedModuleGoesToTheMusicAndWhatCannotPlayIsReported)
{
    write("song.xm", "first");
    std::vector<std::string> played;
    std::vector<LiveEvent> log;
    bool refuse = false;
    SongReload reload(
        path("song.xm"),
        [&](std::vector<unsigned char> module, std::string& why) {
            if (refuse) {
                why = "<why the music refused it>";  // the reload passes the reason on as it is
                return false;
            }
            played.emplace_back(module.begin(), module.end());
            return true;
        },
        [&](const LiveEvent& event) { log.push_back(event); }, 100);
    uint64_t now = 0;
    reload.start(now);
    const auto run = [&](uint64_t ms) {
        for (uint64_t end = now + ms; now < end;)
            reload.tend(now += 50);
    };

    run(500);
    EXPECT_TRUE(played.empty());
    write("song.xm", "second");
    run(300);
    EXPECT_EQ(played, std::vector<std::string>{"second"});
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].kind, LiveEventKind::SongReloaded);
    EXPECT_EQ(log[0].file, path("song.xm"));

    refuse = true;
    write("song.xm", "broken");
    run(300);
    EXPECT_EQ(log.back().kind, LiveEventKind::SongRefused);
    EXPECT_EQ(log.back().file, path("song.xm"));
    EXPECT_EQ(log.back().text, "<why the music refused it>");
    refuse = false;
    write("song.xm", "");
    run(300);
    EXPECT_EQ(log.back().text, "is empty");
    std::filesystem::remove(path("song.xm"));
    run(300);
    EXPECT_EQ(log.back().text, "cannot be opened (deleted?)");
    EXPECT_EQ(log.size(), 4u);
    EXPECT_EQ(played.size(), 1u);
}

TEST(SongFile, OurOwnSongIsReadWhole)
{
    const std::string song = NIMBRA_SOURCE_DIR "/content/song/song.xm";
    std::vector<unsigned char> module;
    std::string why;
    ASSERT_TRUE(readSongFile(song, module, why)) << why;
    EXPECT_EQ(module.size(), std::filesystem::file_size(song));
}

}  // namespace
}  // namespace Nimbra
