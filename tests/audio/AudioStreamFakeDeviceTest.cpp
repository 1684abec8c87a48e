// The audio stream's own logic, natively, over a stand-in device: what start-up, the first
// turn, the refill thread and shutdown do, with a device and without one.
#include "audio/AudioStream.h"
#include "audio/ModulePlayer.h"
#include "content/song/Song.h"
#include "tests/audio/OfflineSong.h"
#include "tests/support/FakeAudioOutput.h"
#include "tools/xmseeds/Seeds.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace Nimbra {
namespace {

using Testing::FakeAudioDevice;
using Testing::fakeAudioOutput;
using Testing::offlineSong;
using Testing::resetFakeAudioDevice;

// Slot `slot` of the ring holds song frame `songFrame`.
::testing::AssertionResult slotHolds(const AudioStream& stream, const std::vector<float>& song, uint32_t slot,
                                     uint32_t songFrame)
{
    if (stream.buffer[slot * 2] == song[songFrame * 2] && stream.buffer[slot * 2 + 1] == song[songFrame * 2 + 1])
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "slot " << slot << " does not hold song frame " << songFrame;
}

// Once the device has played `played` frames, the ring holds the lap it plays next: song frames
// played .. played + 4095, frame f in slot f mod 4096.
void expectNextLap(const AudioStream& stream, const std::vector<float>& song, uint32_t played)
{
    for (uint32_t f = played; f < played + kStreamFrames; ++f)
        ASSERT_TRUE(slotHolds(stream, song, f % kStreamFrames, f)) << "after " << played << " frames played";
}

// The first `frames` frames of one play-through of `module`, rendered straight from a player.
std::vector<float> renderModule(const std::vector<uint8_t>& module, uint32_t frames)
{
    std::vector<float> out(size_t(frames) * kStreamChannels);
    ModulePlayer* player = nullptr;
    if (createModulePlayer(&player, module.data(), module.size(), kStreamRate) == CreatePlayerOk) {
        player->setMaxLoops(1);
        player->generate(out.data(), frames);
        destroyModulePlayer(player);
    }
    return out;
}

void refillDone(FakeAudioDevice& device)
{
    ASSERT_TRUE(Testing::waitForRefill(device)) << "the refill thread stopped reading the position";
}

TEST(AudioStreamWithoutDevice, StartsNoHeaderPlayerOrThread)
{
    FakeAudioDevice& device = resetFakeAudioDevice(false);
    device.bytesPlayed = 8 * 44100;
    AudioStream stream;
    startAudioStream(stream, songModule, songModuleSize, fakeAudioOutput());
    EXPECT_EQ(device.opened.load(), 1);
    EXPECT_EQ(stream.device, nullptr);
    EXPECT_EQ(device.prepared.load(), 0);
    EXPECT_EQ(stream.player, nullptr);
    EXPECT_FALSE(stream.thread.joinable());
    EXPECT_FALSE(stream.writePending);

    // Every turn: nothing to submit, and the clock stays at 0 whatever a device would say.
    for (int turn = 0; turn < 3; ++turn) {
        submitAudioStream(stream);
        EXPECT_EQ(audioFramesPlayed(stream), 0u);
    }
    pauseAudioStream(stream);
    resumeAudioStream(stream);
    stopAudioStream(stream);
    EXPECT_EQ(device.written.load(), 0);
    EXPECT_EQ(device.positionReads.load(), 0);
    EXPECT_EQ(device.paused.load() + device.resumed.load() + device.closed.load(), 0);
    EXPECT_EQ(device.timersBegun.load(), 0);
}

// A device that refuses the buffer's header is closed again at once and counts as none.
TEST(AudioStreamWithoutDevice, ClosesADeviceThatRefusesTheHeader)
{
    FakeAudioDevice& device = resetFakeAudioDevice(true);
    device.prepares = false;
    AudioStream stream;
    startAudioStream(stream, songModule, songModuleSize, fakeAudioOutput());
    EXPECT_EQ(device.closed.load(), 1);
    EXPECT_EQ(stream.device, nullptr);
    EXPECT_EQ(stream.player, nullptr);
    EXPECT_FALSE(stream.thread.joinable());
    EXPECT_FALSE(stream.writePending);
    stopAudioStream(stream);
    EXPECT_EQ(device.closed.load(), 1);
}

TEST(AudioStreamOnADevice, StartsPrefilledAndSubmitsInTheFirstTurnOnly)
{
    FakeAudioDevice& device = resetFakeAudioDevice(true);
    AudioStream stream;
    startAudioStream(stream, songModule, songModuleSize, fakeAudioOutput());
    EXPECT_EQ(device.prepared.load(), 1);
    ASSERT_NE(stream.player, nullptr);
    EXPECT_TRUE(stream.thread.joinable());
    EXPECT_TRUE(stream.writePending);
    EXPECT_EQ(device.written.load(), 0);

    submitAudioStream(stream);
    submitAudioStream(stream);
    EXPECT_EQ(device.written.load(), 1);
    EXPECT_FALSE(stream.writePending);

    stopAudioStream(stream);
    EXPECT_EQ(device.closed.load(), 1);
    EXPECT_EQ(device.refillThreads.load(), 1);
    EXPECT_EQ(stream.device, nullptr);
    EXPECT_EQ(stream.player, nullptr);
    EXPECT_FALSE(stream.thread.joinable());

    // The whole ring held song frames 0 .. 4095 before anything played.
    const std::vector<float> song = offlineSong(kStreamFrames);
    for (uint32_t slot = 0; slot < kStreamFrames; ++slot)
        ASSERT_TRUE(slotHolds(stream, song, slot, slot));
}

// Each run of the refill thread asks for a fine timer and hands back exactly the period it was
// granted, once, by the time the stream has stopped; a period refused is not handed back.
TEST(AudioStreamOnADevice, HandsBackTheFineTimerItWasGranted)
{
    struct Case {
        uint32_t granted;
        int ended;
        uint32_t periodEnded;
    };
    const Case cases[] = {{1, 1, 1}, {3, 1, 3}, {0, 0, 0}};
    for (const Case& c : cases) {
        FakeAudioDevice& device = resetFakeAudioDevice(true);
        device.timerPeriod = c.granted;
        AudioStream stream;
        startAudioStream(stream, songModule, songModuleSize, fakeAudioOutput());
        submitAudioStream(stream);
        stopAudioStream(stream);
        EXPECT_EQ(device.timersBegun.load(), 1) << c.granted;
        EXPECT_EQ(device.timersEnded.load(), c.ended) << c.granted;
        EXPECT_EQ(device.periodEnded.load(), c.periodEnded) << c.granted;
    }
}

TEST(AudioStreamOnADevice, CountsWholeFramesOfEightBytes)
{
    FakeAudioDevice& device = resetFakeAudioDevice(true);
    AudioStream stream;
    startAudioStream(stream, songModule, songModuleSize, fakeAudioOutput());
    device.bytesPlayed = 7;
    EXPECT_EQ(audioFramesPlayed(stream), 0u);
    device.bytesPlayed = 15;
    EXPECT_EQ(audioFramesPlayed(stream), 1u);
    device.bytesPlayed = 8 * 44100;
    EXPECT_EQ(audioFramesPlayed(stream), 44100u);
    stopAudioStream(stream);
}

// Two walks of the device's position. One step of 4200 frames: the refill renders song frames
// 4096 .. 8191 into the whole ring, then 8192 .. 8295 into slots 0 .. 103. Steps that each end
// mid-ring, as in play: the second refill starts at slot 1000 (song frames 5096 .. 6595 into
// slots 1000 .. 2499), the third at slot 2500 and runs over the end of the ring (6596 .. 8191
// into slots 2500 .. 4095, then 8192 .. 9095 into slots 0 .. 903).
TEST(AudioStreamOnADevice, RefillsPutEachSongFrameInItsSlot)
{
    const std::vector<float> song = offlineSong(3 * kStreamFrames);
    const std::vector<uint32_t> walks[] = {{4200}, {1000, 2500, 5000}};
    for (const std::vector<uint32_t>& walk : walks) {
        FakeAudioDevice& device = resetFakeAudioDevice(true);
        AudioStream stream;
        startAudioStream(stream, songModule, songModuleSize, fakeAudioOutput());
        submitAudioStream(stream);
        for (uint32_t played : walk) {
            device.bytesPlayed = played * kBytesPerFrame;
            refillDone(device);
            expectNextLap(stream, song, played);
        }
        stopAudioStream(stream);
    }
}

// The stream on a model of a Windows device, in model time: each 5 ms sleep ends on the timer's
// tick (15.625 ms by default, 1 ms under a fine timer) and the device reads 10 to 40 ms ahead of
// the position it reports. The device never reads a slot before the refill has written the song
// frame that belongs there. Reading 80 ms ahead on the default tick it would: each of the 95
// visits after the first within the 1.5 s comes 121 or 122 frames late, 65460 frames played by
// the last (the margins worked out in RefillTimingTest).
TEST(AudioStreamOnAWindowsDevice, NoFrameIsReadBeforeItIsWritten)
{
    struct Case {
        const char* what;
        RefillTimingModel model;
        uint32_t readUnwritten;
    };
    const Case cases[] = {
        {"default timer", {15625, 10000, 40000, 1500000}, 0},
        {"fine timer", {1000, 10000, 40000, 1500000}, 0},
        {"default timer, 80 ms ahead", {15625, 80000, 80000, 1500000}, 65460 - 95 * (4096 - 3528)},
    };
    const std::vector<float> song = offlineSong(2 * kStreamRate);
    for (const Case& c : cases) {
        FakeAudioDevice& device = resetFakeAudioDevice(true);
        device.model = c.model;
        device.song = &song;
        AudioStream stream;
        startAudioStream(stream, songModule, songModuleSize, fakeAudioOutput());
        submitAudioStream(stream);
        EXPECT_TRUE(waitForModelEnd(device)) << c.what;
        stopAudioStream(stream);
        EXPECT_GT(device.framesRead, 60000u) << c.what;  // about 1.5 s of the song
        EXPECT_EQ(device.framesReadUnwritten, c.readUnwritten) << c.what;
    }
}

TEST(AudioStreamOnADevice, StartsLaterInTheSongWhenAsked)
{
    resetFakeAudioDevice(true);
    AudioStream stream;
    startAudioStream(stream, songModule, songModuleSize, fakeAudioOutput(), 10000);
    stopAudioStream(stream);
    const std::vector<float> song = offlineSong(10000 + kStreamFrames);
    for (uint32_t slot = 0; slot < kStreamFrames; ++slot)
        ASSERT_TRUE(slotHolds(stream, song, slot, 10000 + slot));
}

// A stopped stream started again counts from its new device's start: its first query failing
// keeps 0, not the 5000 frames the run before had played (a seek would jump forward by them).
TEST(AudioStreamOnADevice, ARestartKeepsNothingOfTheRunBefore)
{
    FakeAudioDevice& device = resetFakeAudioDevice(true);
    AudioStream stream;
    startAudioStream(stream, songModule, songModuleSize, fakeAudioOutput());
    submitAudioStream(stream);
    device.bytesPlayed = 5000 * kBytesPerFrame;
    EXPECT_EQ(audioFramesPlayed(stream), 5000u);
    stopAudioStream(stream);
    device.answer = Testing::FakePositionAnswer::Fails;
    startAudioStream(stream, songModule, songModuleSize, fakeAudioOutput());
    submitAudioStream(stream);
    EXPECT_EQ(audioFramesPlayed(stream), 0u);
    stopAudioStream(stream);
}

// Two songs offered within one visit of the refill thread: the first, never taken, goes when the
// second comes (the sanitizers' build finds it if it leaks); the refill takes the second.
TEST(PlayerHandover, AnOfferNotTakenIsFreedByTheNext)
{
    PlayerHandover handover;
    ModulePlayer* offers[2] = {};
    for (ModulePlayer*& player : offers)
        ASSERT_EQ(createModulePlayer(&player, songModule, songModuleSize, kStreamRate), CreatePlayerOk);
    offerPlayer(handover, offers[0], 100);
    offerPlayer(handover, offers[1], 200);
    uint32_t at = 0;
    EXPECT_EQ(takeOfferedPlayer(handover, nullptr, at), offers[1]);
    EXPECT_EQ(at, 200u);
    destroyModulePlayer(offers[1]);
    clearPlayerHandover(handover);
}

TEST(AudioStreamOnADevice, PausesAndResumesTheDevice)
{
    FakeAudioDevice& device = resetFakeAudioDevice(true);
    AudioStream stream;
    startAudioStream(stream, songModule, songModuleSize, fakeAudioOutput());
    pauseAudioStream(stream);
    resumeAudioStream(stream);
    stopAudioStream(stream);
    EXPECT_EQ(device.paused.load(), 1);
    EXPECT_EQ(device.resumed.load(), 1);
}

// A song the loader refuses leaves the stream without a player: the ring plays silence, even
// where an earlier run of the same stream left music in it.
TEST(AudioStreamOnADevice, WithoutASongPlaysSilenceAfterARestart)
{
    static const unsigned char notASong[16] = {};
    resetFakeAudioDevice(true);
    AudioStream stream;
    startAudioStream(stream, songModule, songModuleSize, fakeAudioOutput(), 44100);
    stopAudioStream(stream);
    startAudioStream(stream, notASong, sizeof(notASong), fakeAudioOutput());
    EXPECT_EQ(stream.player, nullptr);
    EXPECT_TRUE(stream.writePending);
    stopAudioStream(stream);
    for (float v : stream.buffer)
        ASSERT_EQ(v, 0.0f);
}

// A new player takes over in the running stream at a refill visit, at the stream frame the ring
// has been filled to: 4096 + 1000 = 5096 once 1000 frames have played. Offered at stream frame 0
// (the main thread brings it near) or 300 frames short of 5096 (the refill brings it the rest
// of the way), it renders that frame first. The stream started at song frame 10000, so stream
// frame s is song frame 10000 + s of either song. Once 3000 frames have played, the ring holds
// the old song's frames 13000 .. 15095 and the new song's 15096 .. 17095. The device stays
// open, written once, and a paused one stays paused until the resume.
TEST(AudioStreamOnADevice, SwitchesToANewPlayerAtTheFrameTheRingReached)
{
    struct Case {
        uint32_t offeredAt;
        bool paused;
    };
    const Case cases[] = {{0, false}, {5096 - 300, false}, {5096 - 300, true}};
    const std::vector<float> oldSong = offlineSong(20000);
    std::vector<uint8_t> module;
    for (const SeedModule& seed : seedModules())
        if (seed.name == "bench10.xm")
            module = writeXm(seed.module);
    const std::vector<float> newSong = renderModule(module, 20000);
    for (const Case& c : cases) {
        ModulePlayer* player = nullptr;
        ASSERT_EQ(createModulePlayer(&player, module.data(), module.size(), kStreamRate), CreatePlayerOk);
        player->setMaxLoops(1);
        skipPlayerFrames(*player, 10000 + c.offeredAt);

        FakeAudioDevice& device = resetFakeAudioDevice(true);
        AudioStream stream;
        startAudioStream(stream, songModule, songModuleSize, fakeAudioOutput(), 10000);
        submitAudioStream(stream);
        device.bytesPlayed = 1000 * kBytesPerFrame;
        refillDone(device);
        EXPECT_EQ(audioFramesRendered(stream), 5096u);
        if (c.paused)
            pauseAudioStream(stream);
        EXPECT_TRUE(switchAudioStreamPlayer(stream, player, c.offeredAt));
        refillDone(device);
        EXPECT_EQ(stream.player, player) << c.offeredAt;
        EXPECT_EQ(audioFramesRendered(stream), 5096u);
        if (c.paused) {
            EXPECT_EQ(device.resumed.load(), 0);
            resumeAudioStream(stream);
        }
        device.bytesPlayed = 3000 * kBytesPerFrame;
        refillDone(device);
        uint32_t f = 3000;
        while (f < 3000 + kStreamFrames &&
               slotHolds(stream, f < 5096 ? oldSong : newSong, f % kStreamFrames, 10000 + f))
            ++f;
        stopAudioStream(stream);
        EXPECT_EQ(f, 3000 + kStreamFrames) << "stream frame " << f << " is not the right song's, offered at "
                                           << c.offeredAt << (c.paused ? ", paused" : "");
        EXPECT_EQ(device.opened.load(), 1);
        EXPECT_EQ(device.written.load(), 1);
        EXPECT_EQ(device.paused.load(), c.paused ? 1 : 0);
    }
}

// A device that refuses the buffer, or that is gone when asked to pause or resume, plays nothing:
// it is closed, nothing refills for it, and the time holds at its last good count.
TEST(AudioStreamOnADevice, ClosesADeviceThatRefusesTheBufferOrIsGone)
{
    enum class Refused { Write, Pause, Resume };
    for (Refused refused : {Refused::Write, Refused::Pause, Refused::Resume}) {
        FakeAudioDevice& device = resetFakeAudioDevice(true);
        device.writes = refused != Refused::Write;
        AudioStream stream;
        startAudioStream(stream, songModule, songModuleSize, fakeAudioOutput());
        submitAudioStream(stream);
        const uint32_t held = refused == Refused::Write ? 0 : 1000;
        device.bytesPlayed = held * kBytesPerFrame;
        EXPECT_EQ(audioFramesPlayed(stream), held);
        if (refused != Refused::Write) {
            device.pauses = refused != Refused::Pause;
            pauseAudioStream(stream);
            device.pauses = false;
            if (refused == Refused::Resume)
                resumeAudioStream(stream);
        }
        EXPECT_EQ(device.closed.load(), 1) << int(refused);
        EXPECT_EQ(stream.device, nullptr);
        EXPECT_FALSE(stream.thread.joinable());
        device.bytesPlayed = 5000 * kBytesPerFrame;
        EXPECT_EQ(audioFramesPlayed(stream), held);
        stopAudioStream(stream);
        EXPECT_EQ(device.closed.load(), 1);
    }
}

// A device opened afresh counts from 0 and plays the song from the frame asked for, or from the
// frame the ring was filled to when that is later (4096 right after the start): the player
// cannot go back. A device whose close says it still holds the ring may yet read it: no other
// device gets it.
TEST(AudioStreamOnADevice, ReopensTheDeviceFromTheFrameAskedOrTheRingsEnd)
{
    const std::vector<float> song = offlineSong(10000 + kStreamFrames);
    const struct {
        uint32_t asked;
        bool released;
    } cases[] = {{0, true}, {10000, true}, {10000, false}};
    for (const auto& c : cases) {
        FakeAudioDevice& device = resetFakeAudioDevice(true);
        device.releases = c.released;
        AudioStream stream;
        startAudioStream(stream, songModule, songModuleSize, fakeAudioOutput());
        submitAudioStream(stream);
        ASSERT_EQ(reopenAudioStream(stream, c.asked), c.released);
        EXPECT_EQ(device.opened.load(), c.released ? 2 : 1);
        if (!c.released) {
            EXPECT_EQ(stream.device, nullptr);
            stopAudioStream(stream);
            continue;
        }
        const uint32_t base = c.asked > kStreamFrames ? c.asked : kStreamFrames;
        EXPECT_EQ(stream.baseFrames, base);
        EXPECT_EQ(audioFramesRendered(stream), base + kStreamFrames);
        for (uint32_t slot = 0; slot < kStreamFrames; ++slot)
            ASSERT_TRUE(slotHolds(stream, song, slot, base + slot)) << "asked for " << c.asked;
        device.bytesPlayed = 100 * kBytesPerFrame;
        EXPECT_EQ(audioFramesPlayed(stream), base + 100);
        stopAudioStream(stream);
        EXPECT_EQ(device.written.load(), 2);
        EXPECT_EQ(device.closed.load(), 2);
    }
}

// Without a device there is no refill thread to hand a player to: the caller keeps it.
TEST(AudioStreamWithoutDevice, RefusesANewPlayer)
{
    resetFakeAudioDevice(false);
    AudioStream stream;
    startAudioStream(stream, songModule, songModuleSize, fakeAudioOutput());
    ModulePlayer* player = nullptr;
    ASSERT_EQ(createModulePlayer(&player, songModule, songModuleSize, kStreamRate), CreatePlayerOk);
    EXPECT_FALSE(switchAudioStreamPlayer(stream, player, 0));
    stopAudioStream(stream);
    destroyModulePlayer(player);
}

}  // namespace
}  // namespace Nimbra
