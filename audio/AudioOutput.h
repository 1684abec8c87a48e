#pragma once
// The output device the audio stream drives: waveOut on Windows (WaveOutOutput.cpp), none elsewhere, where tests
// put in a stand-in. The operations work on the stream's own `device` and `header` fields.
#include "audio/PlayPosition.h"

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#include <mmsystem.h>
#endif

namespace Nimbra {

#ifdef _WIN32
using AudioDeviceHandle = HWAVEOUT;
using AudioBufferHeader = WAVEHDR;
#else
using AudioDeviceHandle = void*;
// Without the waveform-audio library the header is only a place holder the device fills.
struct AudioBufferHeader {
    void* data;
    uint32_t length;
};
#endif

struct AudioStream;

struct AudioOutput {
    // Opens the default device for the stream's format into stream.device; false when there is
    // none (stream.device then stays null).
    bool (*open)(AudioStream& stream);
    // Describes the stream's whole buffer as one endlessly looping block and prepares it; false
    // when the device refuses it (the stream then closes the device and stays silent).
    bool (*prepare)(AudioStream& stream);
    // Hands the prepared block to the device: playback, and the position count, start. False
    // when the device refuses it: it then plays nothing and counts as gone.
    bool (*write)(AudioStream& stream);
    // The device's answer to how many bytes it has played since the write (PlayPosition.h).
    PlayPositionReading (*readPosition)(const AudioStream& stream);
    // Holds and resumes playback; the position holds with it. False when the device is gone; one
    // that cannot pause plays on, its position too, and answers true.
    bool (*pause)(AudioStream& stream);
    bool (*resume)(AudioStream& stream);
    // Stops playback, takes the block back and closes the device. False when the device says it
    // still holds the block: the buffer must then never go to another device.
    bool (*close)(AudioStream& stream);
    // Called first on the refill thread: its priority, so that the refill keeps up under load.
    void (*enterRefillThread)();
    // While the refill thread runs: asks the system timer for wake-ups finer than its default
    // tick and returns the period granted in ms, 0 for none; the end hands that period back.
    uint32_t (*beginFineTimer)();
    void (*endFineTimer)(uint32_t period);
    // The refill thread's sleep between two visits.
    void (*refillSleep)(uint32_t ms);
};

// The platform's default output: waveform audio on Windows; on other systems an output that never
// opens.
const AudioOutput& defaultAudioOutput();

}  // namespace Nimbra
