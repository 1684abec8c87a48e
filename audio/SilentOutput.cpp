#include "audio/SilentOutput.h"

#include "audio/AudioStream.h"

#include <chrono>
#include <mutex>
#include <thread>

namespace Nimbra {
namespace {

using Clock = std::chrono::steady_clock;

// The stream's device handle points at one of these. The refill thread reads the position
// while the main thread pauses and resumes, hence the lock.
struct SilentDevice {
    std::mutex lock;
    bool playing = false;
    Clock::time_point since;         // when playback last started or resumed
    Clock::duration playedBefore{};  // played up to then
};

SilentDevice& deviceOf(const AudioStream& stream)
{
    return *reinterpret_cast<SilentDevice*>(stream.device);
}

bool openSilence(AudioStream& stream)
{
    stream.device = reinterpret_cast<AudioDeviceHandle>(new SilentDevice);
    return true;
}

bool prepareSilence(AudioStream&)
{
    return true;
}

bool startSilence(AudioStream& stream)
{
    SilentDevice& device = deviceOf(stream);
    std::lock_guard<std::mutex> guard(device.lock);
    device.playing = true;
    device.since = Clock::now();
    return true;
}

PlayPositionReading readSilencePosition(const AudioStream& stream)
{
    SilentDevice& device = deviceOf(stream);
    std::lock_guard<std::mutex> guard(device.lock);
    Clock::duration played = device.playedBefore;
    if (device.playing)
        played += Clock::now() - device.since;
    const auto frames = std::chrono::duration_cast<std::chrono::microseconds>(played).count() * kStreamRate / 1000000;
    PlayPositionReading reading;
    reading.answered = reading.inBytes = true;
    reading.bytes = uint32_t(frames) * kBytesPerFrame;
    return reading;
}

bool pauseSilence(AudioStream& stream)
{
    SilentDevice& device = deviceOf(stream);
    std::lock_guard<std::mutex> guard(device.lock);
    if (device.playing)
        device.playedBefore += Clock::now() - device.since;
    device.playing = false;
    return true;
}

bool closeSilence(AudioStream& stream)
{
    delete &deviceOf(stream);
    return true;
}

void nothingToSetUp() {}
// Nothing is heard, so a late refill costs nothing: no finer timer.
uint32_t noFineTimer()
{
    return 0;
}
void noTimerToEnd(uint32_t) {}

void sleepBetweenRefills(uint32_t ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

const AudioOutput output = {openSilence,  prepareSilence, startSilence,       readSilencePosition,
                            pauseSilence, startSilence,   closeSilence,       nothingToSetUp,
                            noFineTimer,  noTimerToEnd,   sleepBetweenRefills};

}  // namespace

const AudioOutput& silentAudioOutput()
{
    return output;
}

}  // namespace Nimbra
