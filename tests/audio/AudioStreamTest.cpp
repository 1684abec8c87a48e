// The audio stream on the real waveform-audio device (under Wine: the session's null sink).
#include "audio/AudioStream.h"
#include "audio/ModulePlayer.h"
#include "content/song/Song.h"
#include "tests/audio/OfflineSong.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

using namespace Nimbra;
using Testing::offlineSong;

uint32_t bytesPlayed(HWAVEOUT device)
{
    MMTIME time = {};
    time.wType = TIME_BYTES;
    waveOutGetPosition(device, &time, sizeof(time));
    return time.u.cb;
}

bool sameFrame(const float* a, const float* b)
{
    return a[0] == b[0] && a[1] == b[1];
}

class AudioStreamTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        startAudioStream(stream, songModule, songModuleSize);
        if (!stream.device)
            GTEST_SKIP() << "no waveform-audio device (run inside scripts/session.sh)";
    }
    void TearDown() override { stopAudioStream(stream); }

    AudioStream stream;
};

TEST_F(AudioStreamTest, StartsPrefilledAndSilentUntilSubmitted)
{
    ASSERT_NE(stream.player, nullptr);
    EXPECT_TRUE(stream.writePending);
    EXPECT_TRUE(stream.thread.joinable());
    EXPECT_EQ(stream.header.dwBufferLength, 32768u);
    EXPECT_EQ(stream.header.dwFlags & (WHDR_BEGINLOOP | WHDR_ENDLOOP), DWORD(WHDR_BEGINLOOP | WHDR_ENDLOOP));
    EXPECT_EQ(stream.header.dwLoops, 0xFFFFFFFFu);

    // Before the first write the position stays 0 and the thread touches nothing.
    const std::vector<float> song = offlineSong(kStreamFrames);
    Sleep(60);
    EXPECT_EQ(bytesPlayed(stream.device), 0u);
    for (uint32_t f = 0; f < kStreamFrames; ++f)
        ASSERT_TRUE(sameFrame(&stream.buffer[f * 2], &song[f * 2])) << "frame " << f;
}

// Every slot of the ring holds the song frame that belongs there: frame f lives in slot
// f mod 4096, whatever lap the refill has reached.
TEST_F(AudioStreamTest, RefillKeepsEverySongFrameInItsSlot)
{
    submitAudioStream(stream);
    EXPECT_FALSE(stream.writePending);
    Sleep(700);
    const uint32_t played = bytesPlayed(stream.device) / 8;
    stopAudioStream(stream);
    EXPECT_GT(played, 44100u * 4 / 10);  // the device position runs in real time
    EXPECT_LT(played, 44100u * 3);

    const uint32_t laps = played / kStreamFrames + 2;
    const std::vector<float> song = offlineSong(laps * kStreamFrames);
    uint32_t refilled = 0;
    for (uint32_t slot = 0; slot < kStreamFrames; ++slot) {
        bool found = false;
        for (uint32_t lap = 0; lap < laps && !found; ++lap)
            if (sameFrame(&stream.buffer[slot * 2], &song[(lap * kStreamFrames + slot) * 2])) {
                found = true;
                refilled += lap > 0;
            }
        ASSERT_TRUE(found) << "slot " << slot;
    }
    EXPECT_GT(refilled, kStreamFrames / 2);  // the ring has moved on from the first lap
}

TEST_F(AudioStreamTest, ShutdownReleasesEverything)
{
    submitAudioStream(stream);
    submitAudioStream(stream);  // the second turn submits nothing
    Sleep(100);
    stopAudioStream(stream);
    EXPECT_EQ(stream.device, nullptr);
    EXPECT_EQ(stream.player, nullptr);
    EXPECT_FALSE(stream.thread.joinable());
    EXPECT_TRUE(stream.stopRequested.load());
}

// A song the loader refuses leaves the stream without a player: it plays silence and still
// runs and stops in order.
TEST(AudioStreamWithoutSong, PlaysSilence)
{
    static const unsigned char notASong[16] = {};
    AudioStream stream;
    startAudioStream(stream, notASong, sizeof(notASong));
    if (!stream.device)
        GTEST_SKIP() << "no waveform-audio device";
    EXPECT_EQ(stream.player, nullptr);
    EXPECT_TRUE(stream.writePending);
    submitAudioStream(stream);
    Sleep(150);
    EXPECT_GT(bytesPlayed(stream.device), 0u);
    stopAudioStream(stream);
    for (float v : stream.buffer)
        ASSERT_EQ(v, 0.0f);
}

}  // namespace
