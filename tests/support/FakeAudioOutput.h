#pragma once
// A stand-in output device for the tests of the audio stream and the clocks built on it: it
// counts every call, has played exactly as many bytes as the test says (none when opened) and
// answers position queries the way the test says.
#include "audio/AudioOutput.h"
#include "tools/refill-bench/RefillTiming.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

namespace Nimbra {
namespace Testing {

// How the device answers a position query: in bytes as asked, not at all (the device is gone;
// the record comes back cleared), or counting samples instead of bytes.
enum class FakePositionAnswer { Bytes, Fails, Samples };

struct FakeAudioDevice {
    bool opens = true;         // false: there is no device
    bool prepares = true;      // false: the device refuses the buffer's header
    bool writes = true;        // false: the device refuses the buffer itself
    bool pauses = true;        // false: pausing and resuming fail, as on a device that is gone
    bool releases = true;      // false: the close says the device still holds the buffer
    uint32_t timerPeriod = 1;  // the fine timer's period granted, 0: refused
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

    // A Windows device in model time (RefillTiming.h), when `song` is set: from the write on,
    // each refill sleep ends on the model timer's tick, the position follows model time, and
    // at each wake-up before `model.durationUs` the device reads the ring ahead of it, each
    // frame checked against the song. Before the write and after the end the sleeps are real.
    RefillTimingModel model = {};
    const std::vector<float>* song = nullptr;  // frames 0 .. of one play-through
    uint64_t modelUs = 0;                      // the refill thread's alone
    uint32_t framesRead = 0;                   // by the device, from song frame 0 on
    uint32_t framesReadUnwritten = 0;          // read while their slot held another frame
    std::mutex modelLock;
    std::condition_variable modelEnded;
    bool modelDone = false;
};

// Waits until the device in model time has reached the model's end; false if it has not after
// two minutes (a refill thread that stopped sleeping; the limit only keeps a test from hanging).
bool waitForModelEnd(FakeAudioDevice& device);

// Waits until the refill thread has read the position three more times: the last two reads came
// after the caller's change, and the refill after the first of them is done. The wait ends on
// the thread's progress, not on the clock; false if it stopped reading (the limit only keeps a
// broken thread from hanging).
bool waitForRefill(FakeAudioDevice& device);

// The one fake device, cleared: whether it opens, a 1 ms timer granted, answers in bytes, and
// nothing played or called yet.
FakeAudioDevice& resetFakeAudioDevice(bool opens);
const AudioOutput& fakeAudioOutput();

}  // namespace Testing
}  // namespace Nimbra
