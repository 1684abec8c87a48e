// Renders the song into 32-bit float stereo frames: runs the replayer's ticks on time, fetches
// one sample per sounding channel and frame, and ramps the gains toward their targets.
#include <cmath>
#include <cstring>

#include "audio/ModulePlayer.h"

namespace Nimbra {

namespace {

const uint32_t crossFadeFrames = 32;
// A position this far outside a ping-pong loop after the reflections is clamped instead.
const int maxReflections = 4;

float sampleValue(const ModuleSample& s, float position) {
    // The loop rules keep positions inside the data; this guard also covers degenerate loops
    // (a loop of no frames at the very end) and positions that are not numbers.
    uint32_t index = position < float(s.length) ? uint32_t(position) : s.length - 1;
    if (index >= s.length) index = s.length - 1;
    if (s.bits == 16) return float(static_cast<const int16_t*>(s.data)[index]) / 32768.0f;
    return float(static_cast<const int8_t*>(s.data)[index]) / 128.0f;
}

void advanceForward(const ModuleSample& s, ModuleChannel& ch) {
    float position = ch.position + ch.step;
    if (position >= float(s.loopEnd)) {
        float loopLength = float(s.loopLength);
        if (position - float(s.loopEnd) < loopLength) {
            float wrapped = position - loopLength;
            // A subtraction that makes no progress (a loop of no frames, or a step so large
            // that the loop length vanishes in single precision) restarts the loop.
            position = wrapped < position ? wrapped : float(s.loopStart);
        } else {
            // Many laps in one step: wrap in one go instead of lap by lap.
            float wrapped = float(s.loopStart) + std::fmod(position - float(s.loopStart), loopLength);
            position = (wrapped >= float(s.loopStart) && wrapped < float(s.loopEnd)) ? wrapped : float(s.loopStart);
        }
    }
    ch.position = position;
}

bool outsideSample(float position, uint32_t length) { return !(position >= 0.0f && position < float(length)); }

void advancePingPong(const ModuleSample& s, ModuleChannel& ch) {
    float loopStart = float(s.loopStart);
    float loopEnd = float(s.loopEnd);
    float length = float(s.length);
    float position = ch.position;
    if (ch.forward) {
        position += ch.step;
        if (position >= loopEnd) {
            ch.forward = 0;
            position = 2.0f * loopEnd - position;
        }
        if (position >= length) {
            ch.forward = 0;
            position = position - (length - 1.0f);
        }
    } else {
        position -= ch.step;
        if (position <= loopStart) {
            ch.forward = 1;
            position = 2.0f * loopStart - position;
        }
        if (position <= 0.0f) {
            ch.forward = 1;
            position = 0.0f;
        }
    }
    // A step longer than the loop can leave the position outside the data after one
    // reflection: reflect again at the loop bounds, then clamp.
    for (int i = 0; i < maxReflections && outsideSample(position, s.length); ++i) {
        if (position >= length) {
            ch.forward = 0;
            position = 2.0f * loopEnd - position;
        } else if (position < 0.0f) {
            ch.forward = 1;
            position = 2.0f * loopStart - position;
        }
    }
    if (outsideSample(position, s.length)) position = position >= length ? length - 1.0f : 0.0f;
    ch.position = position;
}

float crossFade(const ModuleChannel& ch, float v) {
    uint32_t k = ch.rampIndex;
    if (k >= crossFadeFrames) return v;
    return ch.tail[k] + (v - ch.tail[k]) * float(k) / float(crossFadeFrames);
}

float moveToward(float gain, float target, float step) {
    if (gain > target) return gain - step < target ? target : gain - step;
    if (gain < target) return gain + step > target ? target : gain + step;
    return gain;
}

bool sounding(const ModuleChannel& ch) { return ch.instrument && ch.sample && ch.position >= 0.0f; }

}  // namespace

float fetchSample(ModuleChannel& ch) {
    uint32_t k = ch.rampIndex;
    if (!sounding(ch)) return k < crossFadeFrames ? ch.tail[k] * (1.0f - float(k) / float(crossFadeFrames)) : 0.0f;
    const ModuleSample& s = *ch.sample;
    if (s.length == 0) return 0.0f;
    float v = sampleValue(s, ch.position);
    switch (s.loopType) {
        case 1: advanceForward(s, ch); break;
        case 2: advancePingPong(s, ch); break;
        default:
            ch.position += ch.step;
            if (ch.position >= float(s.length)) ch.position = -1.0f;
            break;
    }
    return crossFade(ch, v);
}

// Mixes frames during which no tick falls: channel by channel, adding into the zeroed frames in
// channel order, which gives the same sums as mixing frame by frame.
void ModulePlayer::mixSegment(float* frames, uint32_t count) {
    memset(frames, 0, sizeof(float) * 2 * count);
    if (maxLoops != 0 && rowVisits >= maxLoops) return;  // the song has come round: silence
    for (uint32_t c = 0; c < channelCount; ++c) {
        ModuleChannel& ch = channels[c];
        float* out = frames;
        for (uint32_t i = 0; i < count && sounding(ch); ++i, out += 2) {
            float v = fetchSample(ch);
            out[0] += v * ch.gainLeft;
            out[1] += v * ch.gainRight;
            ch.rampIndex += 1;
            ch.gainLeft = moveToward(ch.gainLeft, ch.targetLeft, rampStep);
            ch.gainRight = moveToward(ch.gainRight, ch.targetRight, rampStep);
        }
    }
    float scale = globalVolume * amplification;
    for (uint32_t i = 0; i < 2 * count; ++i) frames[i] *= scale;
}

void ModulePlayer::generate(float* frames, uint32_t count) {
    while (count > 0) {
        if (framesToNextTick <= 0.0f) playTick();
        // Frames until the next tick is due, counted with the same float steps as one frame
        // at a time would take.
        uint32_t n = 0;
        do {
            framesToNextTick -= 1.0f;
            ++n;
        } while (n < count && framesToNextTick > 0.0f);
        mixSegment(frames, n);
        frames += 2 * n;
        count -= n;
    }
}

}  // namespace Nimbra
