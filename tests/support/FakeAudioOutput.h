#pragma once
// A stand-in output device for the tests of the audio stream and the clocks built on it: it
// counts every call and has played exactly as many bytes as the test says (none when opened).
#include "audio/AudioOutput.h"

#include <atomic>
#include <cstdint>

namespace Nimbra {
namespace Testing {

struct FakeAudioDevice {
    bool opens = true;                   // false: there is no device
    std::atomic<uint32_t> bytesPlayed{0};
    std::atomic<int> opened{0};
    std::atomic<int> prepared{0};
    std::atomic<int> written{0};
    std::atomic<int> paused{0};
    std::atomic<int> resumed{0};
    std::atomic<int> closed{0};
    std::atomic<int> positionReads{0};
    std::atomic<int> refillThreads{0};
};

// The one fake device, cleared: whether it opens, and nothing played or called yet.
FakeAudioDevice& resetFakeAudioDevice(bool opens);
const AudioOutput& fakeAudioOutput();

} // namespace Testing
} // namespace Nimbra
