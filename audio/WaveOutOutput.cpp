// The default waveform-audio device as the stream's output: float stereo at 44,100 Hz, one
// buffer that is its own endless loop.
#include "audio/AudioOutput.h"
#include "audio/AudioStream.h"

#include <mmreg.h>

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

void prepareWaveOut(AudioStream& stream)
{
    // One buffer that is its own endless loop: the device plays it until the reset.
    stream.header = {};
    stream.header.lpData = reinterpret_cast<LPSTR>(stream.buffer);
    stream.header.dwBufferLength = sizeof(stream.buffer);
    stream.header.dwFlags = WHDR_BEGINLOOP | WHDR_ENDLOOP;
    stream.header.dwLoops = 0xFFFFFFFFu;
    waveOutPrepareHeader(stream.device, &stream.header, sizeof(stream.header));
}

void writeWaveOut(AudioStream& stream)
{
    waveOutWrite(stream.device, &stream.header, sizeof(stream.header));
}

// The query fails and leaves 0 while no device is open.
uint32_t waveOutBytesPlayed(const AudioStream& stream)
{
    MMTIME time = {};
    time.wType = TIME_BYTES;
    waveOutGetPosition(stream.device, &time, sizeof(time));
    return time.u.cb;
}

void pauseWaveOut(AudioStream& stream)
{
    waveOutPause(stream.device);
}

void resumeWaveOut(AudioStream& stream)
{
    waveOutRestart(stream.device);
}

void closeWaveOut(AudioStream& stream)
{
    waveOutPause(stream.device);
    waveOutReset(stream.device);
    // The device has returned the buffer after the reset; release it before closing.
    waveOutUnprepareHeader(stream.device, &stream.header, sizeof(stream.header));
    waveOutClose(stream.device);
}

void raiseRefillPriority()
{
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
}

const AudioOutput waveOutAudioOutput = {
    openWaveOut, prepareWaveOut, writeWaveOut, waveOutBytesPlayed,
    pauseWaveOut, resumeWaveOut, closeWaveOut, raiseRefillPriority,
};

} // namespace

const AudioOutput& defaultAudioOutput()
{
    return waveOutAudioOutput;
}

} // namespace Nimbra
