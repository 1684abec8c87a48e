// The embedded song, read through the module loader and rendered offline by the player exactly
// as the audio stream will play it (one play-through), then judged by numbers.
#include "audio/ModulePlayer.h"
#include "content/song/Song.h"
#include "tools/song-report/SongAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>

namespace {

using namespace Nimbra;
using namespace Nimbra::Listening;

constexpr int kClosingHitRow = 1792;
constexpr int kSongRows = 2720;  // the rows of all 54 orders, up to the return to the restart

struct Render {
    Wave wave;                  // the first kRenderedRows rows
    float peak = 0.0f;          // over the whole play-through
    int firstRepeatedRow = -1;  // song row at which the player came round to a played row
    bool silentAfterwards = true;
};

constexpr int kRenderedRows = 1800;

// Renders one row at a time so that the play position can be watched on every row.
Render renderSong()
{
    Render r;
    ModulePlayer* player = nullptr;
    if (createModulePlayer(&player, songModule, songModuleSize, kRate) != 0)
        return r;
    player->setMaxLoops(1);
    r.wave.rate = kRate;
    std::vector<float> frames(kRowFrames * 2);
    for (int row = 0; row < kSongRows + 64; ++row) {
        player->generate(frames.data(), kRowFrames);
        if (r.firstRepeatedRow < 0 && player->rowVisits >= 1)
            r.firstRepeatedRow = row;
        for (int f = 0; f < kRowFrames; ++f) {
            const float left = frames[size_t(2 * f)], right = frames[size_t(2 * f + 1)];
            r.peak = std::max({r.peak, std::fabs(left), std::fabs(right)});
            if (row < kRenderedRows) {
                r.wave.left.push_back(left);
                r.wave.right.push_back(right);
            }
            if (row >= kSongRows + 8 && (left != 0.0f || right != 0.0f))
                r.silentAfterwards = false;
        }
    }
    std::free(player);
    return r;
}

const Render& song()
{
    static const Render render = renderSong();
    return render;
}

// The kick drum is instrument 1; its first 40 ms are the pattern the onset detector looks for.
std::vector<float> kickPattern()
{
    ModulePlayer* player = nullptr;
    std::vector<float> pattern;
    if (createModulePlayer(&player, songModule, songModuleSize, kRate) != 0)
        return pattern;
    const ModuleSample& kick = player->instruments[0].samples[0];
    for (uint32_t i = 0; i < std::min<uint32_t>(kick.length, kRate * 40 / 1000); ++i)
        pattern.push_back(kick.bits == 16 ? static_cast<const int16_t*>(kick.data)[i] / 32768.0f
                                          : static_cast<const int8_t*>(kick.data)[i] / 128.0f);
    std::free(player);
    return pattern;
}

// Rows from `first` to `last` (exclusive) on which the kick starts.
std::set<int> kickOnsets(int first, int last)
{
    const std::vector<float> pattern = kickPattern();
    std::set<int> rows;
    for (int row = first; row < last; ++row)
        if (matchAtRow(song().wave, pattern, row) > 0.45)
            rows.insert(row);
    return rows;
}

TEST(EmbeddedSong, HasTheShapeTheShowIsBuiltOn)
{
    ModulePlayer* player = nullptr;
    ASSERT_EQ(createModulePlayer(&player, songModule, songModuleSize, kRate), 0);
    EXPECT_EQ(player->channelCount, 10);
    EXPECT_EQ(player->patternCount, 27);
    EXPECT_EQ(player->instrumentCount, 20);
    EXPECT_EQ(player->songLength, 54);
    EXPECT_EQ(player->restartPosition, 46);
    EXPECT_EQ(player->frequencyMode, 0u);
    EXPECT_EQ(player->speed, 3);
    EXPECT_EQ(player->bpm, 125);
    std::free(player);
}

TEST(EmbeddedSong, PlaysPastTheClosingHitWithoutComingRound)
{
    EXPECT_GT(song().firstRepeatedRow, kClosingHitRow);
    EXPECT_EQ(song().firstRepeatedRow, kSongRows);
    // With one play-through allowed, the return to the restart position falls silent.
    EXPECT_TRUE(song().silentAfterwards);
}

TEST(EmbeddedSong, StaysBelowFullScaleAndIsNotQuiet)
{
    EXPECT_LT(song().peak, 1.0f);
    EXPECT_GT(song().peak, 0.5f);
    EXPECT_GT(rowsRms(song().wave, 640, kClosingHitRow), 0.07);
    for (int block = 128; block < kClosingHitRow; block += 128)
        EXPECT_GT(rowsRms(song().wave, block, block + 128), 0.05) << "block " << block;
}

TEST(EmbeddedSong, KickLandsOnTheRhythmGridFromRow128)
{
    const std::vector<int> grid = gridRows(kClosingHitRow);
    const std::set<int> expected(grid.begin(), grid.end());
    const std::set<int> found = kickOnsets(128, kClosingHitRow);
    std::vector<int> missing, extra;
    std::set_difference(expected.begin(), expected.end(), found.begin(), found.end(), std::back_inserter(missing));
    std::set_difference(found.begin(), found.end(), expected.begin(), expected.end(), std::back_inserter(extra));
    EXPECT_TRUE(missing.empty()) << missing.size() << " grid rows without a kick, first " << missing.front();
    EXPECT_TRUE(extra.empty()) << extra.size() << " kicks off the grid, first " << extra.front();
    EXPECT_EQ(found.size(), 219u);
}

TEST(EmbeddedSong, NoBeatInTheIntroNorInTheBreak)
{
    EXPECT_TRUE(kickOnsets(0, 128).empty());
    EXPECT_TRUE(kickOnsets(608, 640).empty());
    // The whole low end drops out in the break: no kick and no bass.
    const std::vector<float> band = lowBand(song().wave, 100.0);
    const double before = energy(band, 576 * kRowFrames, 32 * kRowFrames);
    const double during = energy(band, 608 * kRowFrames, 32 * kRowFrames);
    EXPECT_LT(during, 0.1 * before);
    // The beat returns with the main part at row 640, and the closing hit lands on row 1792.
    EXPECT_EQ(kickOnsets(640, 641).size(), 1u);
    EXPECT_EQ(kickOnsets(kClosingHitRow, kClosingHitRow + 1).size(), 1u);
    EXPECT_GT(rowsRms(song().wave, kClosingHitRow, kClosingHitRow + 4),
              2.0 * rowsRms(song().wave, kClosingHitRow - 4, kClosingHitRow));
}

}  // namespace
