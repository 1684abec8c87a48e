#pragma once
// The soundtrack's way out: one looping buffer of kStreamFrames float stereo frames on the
// default waveform-audio device, kept filled by a refill thread. The device's play position
// is the clock of the whole presentation.
#include "audio/RefillPlan.h"

#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>

#include <atomic>
#include <cstdint>
#include <thread>

namespace Nimbra {

struct ModulePlayer;

constexpr uint32_t kStreamRate = 44100;

struct AudioStream {
    WAVEHDR header = {};
    HWAVEOUT device = nullptr;                   // null when the device could not be opened
    float buffer[kStreamFrames * 2] = {};        // left, right
    ModulePlayer* player = nullptr;              // the refill thread's alone once it runs
    std::thread thread;
    bool writePending = false;                   // prepared and pre-filled, not yet submitted
    std::atomic<bool> stopRequested{false};
};

// Opens the device, prepares the looping header, creates the player over the song (limited to
// one play-through), pre-fills the whole ring, starts the refill thread and sets writePending.
// Without a device nothing else happens and the stream stays silent; without a player the ring
// holds silence.
void startAudioStream(AudioStream& stream, const unsigned char* song, uint32_t songSize);

// First turn of the frame loop: hands the buffer to the device, which starts playback and the
// clock. Later calls do nothing.
void submitAudioStream(AudioStream& stream);

// Stops the refill thread, then the device, and frees the player.
void stopAudioStream(AudioStream& stream);

} // namespace Nimbra
