#include "audio/AudioStream.h"

#include "audio/ModulePlayer.h"

#include <cstdlib>

namespace Nimbra {
namespace {

// Renders exactly the frames the device has played since the last visit into the slots they
// vacated, so slot f mod kStreamFrames holds song frame f + kStreamFrames by the time the
// device gets there. Without a player the ring keeps the silence it was cleared to.
void refillLoop(AudioStream* stream)
{
    stream->output->enterRefillThread();
    const uint32_t timerPeriod = stream->output->beginFineTimer();
    uint32_t written = 0;
    while (!stream->stopRequested.load()) {
        const uint32_t played = audioFramesPlayed(*stream);
        while (uint32_t chunk = nextRefillChunk(written, played)) {
            if (stream->player)
                stream->player->generate(stream->buffer + refillSlot(written) * kStreamChannels, chunk);
            written += chunk;
        }
        stream->output->refillSleep(kRefillIntervalMs);
    }
    if (timerPeriod != 0)
        stream->output->endFineTimer(timerPeriod);
}

// Renders and drops the song's first `frames` frames, a ring at a time.
void skipSongFrames(ModulePlayer& player, float* scratch, uint32_t frames)
{
    while (frames > 0) {
        const uint32_t chunk = frames < kStreamFrames ? frames : kStreamFrames;
        player.generate(scratch, chunk);
        frames -= chunk;
    }
}

} // namespace

void startAudioStream(AudioStream& stream, const unsigned char* song, uint32_t songSize,
                      const AudioOutput& output, uint32_t firstFrame)
{
    stream.output = &output;
    stream.lastGoodBytes.store(0);
    if (!output.open(stream)) {
        stream.device = nullptr;
        return;
    }
    if (!output.prepare(stream)) {
        output.close(stream);
        stream.device = nullptr;
        return;
    }

    if (createModulePlayer(&stream.player, song, songSize, kStreamRate) != CreatePlayerOk)
        stream.player = nullptr;
    if (stream.player) {
        stream.player->setMaxLoops(1);
        skipSongFrames(*stream.player, stream.buffer, firstFrame);
        stream.player->generate(stream.buffer, kStreamFrames);
    } else {
        for (float& sample : stream.buffer)
            sample = 0.0f;
    }

    stream.stopRequested.store(false);
    stream.thread = std::thread(refillLoop, &stream);
    stream.writePending = true;
}

void submitAudioStream(AudioStream& stream)
{
    if (!stream.writePending)
        return;
    stream.output->write(stream);
    stream.writePending = false;
}

uint32_t audioFramesPlayed(const AudioStream& stream)
{
    if (!stream.device)
        return 0;
    const PlayPositionReading reading = stream.output->readPosition(stream);
    const uint32_t bytes = keptPlayPosition(stream.lastGoodBytes.load(), reading);
    // Both threads keep the count; the larger wins, so that a slow reader never puts back an
    // older count (the device's own count only grows while the stream runs).
    uint32_t kept = stream.lastGoodBytes.load();
    while (bytes > kept && !stream.lastGoodBytes.compare_exchange_weak(kept, bytes)) {
    }
    return bytes / kBytesPerFrame;
}

void pauseAudioStream(AudioStream& stream)
{
    if (stream.device)
        stream.output->pause(stream);
}

void resumeAudioStream(AudioStream& stream)
{
    if (stream.device)
        stream.output->resume(stream);
}

void stopAudioStream(AudioStream& stream)
{
    stream.stopRequested.store(true);
    if (stream.thread.joinable())
        stream.thread.join();
    if (stream.device) {
        stream.output->close(stream);
        stream.device = nullptr;
    }
    stream.writePending = false;
    if (stream.player) {
        free(stream.player);
        stream.player = nullptr;
    }
}

} // namespace Nimbra
