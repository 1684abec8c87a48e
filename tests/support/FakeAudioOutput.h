#pragma once
// A stand-in output device for the tests of the audio stream and the clocks built on it: it
// counts every call, has played exactly as many bytes as the test says (none when opened) and
// answers position queries the way the test says.
#include "audio/AudioOutput.h"

#include <atomic>
#include <cstdint>

namespace Nimbra {
namespace Testing {

// How the device answers a position query: in bytes as asked, not at all (the device is gone;
// the record comes back cleared), or counting samples instead of bytes.
enum class FakePositionAnswer { Bytes, Fails, Samples };

struct FakeAudioDevice {
    bool opens = true;                   // false: there is no device
    bool prepares = true;                // false: the device refuses the buffer's header
    uint32_t timerPeriod = 1;            // the fine timer's period granted, 0: refused
    std::atomic<uint32_t> bytesPlayed{0};
    std::atomic<FakePositionAnswer> answer{FakePositionAnswer::Bytes};
    std::atomic<int> opened{0};
    std::atomic<int> prepared{0};
    std::atomic<int> written{0};
    std::atomic<int> paused{0};
    std::atomic<int> resumed{0};
    std::atomic<int> closed{0};
    std::atomic<int> positionReads{0};
    std::atomic<int> refillThreads{0};
    std::atomic<int> timersBegun{0};
    std::atomic<int> timersEnded{0};
    std::atomic<uint32_t> periodEnded{0};  // the period handed back last
};

// The one fake device, cleared: whether it opens, a 1 ms timer granted, answers in bytes, and
// nothing played or called yet.
FakeAudioDevice& resetFakeAudioDevice(bool opens);
const AudioOutput& fakeAudioOutput();

} // namespace Testing
} // namespace Nimbra
