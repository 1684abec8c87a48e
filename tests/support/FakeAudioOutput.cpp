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

void fakePrepare(AudioStream&) { ++fake.prepared; }
void fakeWrite(AudioStream&) { ++fake.written; }
void fakePause(AudioStream&) { ++fake.paused; }
void fakeResume(AudioStream&) { ++fake.resumed; }
void fakeClose(AudioStream&) { ++fake.closed; }
void fakeRefillThread() { ++fake.refillThreads; }

uint32_t fakeBytesPlayed(const AudioStream&)
{
    ++fake.positionReads;
    return fake.bytesPlayed.load();
}

const AudioOutput output = {fakeOpen, fakePrepare, fakeWrite, fakeBytesPlayed,
                            fakePause, fakeResume, fakeClose, fakeRefillThread};

} // namespace

FakeAudioDevice& resetFakeAudioDevice(bool opens)
{
    fake.opens = opens;
    fake.bytesPlayed = 0;
    fake.opened = fake.prepared = fake.written = 0;
    fake.paused = fake.resumed = fake.closed = 0;
    fake.positionReads = fake.refillThreads = 0;
    return fake;
}

const AudioOutput& fakeAudioOutput()
{
    return output;
}

} // namespace Testing
} // namespace Nimbra
