// Renders the song into 32-bit float stereo frames: runs the replayer's ticks on time, fetches
// one sample per sounding channel and frame, and ramps the gains toward their targets.
#include <algorithm>
#include <cmath>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "audio/ModulePlayer.h"

namespace Nimbra {

namespace {

// A position this far outside a ping-pong loop after the reflections is clamped instead.
const int maxReflections = 4;

// Where a voice is in its sample: kept in locals while a run of frames is mixed.
struct Cursor {
    float position;
    float step;
    uint8_t forward;
};

// The figures of a sample the fetch needs, converted once per run of frames.
struct SampleView {
    const void* data;
    uint32_t last;
    float length;
    float loopStart;
    float loopEnd;
    float loopLength;
};

SampleView viewOf(const ModuleSample& s)
{
    return {s.data, s.length - 1, float(s.length), float(s.loopStart), float(s.loopEnd), float(s.loopLength)};
}

// What one step of T's raw values is worth: 8-bit data runs -128..127, 16-bit data -32768..32767.
template <typename T>
constexpr float sampleScale()
{
    return sizeof(T) == 2 ? 1.0f / 32768.0f : 1.0f / 128.0f;  // exact: powers of 2
}

// Adds one raw sample value, weighted by the gains, to the stereo frame at out.
inline void addFrame(float* out, float raw, float left, float right)
{
    out[0] += raw * left;
    out[1] += raw * right;
}

template <typename T>
float sampleValue(const SampleView& s, float position)
{
    // Also guards degenerate loops (no frames, at the very end) and NaN positions. Below float(length) the
    // truncated position is at most length - 1 even where float(length) is rounded.
    uint32_t index = position < s.length ? uint32_t(position) : s.last;
    return float(static_cast<const T*>(s.data)[index]) * sampleScale<T>();
}

void advanceOnce(const SampleView& s, Cursor& c)
{
    c.position += c.step;
    if (c.position >= s.length)
        c.position = -1.0f;  // the voice stops
}

void advanceForward(const SampleView& s, Cursor& c)
{
    float position = c.position + c.step;
    if (position >= s.loopEnd) {
        float loopLength = s.loopLength;
        if (position - s.loopEnd < loopLength) {
            float wrapped = position - loopLength;
            // A subtraction that makes no progress (a loop of no frames, or a step so large
            // that the loop length vanishes in single precision) restarts the loop.
            position = wrapped < position ? wrapped : s.loopStart;
        } else {
            // Many laps in one step: wrap in one go instead of lap by lap.
            float wrapped = s.loopStart + std::fmod(position - s.loopStart, loopLength);
            position = (wrapped >= s.loopStart && wrapped < s.loopEnd) ? wrapped : s.loopStart;
        }
    }
    c.position = position;
}

bool outsideSample(float position, float length)
{
    return !(position >= 0.0f && position < length);
}

// A step longer than the loop can leave a ping-pong position outside the data after one
// reflection: reflect again at the loop bounds, then clamp. Rare, so kept out of the loop.
float bringInside(const SampleView& s, Cursor& c, float position)
{
    for (int i = 0; i < maxReflections && outsideSample(position, s.length); ++i) {
        if (position >= s.length) {
            c.forward = 0;
            position = 2.0f * s.loopEnd - position;
        } else if (position < 0.0f) {
            c.forward = 1;
            position = 2.0f * s.loopStart - position;
        }
    }
    if (outsideSample(position, s.length))
        position = position >= s.length ? s.length - 1.0f : 0.0f;
    return position;
}

inline void advancePingPong(const SampleView& s, Cursor& c)
{
    float loopStart = s.loopStart;
    float loopEnd = s.loopEnd;
    float length = s.length;
    float position = c.position;
    if (c.forward) {
        position += c.step;
        if (position >= loopEnd) {
            c.forward = 0;
            position = 2.0f * loopEnd - position;
        }
        if (position >= length) {
            c.forward = 0;
            position = position - (length - 1.0f);
        }
    } else {
        position -= c.step;
        if (position <= loopStart) {
            c.forward = 1;
            position = 2.0f * loopStart - position;
        }
        if (position <= 0.0f) {
            c.forward = 1;
            position = 0.0f;
        }
    }
    if (outsideSample(position, length))
        position = bringInside(s, c, position);
    c.position = position;
}

template <int LoopType>
void advance(const SampleView& s, Cursor& c)
{
    if (LoopType == LoopForward) {
        advanceForward(s, c);
    } else if (LoopType == LoopPingPong) {
        advancePingPong(s, c);
    } else {
        advanceOnce(s, c);
    }
}

float crossFade(const float* tail, uint32_t k, float v)
{
    if (k >= crossFadeFrames)
        return v;
    return tail[k] + (v - tail[k]) * float(k) / float(crossFadeFrames);
}

float moveToward(float gain, float target, float step)
{
    if (gain > target)
        return gain - step < target ? target : gain - step;
    if (gain < target)
        return gain + step > target ? target : gain + step;
    return gain;
}

bool sounding(const ModuleChannel& ch)
{
    return ch.instrument && ch.sample && ch.position >= 0.0f;
}

template <typename T, int LoopType>
float fetchFrom(ModuleChannel& ch, const ModuleSample& sample)
{
    SampleView s = viewOf(sample);
    Cursor c = {ch.position, ch.step, ch.forward};
    float v = sampleValue<T>(s, c.position);
    advance<LoopType>(s, c);
    ch.position = c.position;
    ch.forward = c.forward;
    return crossFade(ch.tail, ch.rampIndex, v);
}

// Mixes frames while the next position stays below `bound` (Rising) or above it; the frame whose move would cross
// it is mixed but not moved, its move left to the full loop rule. Returns the frames mixed and moved.
template <typename T, bool Rising, bool Silent>
uint32_t mixStretch(const T* data, float& pos, float delta, float bound, float left, float right, float*& out,
                    uint32_t count)
{
    float p = pos;
    float* o = out;
    uint32_t i = 0;
    for (;;) {
        if (!Silent) {
            // A gain of 0 would add +0 or -0 to a sum that is never -0: nothing to add.
            addFrame(o, float(data[uint32_t(int32_t(p))]), left, right);
        }
        float next = p + delta;
        if (Rising ? !(next < bound) : !(next > bound))
            break;
        p = next;
        o += 2;
        if (++i == count)
            break;
    }
    pos = p;
    out = o;
    return i;
}

// The same stretch in integer ulps: within a binade every float is a multiple of its ulp, so adding a step moves it
// by the same round(step / ulp) ulps each frame, unless step / ulp ends in exactly half (ties round to even).
// Positions below 1 or at or above 2^23, tie steps and steps of 2^30 ulps or more keep to the float stretch.
struct FixedStretch {
    int64_t p;       // position in ulps
    int64_t delta;   // ulps per frame, negative going down
    uint32_t shift;  // 23 - e: the sample index is p >> shift
    int64_t moves;   // moves that stay inside the binade and before the bound
};

const int64_t binadeLow = int64_t(1) << 23;
const int64_t binadeHigh = int64_t(1) << 24;

bool fixedStretch(float pos, float step, float bound, bool rising, FixedStretch& f)
{
    if (!(pos >= 1.0f && pos < 8388608.0f))
        return false;
    uint32_t bits;
    memcpy(&bits, &pos, sizeof(bits));
    int e = int(bits >> 23) - 127;  // 0..22
    f.shift = uint32_t(23 - e);
    f.p = int64_t((bits & 0x7FFFFF) | 0x800000);
    double scale = double(int64_t(1) << f.shift);
    double ulps = double(step) * scale;  // exact: a float times a power of two
    if (!(ulps < 1073741824.0))
        return false;
    int64_t whole = int64_t(ulps);  // step >= 0: truncation is the floor
    double fraction = ulps - double(whole);
    if (fraction == 0.5)
        return false;
    int64_t delta = whole + (fraction > 0.5 ? 1 : 0);
    // The last position a move may reach: inside the binade (one ulp clear of its lower end,
    // where the rounding would turn finer) and short of the bound.
    double limit = bound * scale;    // exact, and >= 0 like every bound
    int64_t below = int64_t(limit);  // the floor
    int64_t room;
    if (rising) {
        int64_t ceiling = below + (double(below) < limit ? 1 : 0);
        room = std::min(binadeHigh - 1, ceiling - 1) - f.p;
        f.delta = delta;
    } else {
        room = f.p - std::max(binadeLow + 1, below + 1);
        f.delta = -delta;
    }
    f.moves = room < 0 ? 0 : (delta == 0 ? INT64_MAX : room / delta);
    return true;
}

// mixStretch over a FixedStretch: the same frames, sums and final position. Four frames at a
// time where SSE2 is there: each lane multiplies and adds exactly like the scalar code.
template <typename T, bool Silent>
uint32_t mixFixed(const T* data, FixedStretch& f, float left, float right, float*& out, uint32_t count)
{
    uint32_t n = f.moves < int64_t(count) ? uint32_t(f.moves) : count;
    int64_t p = f.p;
    const int64_t delta = f.delta;
    const uint32_t shift = f.shift;
    float* o = out;
    if (Silent) {
        p += int64_t(n) * delta;
        o += 2 * size_t(n);
    } else {
        uint32_t i = 0;
#if defined(__SSE2__)
        const __m128 gains = _mm_setr_ps(left, right, left, right);
        for (; i + 4 <= n; i += 4, o += 8) {
            int32_t a = data[p >> shift];
            int32_t b = data[(p + delta) >> shift];
            int32_t c = data[(p + 2 * delta) >> shift];
            int32_t d = data[(p + 3 * delta) >> shift];
            p += 4 * delta;
            __m128 raw = _mm_cvtepi32_ps(_mm_setr_epi32(a, b, c, d));
            _mm_storeu_ps(o, _mm_add_ps(_mm_loadu_ps(o), _mm_mul_ps(_mm_unpacklo_ps(raw, raw), gains)));
            _mm_storeu_ps(o + 4, _mm_add_ps(_mm_loadu_ps(o + 4), _mm_mul_ps(_mm_unpackhi_ps(raw, raw), gains)));
        }
#endif
        for (; i < n; ++i, o += 2, p += delta) {
            addFrame(o, float(data[p >> shift]), left, right);
        }
    }
    if (n < count && !Silent) {  // the frame whose move leaves the stretch
        addFrame(o, float(data[p >> shift]), left, right);
    }
    f.p = p;
    out = o;
    return n;
}

// p ulps as a float: exact, p < 2^24 times a power of two.
float fixedPosition(const FixedStretch& f)
{
    return float(f.p) * (1.0f / float(uint32_t(1) << f.shift));
}

// Mixes a voice whose gains have settled. Scaling by a power of two then by a gain rounds like scaling by the
// pre-multiplied gain, so left and right already carry the scale. Returns fewer than count when the voice stops.
template <typename T, int LoopType, bool Silent>
uint32_t mixSteady(const SampleView& s, Cursor& c, float left, float right, float* out, uint32_t count)
{
    const T* data = static_cast<const T*>(s.data);
    uint32_t i = 0;
    while (i < count) {
        float pos = c.position;
        // Within the sample, a move of step >= 0 never leaves it going down, and one of -step
        // never leaves it going up; pos - step and pos + (-step) round alike.
        bool inside = pos >= 0.0f && pos < s.length;
        bool backward = LoopType == LoopPingPong && !c.forward;
        if (inside && c.step >= 0.0f) {
            uint32_t n;
            float bound = backward ? s.loopStart : (LoopType == LoopNone ? s.length : s.loopEnd);
            FixedStretch f;
            if (fixedStretch(pos, c.step, bound, !backward, f)) {
                n = mixFixed<T, Silent>(data, f, left, right, out, count - i);
                pos = fixedPosition(f);
            } else if (backward) {
                n = mixStretch<T, false, Silent>(data, pos, -c.step, bound, left, right, out, count - i);
            } else {
                n = mixStretch<T, true, Silent>(data, pos, c.step, bound, left, right, out, count - i);
            }
            c.position = pos;
            i += n;
            if (i == count)
                break;
            // Frame i is mixed; its move crosses the bound.
        } else if (!Silent) {
            addFrame(out, float(data[pos < s.length ? uint32_t(pos) : s.last]), left, right);
        }
        advance<LoopType>(s, c);
        out += 2;
        ++i;
        if (c.position < 0.0f)
            break;  // stopped: the following frames skip this voice
    }
    return i;
}

// Mixes one sounding voice into count frames. The voice's state lives in locals for the run:
// the output pointer could otherwise alias every channel field and force reloads per frame.
template <typename T, int LoopType>
void mixVoice(ModuleChannel& ch, float* out, uint32_t count, float rampStep)
{
    const SampleView s = viewOf(*ch.sample);
    Cursor c = {ch.position, ch.step, ch.forward};
    uint32_t k = ch.rampIndex;
    float gainLeft = ch.gainLeft;
    float gainRight = ch.gainRight;
    const float targetLeft = ch.targetLeft;
    const float targetRight = ch.targetRight;
    uint32_t i = 0;
    bool stopped = false;
    // While the cross-fade runs or the gains move, every frame does the full work.
    for (; i < count && (k < crossFadeFrames || gainLeft != targetLeft || gainRight != targetRight); ++i, out += 2) {
        float v = crossFade(ch.tail, k, sampleValue<T>(s, c.position));
        advance<LoopType>(s, c);
        out[0] += v * gainLeft;
        out[1] += v * gainRight;
        k += 1;
        gainLeft = moveToward(gainLeft, targetLeft, rampStep);
        gainRight = moveToward(gainRight, targetRight, rampStep);
        if (c.position < 0.0f) {  // stopped: the following frames skip this voice
            ++i;
            stopped = true;
            break;
        }
    }
    // Then the gains are steady and the voice only moves.
    if (!stopped && i < count) {
        const float left = gainLeft * sampleScale<T>();
        const float right = gainRight * sampleScale<T>();
        uint32_t n = left == 0.0f && right == 0.0f ? mixSteady<T, LoopType, true>(s, c, left, right, out, count - i)
                                                   : mixSteady<T, LoopType, false>(s, c, left, right, out, count - i);
        k += n;
    }
    ch.position = c.position;
    ch.forward = c.forward;
    ch.rampIndex = k;
    ch.gainLeft = gainLeft;
    ch.gainRight = gainRight;
}

// A sample of no frames yields zeros and stays where it is; the gains still ramp.
void mixEmptyVoice(ModuleChannel& ch, uint32_t count, float rampStep)
{
    for (uint32_t i = 0; i < count; ++i) {
        ch.rampIndex += 1;
        ch.gainLeft = moveToward(ch.gainLeft, ch.targetLeft, rampStep);
        ch.gainRight = moveToward(ch.gainRight, ch.targetRight, rampStep);
    }
}

template <typename T>
void mixVoiceOfWidth(ModuleChannel& ch, float* out, uint32_t count, float rampStep)
{
    switch (ch.sample->loopType) {
    case LoopForward: mixVoice<T, LoopForward>(ch, out, count, rampStep); break;
    case LoopPingPong: mixVoice<T, LoopPingPong>(ch, out, count, rampStep); break;
    default: mixVoice<T, LoopNone>(ch, out, count, rampStep); break;
    }
}

template <typename T>
float fetchOfWidth(ModuleChannel& ch)
{
    switch (ch.sample->loopType) {
    case LoopForward: return fetchFrom<T, LoopForward>(ch, *ch.sample);
    case LoopPingPong: return fetchFrom<T, LoopPingPong>(ch, *ch.sample);
    default: return fetchFrom<T, LoopNone>(ch, *ch.sample);
    }
}

}  // namespace

float fetchSample(ModuleChannel& ch)
{
    uint32_t k = ch.rampIndex;
    if (!sounding(ch))
        return k < crossFadeFrames ? ch.tail[k] * (1.0f - float(k) / float(crossFadeFrames)) : 0.0f;
    if (ch.sample->length == 0)
        return 0.0f;
    return ch.sample->bits == 16 ? fetchOfWidth<int16_t>(ch) : fetchOfWidth<int8_t>(ch);
}

// Mixes frames during which no tick falls: channel by channel, adding into the zeroed frames in
// channel order, which gives the same sums as mixing frame by frame.
void ModulePlayer::mixSegment(float* frames, uint32_t count)
{
    memset(frames, 0, sizeof(float) * 2 * count);
    if (maxLoops != 0 && rowVisits >= maxLoops)
        return;  // the song has come round: silence
    for (uint32_t c = 0; c < walkedChannels; ++c) {
        ModuleChannel& ch = channels[c];
        if (!sounding(ch))
            continue;
        if (ch.sample->length == 0) {
            mixEmptyVoice(ch, count, rampStep);
        } else if (ch.sample->bits == 16) {
            mixVoiceOfWidth<int16_t>(ch, frames, count, rampStep);
        } else {
            mixVoiceOfWidth<int8_t>(ch, frames, count, rampStep);
        }
    }
    float scale = globalVolume * amplification;
    for (uint32_t i = 0; i < 2 * count; ++i)
        frames[i] *= scale;
}

// Counts with the same float steps as frame by frame (framesToNextTick -= 1 until <= 0): between 1 and 2^24 every
// subtraction is exact, so those go in one; the last, which may round, is taken as it comes.
uint32_t ModulePlayer::framesUntilTick(uint32_t count)
{
    uint32_t n = 0;
    float left = framesToNextTick;
    if (left > 1.0f && left < 16777216.0f) {
        uint32_t whole = uint32_t(left);                            // exact below 2^24
        uint32_t exact = float(whole) == left ? whole - 1 : whole;  // subtractions that stay above 0
        n = exact < count ? exact : count;
        left -= float(n);  // exact: a multiple of the ulp of left, below it
    }
    while (n < count) {
        left -= 1.0f;
        ++n;
        if (!(left > 0.0f))
            break;
    }
    framesToNextTick = left;
    return n;
}

void ModulePlayer::generate(float* frames, uint32_t count)
{
    while (count > 0) {
        if (framesToNextTick <= 0.0f)
            playTick();
        uint32_t n = framesUntilTick(count);
        mixSegment(frames, n);
        frames += 2 * n;
        count -= n;
    }
}

}  // namespace Nimbra
