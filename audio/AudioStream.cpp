#include "audio/AudioStream.h"

#include "audio/ModulePlayer.h"

#include <cstdlib>

namespace Nimbra {
namespace {

uint32_t framesPlayed(HWAVEOUT device)
{
    MMTIME time = {};
    time.wType = TIME_BYTES;
    waveOutGetPosition(device, &time, sizeof(time));
    return time.u.cb / 8;
}

// Renders exactly the frames the device has played since the last visit into the slots they
// vacated, so slot f mod kStreamFrames holds song frame f + kStreamFrames by the time the
// device gets there. Without a player the ring keeps the silence it was cleared to.
void refillLoop(AudioStream* stream)
{
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    uint32_t written = 0;
    while (!stream->stopRequested.load()) {
        const uint32_t played = framesPlayed(stream->device);
        while (uint32_t chunk = nextRefillChunk(written, played)) {
            if (stream->player)
                stream->player->generate(stream->buffer + refillSlot(written) * 2, chunk);
            written += chunk;
        }
        Sleep(5);
    }
}

} // namespace

void startAudioStream(AudioStream& stream, const unsigned char* song, uint32_t songSize)
{
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_IEEE_FLOAT;
    format.nChannels = 2;
    format.nSamplesPerSec = kStreamRate;
    format.nAvgBytesPerSec = kStreamRate * 8;
    format.nBlockAlign = 8;
    format.wBitsPerSample = 32;
    format.cbSize = 0;
    if (waveOutOpen(&stream.device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
        stream.device = nullptr;
        return;
    }

    // One buffer that is its own endless loop: the device plays it until the reset.
    stream.header = {};
    stream.header.lpData = reinterpret_cast<LPSTR>(stream.buffer);
    stream.header.dwBufferLength = sizeof(stream.buffer);
    stream.header.dwFlags = WHDR_BEGINLOOP | WHDR_ENDLOOP;
    stream.header.dwLoops = 0xFFFFFFFFu;
    waveOutPrepareHeader(stream.device, &stream.header, sizeof(stream.header));

    if (createModulePlayer(&stream.player, song, songSize, kStreamRate) != CreatePlayerOk)
        stream.player = nullptr;
    if (stream.player) {
        stream.player->setMaxLoops(1);
        stream.player->generate(stream.buffer, kStreamFrames);
    }

    stream.stopRequested.store(false);
    stream.thread = std::thread(refillLoop, &stream);
    stream.writePending = true;
}

void submitAudioStream(AudioStream& stream)
{
    if (!stream.writePending)
        return;
    waveOutWrite(stream.device, &stream.header, sizeof(stream.header));
    stream.writePending = false;
}

void stopAudioStream(AudioStream& stream)
{
    stream.stopRequested.store(true);
    if (stream.thread.joinable())
        stream.thread.join();
    if (stream.device) {
        waveOutPause(stream.device);
        waveOutReset(stream.device);
        // The device has returned the buffer after the reset; release it before closing.
        waveOutUnprepareHeader(stream.device, &stream.header, sizeof(stream.header));
        waveOutClose(stream.device);
        stream.device = nullptr;
    }
    if (stream.player) {
        free(stream.player);
        stream.player = nullptr;
    }
}

} // namespace Nimbra
