#include "audio/Pitch.h"

#include <cmath>

namespace Nimbra {

namespace {

// Amiga periods of one octave (C to the next C), scaled by 1024 to keep fractions in integers.
const int64_t amigaPeriods[13] = {1712 * 1024, 1616 * 1024, 1525 * 1024, 1440 * 1024, 1357 * 1024,
                                  1281 * 1024, 1209 * 1024, 1141 * 1024, 1077 * 1024, 1017 * 1024,
                                  961 * 1024,  907 * 1024,  856 * 1024};

// Shifts stay within what 64-bit values and the reachable periods need; beyond them the table
// is either all zero (tiny periods) or far above anything a song can slide to.
const int maxRightShift = 62;
const int maxLeftShift = 40;

// Table entry i moved by octaves: right for positive shifts (higher notes), left for negative.
int64_t shiftedPeriod(int i, int shift)
{
    if (shift > 0)
        return amigaPeriods[i] >> (shift > maxRightShift ? maxRightShift : shift);
    if (shift < 0)
        return amigaPeriods[i] << (-shift > maxLeftShift ? maxLeftShift : -shift);
    return amigaPeriods[i];
}

float amigaNotePeriod(float note)
{
    // Far outside any playable range; keeps the integer conversions below defined.
    note = std::fmin(std::fmax(note, -65536.0f), 65536.0f);
    // Negative notes (from strongly negative relative notes) take their semitone from the
    // note as an unsigned count and shift left: deep, but finite and positive periods.
    int32_t k = int32_t(note);  // toward zero
    uint32_t i = uint32_t(k) % 12;
    int octave = int(note / 12.0f - 2.0f);  // toward zero, not floored
    float a = float(shiftedPeriod(int(i), octave));
    float b = float(shiftedPeriod(int(i) + 1, octave));
    return (a + (note - float(k)) * (b - a)) / 1024.0f;
}

float amigaFrequency(float period)
{
    return period == 0.0f ? 0.0f : 7093789.0f / (2.0f * period);
}

// The octave shift n that brings a scaled period A into the table's range.
int amigaOctave(float scaled)
{
    const float top = float(amigaPeriods[0]);
    if (scaled > top) {
        int n = -1;
        while (n > -maxLeftShift && scaled > std::ldexp(top, -n))
            --n;
        return n;
    }
    if (scaled < float(amigaPeriods[12])) {
        int n = 1;
        while (n<maxRightShift&& float(amigaPeriods[12] >> n)> scaled)
            ++n;
        return n;
    }
    return 0;
}

// Arpeggio in Amiga mode: the period goes back to a fractional note, the arpeggio is added in
// semitones, and the note becomes a period again.
float amigaArpeggioPeriod(float period, int arpeggio)
{
    float scaled = 1024.0f * period;
    int n = amigaOctave(scaled);
    int semitone = -1;
    for (int i = 0; i < 12; ++i) {
        if (float(shiftedPeriod(i + 1, n)) <= scaled && scaled <= float(shiftedPeriod(i, n))) {
            semitone = i;
            break;
        }
    }
    int bound = semitone < 0 ? 11 : semitone;
    if (semitone < 0)
        semitone = 0;
    float upper = float(shiftedPeriod(bound, n));
    float lower = float(shiftedPeriod(bound + 1, n));
    if (lower == upper)
        return 0.0f;  // the octave shift emptied the interval: no pitch
    float note = (scaled - upper) / (lower - upper);
    note = note + float((n + 2) * 12);
    note = note + float(semitone);
    note = note + float(arpeggio);
    return amigaNotePeriod(note);
}

}  // namespace

float notePeriod(uint32_t mode, float note)
{
    if (mode == LinearFrequencies)
        return 7680.0f - 64.0f * note;
    return amigaNotePeriod(note);
}

float periodFrequency(uint32_t mode, float period, int arpeggio, float delta)
{
    if (mode == LinearFrequencies) {
        float p = period - 64.0f * float(arpeggio) - 16.0f * delta;
        return 8363.0f * std::exp2((4608.0f - p) / 768.0f);
    }
    if (arpeggio == 0)
        return amigaFrequency(period + 16.0f * delta);
    float base = amigaArpeggioPeriod(period, arpeggio);
    if (base == 0.0f)
        return 0.0f;
    return amigaFrequency(base + 16.0f * delta);
}

}  // namespace Nimbra
