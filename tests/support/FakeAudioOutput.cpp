#include "tests/support/FakeAudioOutput.h"

#include "audio/AudioStream.h"

namespace Nimbra {
namespace Testing {
namespace {

FakeAudioDevice fake;

bool fakeOpen(AudioStream& stream)
{
    ++fake.opened;
    if (!fake.opens)
        return false;
    stream.device = reinterpret_cast<AudioDeviceHandle>(&fake);
    fake.bytesPlayed = 0;  // a device opened afresh has played nothing
    return true;
}

bool fakePrepare(AudioStream&)
{
    ++fake.prepared;
    return fake.prepares;
}

void fakeWrite(AudioStream&) { ++fake.written; }
void fakePause(AudioStream&) { ++fake.paused; }
void fakeResume(AudioStream&) { ++fake.resumed; }
void fakeClose(AudioStream&) { ++fake.closed; }
void fakeRefillThread() { ++fake.refillThreads; }

PlayPositionReading fakeReadPosition(const AudioStream&)
{
    ++fake.positionReads;
    PlayPositionReading reading;
    switch (fake.answer.load()) {
    case FakePositionAnswer::Bytes:
        reading = {true, true, fake.bytesPlayed.load()};
        break;
    case FakePositionAnswer::Fails:
        reading = {false, true, 0};
        break;
    case FakePositionAnswer::Samples:
        reading = {true, false, fake.bytesPlayed.load() / kBytesPerFrame};
        break;
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

const AudioOutput output = {fakeOpen, fakePrepare, fakeWrite, fakeReadPosition,
                            fakePause, fakeResume, fakeClose, fakeRefillThread,
                            fakeBeginTimer, fakeEndTimer};

} // namespace

FakeAudioDevice& resetFakeAudioDevice(bool opens)
{
    fake.opens = opens;
    fake.prepares = true;
    fake.timerPeriod = 1;
    fake.bytesPlayed = 0;
    fake.answer = FakePositionAnswer::Bytes;
    fake.opened = fake.prepared = fake.written = 0;
    fake.paused = fake.resumed = fake.closed = 0;
    fake.positionReads = fake.refillThreads = 0;
    fake.timersBegun = fake.timersEnded = 0;
    fake.periodEnded = 0;
    return fake;
}

const AudioOutput& fakeAudioOutput()
{
    return output;
}

} // namespace Testing
} // namespace Nimbra
