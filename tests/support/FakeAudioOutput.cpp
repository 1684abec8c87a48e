#include "tests/support/FakeAudioOutput.h"

#include "audio/AudioStream.h"

#include <chrono>
#include <thread>

namespace Nimbra {
namespace Testing {
namespace {

FakeAudioDevice fake;
const AudioStream* fakeStream = nullptr;  // the stream the device was opened for

bool fakeOpen(AudioStream& stream)
{
    ++fake.opened;
    if (!fake.opens)
        return false;
    stream.device = reinterpret_cast<AudioDeviceHandle>(&fake);
    fakeStream = &stream;
    fake.bytesPlayed = 0;  // a device opened afresh has played nothing
    return true;
}

bool fakePrepare(AudioStream&)
{
    ++fake.prepared;
    return fake.prepares;
}

bool fakeWrite(AudioStream&)
{
    ++fake.written;
    return fake.writes;
}
bool fakePause(AudioStream&)
{
    ++fake.paused;
    return fake.pauses;
}
bool fakeResume(AudioStream&)
{
    ++fake.resumed;
    return fake.pauses;
}
bool fakeClose(AudioStream&)
{
    ++fake.closed;
    return fake.releases;
}
void fakeRefillThread()
{
    ++fake.refillThreads;
}

PlayPositionReading fakeReadPosition(const AudioStream&)
{
    ++fake.positionReads;
    PlayPositionReading reading;
    const uint32_t bytes = fake.song ? reportedFramesAt(fake.modelUs) * kBytesPerFrame : fake.bytesPlayed.load();
    switch (fake.answer.load()) {
    case FakePositionAnswer::Bytes: reading = {true, true, bytes}; break;
    case FakePositionAnswer::Fails: reading = {false, true, 0}; break;
    case FakePositionAnswer::Samples: reading = {true, false, bytes / kBytesPerFrame}; break;
    }
    return reading;
}

uint32_t fakeBeginTimer()
{
    ++fake.timersBegun;
    return fake.timerPeriod;
}

void fakeEndTimer(uint32_t period)
{
    ++fake.timersEnded;
    fake.periodEnded = period;
}

// The device reads the ring up to where the model has it by now; a slot that does not hold the
// song frame the device reads there was not written in time.
void readRingInModelTime()
{
    const uint32_t upTo = framesReadBy(fake.model, fake.modelUs);
    const uint32_t songFrames = uint32_t(fake.song->size() / kStreamChannels);
    for (; fake.framesRead < upTo && fake.framesRead < songFrames; ++fake.framesRead) {
        const float* slot = fakeStream->buffer + (fake.framesRead % kStreamFrames) * kStreamChannels;
        const float* frame = fake.song->data() + size_t(fake.framesRead) * kStreamChannels;
        if (slot[0] != frame[0] || slot[1] != frame[1])
            ++fake.framesReadUnwritten;
    }
}

void fakeRefillSleep(uint32_t ms)
{
    if (!fake.song || fake.written.load() == 0 || fake.modelUs >= fake.model.durationUs) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return;
    }
    // A sleep that ends where it began would stop model time: the model ends there, short.
    const uint64_t next = wakeUpAfter(fake.model, fake.modelUs, ms);
    fake.modelUs = next > fake.modelUs ? next : fake.model.durationUs;
    if (fake.modelUs < fake.model.durationUs) {
        readRingInModelTime();
        return;
    }
    std::lock_guard<std::mutex> guard(fake.modelLock);
    fake.modelDone = true;
    fake.modelEnded.notify_all();
}

const AudioOutput output = {fakeOpen,  fakePrepare,      fakeWrite,      fakeReadPosition, fakePause,      fakeResume,
                            fakeClose, fakeRefillThread, fakeBeginTimer, fakeEndTimer,     fakeRefillSleep};

}  // namespace

FakeAudioDevice& resetFakeAudioDevice(bool opens)
{
    fake.opens = opens;
    fake.prepares = fake.writes = fake.pauses = fake.releases = true;
    fake.timerPeriod = 1;
    fake.bytesPlayed = 0;
    fake.answer = FakePositionAnswer::Bytes;
    fake.opened = fake.prepared = fake.written = 0;
    fake.paused = fake.resumed = fake.closed = 0;
    fake.positionReads = fake.refillThreads = 0;
    fake.timersBegun = fake.timersEnded = 0;
    fake.periodEnded = 0;
    fake.model = {};
    fake.song = nullptr;
    fake.modelUs = 0;
    fake.framesRead = fake.framesReadUnwritten = 0;
    fake.modelDone = false;
    return fake;
}

bool waitForModelEnd(FakeAudioDevice& device)
{
    std::unique_lock<std::mutex> lock(device.modelLock);
    return device.modelEnded.wait_for(lock, std::chrono::minutes(2), [&device] { return device.modelDone; });
}

bool waitForRefill(FakeAudioDevice& device)
{
    const int seen = device.positionReads.load();
    for (int i = 0; i < 20000 && device.positionReads.load() < seen + 3; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return device.positionReads.load() >= seen + 3;
}

const AudioOutput& fakeAudioOutput()
{
    return output;
}

}  // namespace Testing
}  // namespace Nimbra
