#include "audio/AudioStream.h"

#include "audio/ModulePlayer.h"

#include <cstdlib>

namespace Nimbra {
namespace {

// A switch hands the refill at most this many frames to render and drop at its visit; the
// main thread renders the rest of the way.
constexpr uint32_t kHandoverCatchUpFrames = kStreamFrames / 8;

// At the start of a visit: takes a player offered since the last one and brings it to the
// stream frame the ring has been filled to, the frame it then renders first.
void takeNewPlayer(AudioStream& stream, uint32_t rendered)
{
    uint32_t at = 0;
    ModulePlayer* next = takeOfferedPlayer(stream.handover, stream.player, at);
    if (!next)
        return;
    if (rendered > at)
        skipPlayerFrames(*next, rendered - at);
    stream.player = next;
}

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
        takeNewPlayer(*stream, kStreamFrames + written);
        while (uint32_t chunk = nextRefillChunk(written, played)) {
            if (stream->player)
                stream->player->generate(stream->buffer + refillSlot(written) * kStreamChannels, chunk);
            written += chunk;
        }
        stream->framesRendered.store(kStreamFrames + written);
        stream->output->refillSleep(kRefillIntervalMs);
    }
    if (timerPeriod != 0)
        stream->output->endFineTimer(timerPeriod);
}

}  // namespace

void skipPlayerFrames(ModulePlayer& player, uint32_t frames)
{
    float scratch[512 * kStreamChannels];
    while (frames > 0) {
        const uint32_t chunk = frames < 512 ? frames : 512;
        player.generate(scratch, chunk);
        frames -= chunk;
    }
}

void startAudioStream(AudioStream& stream, const unsigned char* song, uint32_t songSize, const AudioOutput& output,
                      uint32_t firstFrame)
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
        skipPlayerFrames(*stream.player, firstFrame);
        stream.player->generate(stream.buffer, kStreamFrames);
    } else {
        for (float& sample : stream.buffer)
            sample = 0.0f;
    }

    stream.framesRendered.store(kStreamFrames);
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

uint32_t audioFramesRendered(const AudioStream& stream)
{
    return stream.framesRendered.load();
}

bool switchAudioStreamPlayer(AudioStream& stream, ModulePlayer* player, uint32_t at)
{
    if (!stream.thread.joinable())
        return false;
    // The ring goes on filling meanwhile: follow it until the refill has little left to do.
    for (uint32_t rendered = audioFramesRendered(stream); rendered > at + kHandoverCatchUpFrames;
         rendered = audioFramesRendered(stream)) {
        skipPlayerFrames(*player, rendered - at);
        at = rendered;
    }
    offerPlayer(stream.handover, player, at);
    return true;
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
    clearPlayerHandover(stream.handover);
    if (stream.player) {
        free(stream.player);
        stream.player = nullptr;
    }
}

}  // namespace Nimbra
