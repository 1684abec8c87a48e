#pragma once
// The soundtrack's way out: one looping buffer of kStreamFrames float stereo frames on the
// output device, kept filled by a refill thread. The device's play position is the clock of
// the whole presentation; audioFramesPlayed is the one place it is read.
#include "audio/AudioOutput.h"
#include "audio/PlayerHandover.h"
#include "audio/RefillPlan.h"
#include "audio/StreamFormat.h"

#include <atomic>
#include <cstdint>
#include <thread>

namespace Nimbra {

struct ModulePlayer;

struct AudioStream {
    AudioBufferHeader header = {};                       // the device's description of `buffer`
    AudioDeviceHandle device = nullptr;                  // null when the device could not be opened
    float buffer[kStreamFrames * kStreamChannels] = {};  // left, right
    ModulePlayer* player = nullptr;                      // the refill thread's alone once it runs
    std::thread thread;
    bool writePending = false;  // prepared and pre-filled, not yet submitted
    std::atomic<bool> stopRequested{false};
    const AudioOutput* output = nullptr;  // the device's operations, set by the start
    // The stream frame the device's count starts from: 0, or where a reopened device took over.
    uint32_t baseFrames = 0;
    // The last good count of bytes the device has played; both threads read the position, so
    // both keep it. It stays when the device is closed, so that the time holds.
    mutable std::atomic<uint32_t> lastGoodBytes{0};
    // Frames put in the ring since the start, the pre-fill included: the stream frame the refill
    // renders next. The refill thread's count, read by the main thread for a song switch.
    std::atomic<uint32_t> framesRendered{0};
    // A device closed without handing the ring back may still read it: no other device gets it.
    bool ringLent = false;
    PlayerHandover handover;  // a new player on its way to the refill thread
};

// Opens the device, skips the player (one play-through) to `firstFrame` by rendering and dropping, so a later start
// plays exactly what the song holds there, pre-fills the ring and starts the refill thread. Without a device (or one
// refusing the header) nothing else starts and the clock stays 0; without a player the ring holds silence.
void startAudioStream(AudioStream& stream, const unsigned char* song, uint32_t songSize,
                      const AudioOutput& output = defaultAudioOutput(), uint32_t firstFrame = 0);

// First turn of the frame loop: hands the buffer to the device, which starts playback and the
// clock. Later calls do nothing. A device that refuses the buffer counts as gone (below).
void submitAudioStream(AudioStream& stream);

// Stream frames played: baseFrames plus what the device has played since its write, 0 before a
// device has played. A query that fails, answers in another unit than bytes or below the last
// good count keeps that count (keptPlayPosition); without a device it stays where the last one
// left it.
uint32_t audioFramesPlayed(const AudioStream& stream);

// Holds and resumes playback; the play position holds while paused. Nothing without a device.
// A device that is gone (the call fails) is closed: the refill stops, the time holds.
void pauseAudioStream(AudioStream& stream);
void resumeAudioStream(AudioStream& stream);

// Closes the device, if any, and opens the default one afresh, whose count begins at 0: it plays
// the song from stream frame `frame` on (from the frame the ring was filled to, when that is
// later), pre-filled and written at once. The player is brought to that frame in any case, so
// that a later try starts where the time then is. False, with no device, when none opens or the
// ring may still be with a device that was closed.
bool reopenAudioStream(AudioStream& stream, uint32_t frame);

// The stream frame the refill renders next (framesRendered).
uint32_t audioFramesRendered(const AudioStream& stream);

// Plays `player` from here on, whatever the device's state; it renders stream frame `at` (at most
// audioFramesRendered) next, and the refill thread catches it up to its own frame. The old player is freed at the
// next switch or stop, never on the refill thread. True: the stream owns `player`; false: no device, no change.
bool switchAudioStreamPlayer(AudioStream& stream, ModulePlayer* player, uint32_t at);

// Renders and drops the player's next `frames` frames.
void skipPlayerFrames(ModulePlayer& player, uint32_t frames);

// Stops the refill thread, then the device, and frees the player. The stream can then be
// started again.
void stopAudioStream(AudioStream& stream);

}  // namespace Nimbra
