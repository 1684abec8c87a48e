// demo.exe's clock over a stand-in sound device: the music starts in the first turn, the time is
// the device's play position, and without a device the time stands at 0.
#include "app/SoundtrackClock.h"
#include "content/song/Song.h"
#include "tests/support/FakeAudioOutput.h"

#include <gtest/gtest.h>

namespace Nimbra {
namespace {

using Testing::FakeAudioDevice;
using Testing::fakeAudioOutput;
using Testing::FakePositionAnswer;
using Testing::resetFakeAudioDevice;

TEST(SoundtrackClock, StartsTheMusicInTheFirstTurnAndReadsItsPosition)
{
    FakeAudioDevice& device = resetFakeAudioDevice(true);
    SoundtrackClock clock(songModule, songModuleSize, fakeAudioOutput());
    clock.start();
    EXPECT_EQ(device.written.load(), 0);
    EXPECT_TRUE(clock.stream().writePending);

    clock.turnStart();
    EXPECT_EQ(device.written.load(), 1);
    EXPECT_EQ(clock.seconds(), 0.0f);
    device.bytesPlayed = 66150 * 8;  // 1.5 s
    clock.turnStart();
    EXPECT_EQ(clock.seconds(), 1.5f);
    EXPECT_EQ(device.written.load(), 1);

    clock.stop();
    EXPECT_EQ(device.closed.load(), 1);
    EXPECT_EQ(clock.stream().player, nullptr);
}

// The device lost mid-run (its queries fail) or answering in samples instead of bytes: the
// show holds its last good time instead of jumping back, and goes on when the bytes come back.
TEST(SoundtrackClock, HoldsTheLastGoodTimeWhenTheDeviceCannotSay)
{
    struct Step {
        FakePositionAnswer answer;
        uint32_t bytes;
        float seconds;
    };
    const Step steps[] = {
        {FakePositionAnswer::Bytes, 66150 * 8, 1.5f},    {FakePositionAnswer::Fails, 88200 * 8, 1.5f},
        {FakePositionAnswer::Samples, 88200 * 8, 1.5f},  {FakePositionAnswer::Bytes, 88200 * 8, 2.0f},
        {FakePositionAnswer::Samples, 110250 * 8, 2.0f}, {FakePositionAnswer::Fails, 110250 * 8, 2.0f},
    };
    FakeAudioDevice& device = resetFakeAudioDevice(true);
    SoundtrackClock clock(songModule, songModuleSize, fakeAudioOutput());
    clock.start();
    clock.turnStart();
    for (const Step& step : steps) {
        device.answer = step.answer;  // first: the refill thread reads the position meanwhile
        device.bytesPlayed = step.bytes;
        EXPECT_EQ(clock.seconds(), step.seconds) << step.bytes;
    }
    clock.stop();
}

TEST(SoundtrackClock, EndsWithTheMusic)
{
    resetFakeAudioDevice(true);
    SoundtrackClock clock(songModule, songModuleSize, fakeAudioOutput());
    EXPECT_FALSE(clock.finished(0.0f));
    EXPECT_FALSE(clock.finished(107.57f));
    EXPECT_TRUE(clock.finished(107.58f));
}

TEST(SoundtrackClock, WithoutADeviceStandsAtZero)
{
    FakeAudioDevice& device = resetFakeAudioDevice(false);
    device.bytesPlayed = 44100 * 8 * 10;
    SoundtrackClock clock(songModule, songModuleSize, fakeAudioOutput());
    clock.start();
    for (int turn = 0; turn < 3; ++turn) {
        clock.turnStart();
        EXPECT_EQ(clock.seconds(), 0.0f);
        EXPECT_FALSE(clock.finished(clock.seconds()));
    }
    clock.stop();
    EXPECT_EQ(device.written.load(), 0);
    EXPECT_EQ(device.closed.load(), 0);
    EXPECT_FALSE(clock.stream().thread.joinable());
}

}  // namespace
}  // namespace Nimbra
