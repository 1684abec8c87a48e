// demo.exe's clock over a stand-in sound device and a counter the tests step: the music starts in
// the first turn, the time is the device's play position, without a device the time stands at 0,
// and a device that stops counting mid-show leaves the time to the counter until one counts again.
#include "app/SoundtrackClock.h"
#include "content/song/Song.h"
#include "tests/audio/OfflineSong.h"
#include "tests/support/FakeAudioOutput.h"

#include <gtest/gtest.h>

namespace Nimbra {
namespace {

using Testing::FakeAudioDevice;
using Testing::fakeAudioOutput;
using Testing::FakePositionAnswer;
using Testing::resetFakeAudioDevice;

// A clock whose counter moves only when the test turns: 10 ms a turn.
class SoundtrackClockTest : public ::testing::Test
{
protected:
    static constexpr uint64_t turnUs = 10000;

    FakeAudioDevice& startClock(bool opens)
    {
        FakeAudioDevice& device = resetFakeAudioDevice(opens);
        clock.start();
        return device;
    }
    // One turn `turnUs` after the last one; its time, which must never fall.
    float turn()
    {
        nowUs += turnUs;
        clock.turnStart();
        const float t = clock.seconds();
        EXPECT_GE(t, lastT) << "at " << nowUs << " us";
        lastT = t;
        return t;
    }
    // Turns until the counter reads `us`; the time of the last.
    float turnUntil(uint64_t us)
    {
        float t = lastT;
        while (nowUs < us)
            t = turn();
        return t;
    }
    void TearDown() override { clock.stop(); }

    uint64_t nowUs = 0;
    float lastT = 0.0f;
    SoundtrackClock clock{songModule, songModuleSize, fakeAudioOutput(), [this] { return nowUs; }};
};

float secondsOf(uint32_t frames)
{
    return float(double(frames) / 44100.0);
}

TEST_F(SoundtrackClockTest, StartsTheMusicInTheFirstTurnAndReadsItsPosition)
{
    FakeAudioDevice& device = startClock(true);
    EXPECT_EQ(device.written.load(), 0);
    EXPECT_TRUE(clock.stream().writePending);
    EXPECT_EQ(turn(), 0.0f);
    EXPECT_EQ(device.written.load(), 1);
    device.bytesPlayed = 66150 * 8;  // 1.5 s
    EXPECT_EQ(turn(), 1.5f);
    EXPECT_EQ(device.written.load(), 1);
    clock.stop();
    EXPECT_EQ(device.closed.load(), 1);
    EXPECT_EQ(clock.stream().player, nullptr);
}

// The device lost mid-run (its queries fail), answering in samples instead of bytes, or counting
// anew below the last good count: the show holds its last good time instead of jumping back, and
// goes on when the count comes back above it.
TEST_F(SoundtrackClockTest, HoldsTheLastGoodTimeWhenTheDeviceCannotSay)
{
    struct Step {
        FakePositionAnswer answer;
        uint32_t bytes;
        float seconds;
    };
    const Step steps[] = {
        {FakePositionAnswer::Bytes, 66150 * 8, 1.5f},    {FakePositionAnswer::Fails, 88200 * 8, 1.5f},
        {FakePositionAnswer::Samples, 88200 * 8, 1.5f},  {FakePositionAnswer::Bytes, 88200 * 8, 2.0f},
        {FakePositionAnswer::Bytes, 44100 * 8, 2.0f},    {FakePositionAnswer::Bytes, 110250 * 8, 2.5f},
        {FakePositionAnswer::Samples, 132300 * 8, 2.5f}, {FakePositionAnswer::Fails, 132300 * 8, 2.5f},
    };
    FakeAudioDevice& device = startClock(true);
    turn();
    for (const Step& step : steps) {
        device.answer = step.answer;  // first: the refill thread reads the position meanwhile
        device.bytesPlayed = step.bytes;
        EXPECT_EQ(turn(), step.seconds) << step.bytes;
    }
}

TEST_F(SoundtrackClockTest, EndsWithTheMusic)
{
    EXPECT_FALSE(clock.finished(0.0f));
    EXPECT_FALSE(clock.finished(107.57f));
    EXPECT_TRUE(clock.finished(107.58f));
}

// No device at all, or one that never starts counting: nothing to go on from, so the time stays
// at 0 however long the counter runs, and no other device is tried.
TEST_F(SoundtrackClockTest, WithoutADeviceThatEverCountsStandsAtZero)
{
    for (bool opens : {false, true}) {
        FakeAudioDevice& device = startClock(opens);
        if (!opens)
            device.bytesPlayed = 44100 * 8 * 10;  // what a device would say: never asked
        EXPECT_EQ(turnUntil(nowUs + 200000000), 0.0f) << opens;
        EXPECT_FALSE(clock.finished(lastT));
        clock.stop();
        EXPECT_EQ(device.opened.load(), 1) << opens;
        EXPECT_EQ(device.written.load(), opens ? 1 : 0);
        EXPECT_EQ(device.closed.load(), opens ? 1 : 0);
        EXPECT_FALSE(clock.stream().thread.joinable());
    }
}

// The device counts 1000 frames, then 200 (counting anew), then fails for good, and no device
// opens again. The time holds at 1000 frames until the count has not moved for 0.5 s (at
// 0.51 s), then runs on by the counter from there: it reaches 107.58 s, frame 4744278, once
// (now - 0.51 s) * 44100 >= 4743278, first at 108.07 s in 10 ms turns (107.56 s after the
// stall: 4743396 frames; 107.55 s gives 4742955). Meanwhile the device is tried at the stall and
// every second after it: 108 tries up to 107.51 s, each opening nothing.
TEST_F(SoundtrackClockTest, RunsOnByTheCounterWhenTheDeviceFailsAndTheShowEnds)
{
    FakeAudioDevice& device = startClock(true);
    device.bytesPlayed = 1000 * 8;
    EXPECT_EQ(turn(), secondsOf(1000));
    device.bytesPlayed = 200 * 8;
    EXPECT_EQ(turn(), secondsOf(1000));
    device.answer = FakePositionAnswer::Fails;
    device.opens = false;
    EXPECT_EQ(turnUntil(500000), secondsOf(1000));
    EXPECT_EQ(device.closed.load(), 0);
    EXPECT_EQ(turnUntil(510000), secondsOf(1000));  // the stall: the device is closed and tried
    EXPECT_EQ(device.closed.load(), 1);
    EXPECT_FALSE(clock.stream().thread.joinable());  // nothing refills a ring no device plays
    EXPECT_EQ(turn(), secondsOf(1000 + 441));
    while (!clock.finished(lastT) && nowUs < 200000000)
        turn();
    EXPECT_EQ(nowUs, 108070000u);
    EXPECT_EQ(lastT, secondsOf(1000 + 4743396));
    EXPECT_EQ(device.opened.load(), 1 + 108);
    EXPECT_EQ(device.closed.load(), 1);
}

// The device fails after 1000 frames; the tries at 0.51 s and 1.51 s open nothing, the one at
// 2.51 s opens a device. The player was brought to each try's time: the new device plays the
// song from stream frame 1000 + 2 * 44100 = 89200 on. Until it counts, the time goes on by the
// counter (89641 frames at 2.52 s); once it has counted 100 frames (89300) the time holds at
// 89641 rather than going back, and follows the device once it is past (1000 frames: 90200),
// for good while it counts on.
TEST_F(SoundtrackClockTest, FollowsADeviceThatCountsAgainWithoutGoingBack)
{
    FakeAudioDevice& device = startClock(true);
    device.bytesPlayed = 1000 * 8;
    EXPECT_EQ(turn(), secondsOf(1000));
    device.answer = FakePositionAnswer::Fails;
    device.opens = false;
    turnUntil(2500000);
    EXPECT_EQ(device.opened.load(), 3);
    device.opens = true;
    device.answer = FakePositionAnswer::Bytes;
    EXPECT_EQ(turn(), secondsOf(1000 + 88200));
    EXPECT_EQ(device.opened.load(), 4);
    EXPECT_EQ(device.written.load(), 2);
    EXPECT_EQ(clock.stream().baseFrames, 89200u);
    const std::vector<float> song = Testing::offlineSong(89200 + kStreamFrames);
    for (uint32_t i = 0; i < kStreamFrames * 2; ++i)
        ASSERT_EQ(clock.stream().buffer[i], song[89200 * 2 + i]) << "slot " << i / 2;
    EXPECT_EQ(turn(), secondsOf(89641));
    device.bytesPlayed = 100 * 8;
    EXPECT_EQ(turn(), secondsOf(89641));
    device.bytesPlayed = 1000 * 8;
    EXPECT_EQ(turn(), secondsOf(90200));
    for (uint32_t i = 1; i <= 300; ++i) {
        device.bytesPlayed = (1000 + 441 * i) * 8;
        ASSERT_EQ(turn(), secondsOf(90200 + 441 * i)) << i;
    }
    EXPECT_EQ(device.opened.load(), 4);
}

}  // namespace
}  // namespace Nimbra
