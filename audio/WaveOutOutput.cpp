// The default waveform-audio device as the stream's output: float stereo at 44,100 Hz, one
// buffer that is its own endless loop.
#include "audio/AudioOutput.h"
#include "audio/AudioStream.h"

#include <mmreg.h>
#include <timeapi.h>

namespace Nimbra {
namespace {

bool openWaveOut(AudioStream& stream)
{
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_IEEE_FLOAT;
    format.nChannels = kStreamChannels;
    format.nSamplesPerSec = kStreamRate;
    format.nAvgBytesPerSec = kStreamRate * kBytesPerFrame;
    format.nBlockAlign = kBytesPerFrame;
    format.wBitsPerSample = 32;
    format.cbSize = 0;
    return waveOutOpen(&stream.device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) == MMSYSERR_NOERROR;
}

bool prepareWaveOut(AudioStream& stream)
{
    // The header is prepared with its flags zero, as the preparation asks; the loop flags go in
    // between the preparation and the write. One buffer that is its own endless loop: the device
    // plays it until the reset.
    stream.header = {};
    stream.header.lpData = reinterpret_cast<LPSTR>(stream.buffer);
    stream.header.dwBufferLength = sizeof(stream.buffer);
    if (waveOutPrepareHeader(stream.device, &stream.header, sizeof(stream.header)) != MMSYSERR_NOERROR)
        return false;
    stream.header.dwFlags |= WHDR_BEGINLOOP | WHDR_ENDLOOP;
    stream.header.dwLoops = 0xFFFFFFFFu;
    return true;
}

bool writeWaveOut(AudioStream& stream)
{
    return waveOutWrite(stream.device, &stream.header, sizeof(stream.header)) == MMSYSERR_NOERROR;
}

// The device may answer in another unit than the bytes asked for, and says so in wType.
PlayPositionReading readWaveOutPosition(const AudioStream& stream)
{
    MMTIME time = {};
    time.wType = TIME_BYTES;
    const MMRESULT result = waveOutGetPosition(stream.device, &time, sizeof(time));
    PlayPositionReading reading;
    reading.answered = result == MMSYSERR_NOERROR;
    reading.inBytes = time.wType == TIME_BYTES;
    reading.bytes = time.u.cb;
    return reading;
}

// Every failure but "not supported" (a synchronous device, which plays on, its position too)
// comes from a handle or driver that is gone.
bool deviceStillThere(MMRESULT result)
{
    return result == MMSYSERR_NOERROR || result == MMSYSERR_NOTSUPPORTED;
}

bool pauseWaveOut(AudioStream& stream)
{
    return deviceStillThere(waveOutPause(stream.device));
}

bool resumeWaveOut(AudioStream& stream)
{
    return deviceStillThere(waveOutRestart(stream.device));
}

// The reset stops playback and returns the block; only then may it be unprepared, and only a
// block no device holds may go to another one. A device that is gone answers its handle is
// invalid or has no driver: nothing holds the block through it. Only "still playing" says the
// block is still queued. The pause and the reset need no answer: the unprepare says it all.
bool closeWaveOut(AudioStream& stream)
{
    waveOutPause(stream.device);
    waveOutReset(stream.device);
    const MMRESULT unprepared = waveOutUnprepareHeader(stream.device, &stream.header, sizeof(stream.header));
    const MMRESULT closed = waveOutClose(stream.device);
    return unprepared != WAVERR_STILLPLAYING && closed != WAVERR_STILLPLAYING;
}

void raiseRefillPriority()
{
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
}

// Since Windows 10 2004 a process sleeps on the default 15.6 ms tick unless it asks for a finer
// one itself. The finest period the timer offers, at least 1 ms; 0 when it grants none.
uint32_t beginFineTimer()
{
    TIMECAPS caps = {};
    if (timeGetDevCaps(&caps, sizeof(caps)) != MMSYSERR_NOERROR)
        return 0;
    const UINT period = caps.wPeriodMin > 1 ? caps.wPeriodMin : 1;
    return timeBeginPeriod(period) == TIMERR_NOERROR ? period : 0;
}

// Each granted period is handed back with the same value.
void endFineTimer(uint32_t period)
{
    timeEndPeriod(period);
}

void sleepBetweenRefills(uint32_t ms)
{
    Sleep(ms);
}

const AudioOutput waveOutAudioOutput = {
    openWaveOut,  prepareWaveOut,      writeWaveOut,   readWaveOutPosition, pauseWaveOut,        resumeWaveOut,
    closeWaveOut, raiseRefillPriority, beginFineTimer, endFineTimer,        sleepBetweenRefills,
};

}  // namespace

const AudioOutput& defaultAudioOutput()
{
    return waveOutAudioOutput;
}

}  // namespace Nimbra
