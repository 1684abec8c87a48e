#pragma once
// The output device as the audio stream drives it. On Windows it is the default waveform-audio
// device (waveOutAudioOutput, in WaveOutOutput.cpp); elsewhere there is none, and tests put a
// stand-in of their own in its place. The operations work on the stream's own `device` and
// `header` fields.
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
    // Describes the stream's whole buffer as one endlessly looping block and prepares it.
    void (*prepare)(AudioStream& stream);
    // Hands the prepared block to the device: playback, and the position count, start.
    void (*write)(AudioStream& stream);
    // Bytes played since the last write.
    uint32_t (*bytesPlayed)(const AudioStream& stream);
    // Holds and resumes playback; the position holds with it.
    void (*pause)(AudioStream& stream);
    void (*resume)(AudioStream& stream);
    // Stops playback, takes the block back and closes the device.
    void (*close)(AudioStream& stream);
    // Called first on the refill thread: its priority, so that the refill keeps up under load.
    void (*enterRefillThread)();
};

// The platform's default output: waveform audio on Windows; on other systems an output that never
// opens.
const AudioOutput& defaultAudioOutput();

} // namespace Nimbra
