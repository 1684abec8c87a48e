#pragma once
// Small, deterministic building blocks for synthesising the song's samples at 44,100 Hz.
#include <cstdint>
#include <vector>

namespace Nimbra::SongGen {

constexpr double kRate = 44100.0;
constexpr double kPi = 3.14159265358979323846;

// The same numbers on every machine: a fixed-seed xorshift generator.
class Noise
{
public:
    explicit Noise(uint32_t seed) : state_(seed ? seed : 1) {}
    double next();  // -1..1
private:
    uint32_t state_;
};

// Two-pole state-variable filter (Chamberlin), stable for cutoffs below about a sixth of the rate.
class StateVariableFilter
{
public:
    void set(double cutoffHz, double resonance);
    double lowPass(double x)
    {
        run(x);
        return low_;
    }
    double highPass(double x)
    {
        run(x);
        return high_;
    }
    double bandPass(double x)
    {
        run(x);
        return band_;
    }

private:
    void run(double x);
    double f_ = 0.1, q_ = 1.0, low_ = 0, band_ = 0, high_ = 0;
};

// One band-limited periodic tone: the harmonic amplitudes may change over time (a filter sweep,
// a fading overtone) but become constant after `settle` seconds, so that any whole number of
// periods after that point loops without a seam. `period` is in samples.
using HarmonicShape = double (*)(int harmonic, double hz, double seconds);
std::vector<double> additiveTone(int period, double seconds, int maxHarmonic, HarmonicShape shape);

// Frames of `seconds` at 44,100 Hz.
inline int framesOf(double seconds)
{
    return int(seconds * kRate + 0.5);
}

// Scales to a peak of `peak` (of full scale) and returns the factor used.
double normalize(std::vector<double>& signal, double peak);

// Short linear fade-in and fade-out, against clicks at the sample's ends.
void fadeEnds(std::vector<double>& signal, int fadeIn, int fadeOut);

// Every `factor`-th frame after a low-pass below the new Nyquist frequency: the same sound in
// fewer bytes, for samples without much treble.
std::vector<double> decimate(const std::vector<double>& signal, int factor);

// Relative note and finetune that make a sample whose fundamental is `hz` (recorded at 44,100 Hz)
// sound at the pitch of the note it is played with (C-4, note 49, is middle C).
void tuneFor(double hz, int8_t& relativeNote, int8_t& finetune);

}  // namespace Nimbra::SongGen
