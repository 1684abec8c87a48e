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

// Waits until the device has played more than `frames` frames and returns the frames played then.
// The wait follows the device, so that a busy machine starting the sound late changes nothing;
// its 10 s limit only keeps a device that never plays from hanging the test.
uint32_t waitUntilPlayed(HWAVEOUT device, uint32_t frames)
{
    const ULONGLONG start = GetTickCount64();
    uint32_t played = bytesPlayed(device) / 8;
    while (played <= frames && GetTickCount64() - start < 10000) {
        Sleep(5);
        played = bytesPlayed(device) / 8;
    }
    return played;
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

// After `played` frames from the write of a device whose count began at stream frame `base`,
// every slot of the ring holds the song frame that belongs there: stream frame base + f lives
// in slot f mod 4096, whatever lap the refill has reached. Most slots have moved on from the
// first lap.
void expectRingInStep(const AudioStream& stream, uint32_t base, uint32_t played)
{
    const uint32_t laps = played / kStreamFrames + 2;
    const std::vector<float> song = offlineSong(base + laps * kStreamFrames);
    uint32_t refilled = 0;
    for (uint32_t slot = 0; slot < kStreamFrames; ++slot) {
        bool found = false;
        for (uint32_t lap = 0; lap < laps && !found; ++lap)
            if (sameFrame(&stream.buffer[slot * 2], &song[(base + lap * kStreamFrames + slot) * 2])) {
                found = true;
                refilled += lap > 0;
            }
        ASSERT_TRUE(found) << "slot " << slot;
    }
    EXPECT_GT(refilled, kStreamFrames / 2);
}

TEST_F(AudioStreamTest, RefillKeepsEverySongFrameInItsSlot)
{
    const ULONGLONG submitted = GetTickCount64();
    submitAudioStream(stream);
    EXPECT_FALSE(stream.writePending);
    const uint32_t played = waitUntilPlayed(stream.device, 44100);
    const ULONGLONG waited = GetTickCount64() - submitted;
    stopAudioStream(stream);
    EXPECT_GT(played, 44100u);
    // The position counts frames in real time: no more than the time waited allows, with half a
    // second and the ring's lap for the device's lead (frames counted as bytes would pass 1 s of
    // them in 125 ms).
    EXPECT_LT(played, (waited + 500) * 441 / 10 + kStreamFrames) << waited << " ms";
    expectRingInStep(stream, 0, played);
}

// The device closed and opened afresh mid-song, as when the one playing has gone: the new one
// counts from 0 and plays the song on from the frame given, in step.
TEST_F(AudioStreamTest, ReopensTheDeviceAndPlaysOnFromTheFrameGiven)
{
    submitAudioStream(stream);
    waitUntilPlayed(stream.device, 0);
    ASSERT_TRUE(reopenAudioStream(stream, 3 * kStreamRate));
    EXPECT_EQ(stream.baseFrames, 3 * kStreamRate);
    const uint32_t played = waitUntilPlayed(stream.device, 44100);
    EXPECT_GE(audioFramesPlayed(stream), 3 * kStreamRate + played);
    stopAudioStream(stream);
    expectRingInStep(stream, 3 * kStreamRate, played);
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
    EXPECT_GT(waitUntilPlayed(stream.device, 0), 0u);
    stopAudioStream(stream);
    for (float v : stream.buffer)
        ASSERT_EQ(v, 0.0f);
}

}  // namespace
