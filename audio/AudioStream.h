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
    // The last good count of bytes played; both threads read the position, so both keep it.
    mutable std::atomic<uint32_t> lastGoodBytes{0};
    // Frames put in the ring since the start, the pre-fill included: the stream frame the refill
    // renders next. The refill thread's count, read by the main thread for a song switch.
    std::atomic<uint32_t> framesRendered{0};
    PlayerHandover handover;  // a new player on its way to the refill thread
};

// Opens the device, skips the player (one play-through) to `firstFrame` by rendering and dropping, so a later start
// plays exactly what the song holds there, pre-fills the ring and starts the refill thread. Without a device (or one
// refusing the header) nothing else starts and the clock stays 0; without a player the ring holds silence.
void startAudioStream(AudioStream& stream, const unsigned char* song, uint32_t songSize,
                      const AudioOutput& output = defaultAudioOutput(), uint32_t firstFrame = 0);

// First turn of the frame loop: hands the buffer to the device, which starts playback and the
// clock. Later calls do nothing.
void submitAudioStream(AudioStream& stream);

// Frames the device has played since the submission; 0 without a device. A query that fails
// or answers in another unit than bytes keeps the last good count (keptPlayPosition).
uint32_t audioFramesPlayed(const AudioStream& stream);

// Holds and resumes playback; the play position holds while paused. Nothing without a device.
void pauseAudioStream(AudioStream& stream);
void resumeAudioStream(AudioStream& stream);

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
