#include "tools/songgen/Dsp.h"

#include <algorithm>
#include <cmath>

namespace Nimbra::SongGen {

double Noise::next()
{
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return double(state_) / 2147483648.0 - 1.0;
}

void StateVariableFilter::set(double cutoffHz, double resonance)
{
    f_ = 2.0 * std::sin(kPi * std::min(cutoffHz, kRate / 6.5) / kRate);
    q_ = 1.0 / std::max(resonance, 0.5);
}

void StateVariableFilter::run(double x)
{
    low_ += f_ * band_;
    high_ = x - low_ - q_ * band_;
    band_ += f_ * high_;
}

std::vector<double> additiveTone(int period, double seconds, int maxHarmonic, HarmonicShape shape)
{
    const int frames = framesOf(seconds);
    const double hz = kRate / period;
    std::vector<double> out(size_t(frames), 0.0);
    // Amplitudes are refreshed every 64 frames; between refreshes they are interpolated.
    const int block = 64;
    std::vector<double> from(size_t(maxHarmonic + 1)), to(size_t(maxHarmonic + 1));
    for (int h = 1; h <= maxHarmonic; ++h)
        from[size_t(h)] = shape(h, h * hz, 0.0);
    for (int start = 0; start < frames; start += block) {
        for (int h = 1; h <= maxHarmonic; ++h)
            to[size_t(h)] = shape(h, h * hz, (start + block) / kRate);
        for (int h = 1; h <= maxHarmonic; ++h) {
            if (h * hz > 18000.0 || (from[size_t(h)] == 0.0 && to[size_t(h)] == 0.0))
                continue;
            // Integer arithmetic on the phase keeps every period identical.
            for (int i = start; i < std::min(start + block, frames); ++i) {
                const double a = from[size_t(h)] + (to[size_t(h)] - from[size_t(h)]) * (i - start) / block;
                out[size_t(i)] += a * std::sin(2.0 * kPi * double((int64_t(h) * i) % period) / period);
            }
        }
        from.swap(to);
    }
    return out;
}

double normalize(std::vector<double>& signal, double peak)
{
    double top = 0.0;
    for (double v : signal)
        top = std::max(top, std::fabs(v));
    const double factor = top > 0.0 ? peak / top : 1.0;
    for (double& v : signal)
        v *= factor;
    return factor;
}

void fadeEnds(std::vector<double>& signal, int fadeIn, int fadeOut)
{
    const int n = int(signal.size());
    for (int i = 0; i < std::min(fadeIn, n); ++i)
        signal[size_t(i)] *= double(i) / fadeIn;
    for (int i = 0; i < std::min(fadeOut, n); ++i)
        signal[size_t(n - 1 - i)] *= double(i) / fadeOut;
}

std::vector<double> decimate(const std::vector<double>& signal, int factor)
{
    StateVariableFilter first, second;
    first.set(0.4 * kRate / factor, 0.7);
    second.set(0.4 * kRate / factor, 0.7);
    std::vector<double> out;
    out.reserve(signal.size() / size_t(factor) + 1);
    for (size_t i = 0; i < signal.size(); ++i) {
        const double v = second.lowPass(first.lowPass(signal[i]));
        if (i % size_t(factor) == 0)
            out.push_back(v);
    }
    return out;
}

void tuneFor(double hz, int8_t& relativeNote, int8_t& finetune)
{
    // Note 49 plays at 8363 Hz times 2^((relative + finetune/128)/12); middle C is 261.63 Hz.
    const double middleC = 440.0 * std::pow(2.0, -9.0 / 12.0);
    const double semitones = 12.0 * std::log2(middleC * kRate / (8363.0 * hz));
    const int steps = int(std::lround(semitones * 128.0));
    int note = steps >= 0 ? steps / 128 : -((-steps + 127) / 128);
    int fine = steps - note * 128;
    if (fine > 63) {  // keep finetune in -64..63 for readability in trackers
        note += 1;
        fine -= 128;
    }
    relativeNote = int8_t(note);
    finetune = int8_t(fine);
}

}  // namespace Nimbra::SongGen
