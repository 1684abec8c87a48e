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

// The device's own count, in frames, kept by keptPlayPosition; the larger count wins between
// the two threads, so that a slow reader never puts back an older one.
uint32_t deviceFramesPlayed(const AudioStream& stream)
{
    uint32_t kept = stream.lastGoodBytes.load();
    if (stream.device) {
        const uint32_t bytes = keptPlayPosition(kept, stream.output->readPosition(stream));
        while (bytes > kept && !stream.lastGoodBytes.compare_exchange_weak(kept, bytes)) {
        }
        kept = bytes > kept ? bytes : kept;
    }
    return kept / kBytesPerFrame;
}

// Renders exactly the frames the device has played since the last visit into the slots they
// vacated, so slot f mod kStreamFrames holds song frame f + kStreamFrames by the time the
// device gets there (f counted from the device's write). Without a player the ring keeps the
// silence it was cleared to.
void refillLoop(AudioStream* stream)
{
    stream->output->enterRefillThread();
    const uint32_t timerPeriod = stream->output->beginFineTimer();
    const uint32_t base = stream->baseFrames;
    uint32_t written = 0;
    while (!stream->stopRequested.load()) {
        const uint32_t played = deviceFramesPlayed(*stream);
        takeNewPlayer(*stream, base + kStreamFrames + written);
        while (uint32_t chunk = nextRefillChunk(written, played)) {
            if (stream->player)
                stream->player->generate(stream->buffer + refillSlot(written) * kStreamChannels, chunk);
            written += chunk;
        }
        stream->framesRendered.store(base + kStreamFrames + written);
        stream->output->refillSleep(kRefillIntervalMs);
    }
    if (timerPeriod != 0)
        stream->output->endFineTimer(timerPeriod);
}

// Opens and prepares the default device; false, with no device, when it cannot be had.
bool openDevice(AudioStream& stream)
{
    if (!stream.output->open(stream)) {
        stream.device = nullptr;
        return false;
    }
    if (!stream.output->prepare(stream)) {
        stream.ringLent = !stream.output->close(stream) || stream.ringLent;
        stream.device = nullptr;
        return false;
    }
    return true;
}

// Fills the whole ring from the player's next frame, stream frame baseFrames, and starts the
// refill thread.
void startRefill(AudioStream& stream)
{
    if (stream.player) {
        stream.player->generate(stream.buffer, kStreamFrames);
    } else {
        for (float& sample : stream.buffer)
            sample = 0.0f;
    }
    stream.framesRendered.store(stream.baseFrames + kStreamFrames);
    stream.stopRequested.store(false);
    stream.thread = std::thread(refillLoop, &stream);
}

// Stops the refill thread and closes the device; the player and the kept count stay.
void closeDevice(AudioStream& stream)
{
    stream.stopRequested.store(true);
    if (stream.thread.joinable())
        stream.thread.join();
    if (stream.device) {
        stream.ringLent = !stream.output->close(stream) || stream.ringLent;
        stream.device = nullptr;
    }
    stream.writePending = false;
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
    stream.baseFrames = 0;
    stream.lastGoodBytes.store(0);
    if (!openDevice(stream))
        return;
    if (createModulePlayer(&stream.player, song, songSize, kStreamRate) != CreatePlayerOk)
        stream.player = nullptr;
    if (stream.player) {
        stream.player->setMaxLoops(1);
        skipPlayerFrames(*stream.player, firstFrame);
    }
    startRefill(stream);
    stream.writePending = true;
}

void submitAudioStream(AudioStream& stream)
{
    if (!stream.writePending)
        return;
    stream.writePending = false;
    if (!stream.output->write(stream))
        closeDevice(stream);  // it plays nothing, so it counts as none
}

uint32_t audioFramesPlayed(const AudioStream& stream)
{
    return stream.baseFrames + deviceFramesPlayed(stream);
}

bool reopenAudioStream(AudioStream& stream, uint32_t frame)
{
    if (!stream.output)
        return false;
    closeDevice(stream);
    const uint32_t rendered = stream.framesRendered.load();
    if (frame > rendered && stream.player)
        skipPlayerFrames(*stream.player, frame - rendered);
    const uint32_t base = frame > rendered ? frame : rendered;
    stream.framesRendered.store(base);
    if (stream.ringLent || !openDevice(stream))
        return false;
    stream.baseFrames = base;
    stream.lastGoodBytes.store(0);
    startRefill(stream);
    if (stream.output->write(stream))
        return true;
    closeDevice(stream);
    return false;
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
    if (stream.device && !stream.output->pause(stream))
        closeDevice(stream);
}

void resumeAudioStream(AudioStream& stream)
{
    if (stream.device && !stream.output->resume(stream))
        closeDevice(stream);
}

void stopAudioStream(AudioStream& stream)
{
    closeDevice(stream);
    clearPlayerHandover(stream.handover);
    if (stream.player) {
        free(stream.player);
        stream.player = nullptr;
    }
}

}  // namespace Nimbra
