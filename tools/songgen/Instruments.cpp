#include "tools/songgen/Instruments.h"

#include "tools/songgen/Dsp.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace Nimbra::SongGen {
namespace {

constexpr uint8_t kC4 = 49;  // middle C

// ---- turning synthesised signals into XM samples -------------------------------------------

struct Loop {
    XmLoop type = XmLoop::None;
    int start = 0;
    int length = 0;
};

XmSample makeSample(const std::string& name, std::vector<double> signal, bool sixteenBit, double peak, Loop loop = {})
{
    normalize(signal, peak);
    XmSample s;
    s.name = name;
    s.sixteenBit = sixteenBit;
    const double scale = sixteenBit ? 32767.0 : 127.0;
    s.data.reserve(signal.size());
    for (double v : signal)
        s.data.push_back(int16_t(std::lround(std::clamp(v, -1.0, 1.0) * scale)));
    s.loopType = loop.type;
    s.loopStart = uint32_t(loop.start);
    s.loopLength = uint32_t(loop.length);
    return s;
}

// A drum plays at its recorded rate on its default note (middle C).
XmSample atNativeRate(XmSample s)
{
    tuneFor(440.0 * std::pow(2.0, -9.0 / 12.0), s.relativeNote, s.finetune);
    return s;
}

XmSample tuned(XmSample s, double hz)
{
    tuneFor(hz, s.relativeNote, s.finetune);
    return s;
}

// A sample stored at 44,100 / factor frames per second sounds like one at the full rate whose
// pitch is `factor` times higher.
XmSample atNativeRate(XmSample s, int factor)
{
    tuneFor(factor * 440.0 * std::pow(2.0, -9.0 / 12.0), s.relativeNote, s.finetune);
    return s;
}

XmEnvelope envelope(std::initializer_list<XmEnvelopePoint> points)
{
    XmEnvelope e;
    e.points = points;
    e.enabled = true;
    return e;
}

XmEnvelope withSustain(XmEnvelope e, uint8_t point)
{
    e.sustain = true;
    e.sustainPoint = point;
    return e;
}

XmEnvelope withLoop(XmEnvelope e, uint8_t from, uint8_t to)
{
    e.loop = true;
    e.loopStart = from;
    e.loopEnd = to;
    return e;
}

InstrumentVoice voice(const std::string& name, uint8_t defaultNote, XmSample sample)
{
    InstrumentVoice v;
    v.name = name;
    v.defaultNote = defaultNote;
    v.instrument.name = name;
    v.instrument.samples.push_back(std::move(sample));
    return v;
}

// Whole periods of `period` samples that fit after `from`, for a seamless forward loop.
Loop periodicLoop(int from, int period, int total)
{
    const int start = (from + period - 1) / period * period;
    const int count = (total - start) / period;
    return {XmLoop::Forward, start, count * period};
}

double expDecay(double t, double seconds)
{
    return std::exp(-t / seconds);
}

// ---- drums --------------------------------------------------------------------------------------

XmSample kick()
{
    Noise noise(11);
    std::vector<double> out(size_t(framesOf(0.5)));
    double phase = 0.0;
    StateVariableFilter click;
    click.set(3000.0, 0.7);
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = i / kRate;
        const double hz = 46.0 + 130.0 * expDecay(t, 0.032) + 40.0 * expDecay(t, 0.006);
        phase += 2.0 * kPi * hz / kRate;
        const double body = std::sin(phase) * expDecay(t, 0.28) * std::min(1.0, (0.5 - t) / 0.08);
        const double transient = click.lowPass(noise.next()) * expDecay(t, 0.004);
        out[i] = std::tanh(1.6 * body + 0.6 * transient);
    }
    return atNativeRate(makeSample("kick", out, true, 0.98));
}

XmSample snare()
{
    Noise noise(23);
    StateVariableFilter bright, dark;
    bright.set(1800.0, 0.6);
    dark.set(7500.0, 0.6);
    std::vector<double> out(size_t(framesOf(0.32)));
    double phase = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = i / kRate;
        phase += 2.0 * kPi * (178.0 + 60.0 * expDecay(t, 0.01)) / kRate;
        const double body = (std::sin(phase) + 0.4 * std::sin(2.3 * phase)) * expDecay(t, 0.06);
        const double n = dark.lowPass(bright.highPass(noise.next()));
        out[i] = 0.9 * body + 1.6 * n * expDecay(t, 0.11);
    }
    fadeEnds(out, 8, 400);
    return atNativeRate(makeSample("snare", out, true, 0.95));
}

XmSample clap()
{
    Noise noise(37);
    StateVariableFilter band;
    band.set(1300.0, 2.0);
    std::vector<double> out(size_t(framesOf(0.35)));
    const double bursts[] = {0.0, 0.011, 0.023};
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = i / kRate;
        double amp = 0.0;
        for (double b : bursts)
            if (t >= b)
                amp = std::max(amp, expDecay(t - b, 0.008));
        if (t >= bursts[2])
            amp = std::max(amp, 0.6 * expDecay(t - bursts[2], 0.12));
        out[i] = band.bandPass(noise.next()) * amp;
    }
    fadeEnds(out, 4, 600);
    return atNativeRate(makeSample("clap", out, true, 0.95));
}

// Six detuned square partials over high-passed noise: the classic analogue cymbal.
std::vector<double> metal(double seconds, double decay, uint32_t seed)
{
    Noise noise(seed);
    StateVariableFilter high, high2;
    high.set(6500.0, 0.7);
    high2.set(6500.0, 0.7);
    const double partials[] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
    std::vector<double> out(size_t(framesOf(seconds)));
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = i / kRate;
        double sq = 0.0;
        for (double p : partials)
            sq += std::fmod(t * p * 1.7, 1.0) < 0.5 ? 1.0 : -1.0;
        const double mix = 0.5 * sq / 6.0 + noise.next();
        out[i] = high2.highPass(high.highPass(mix)) * expDecay(t, decay);
    }
    return out;
}

XmSample closedHat()
{
    auto out = metal(0.09, 0.025, 41);
    fadeEnds(out, 2, 200);
    return atNativeRate(makeSample("hat closed", out, false, 0.9));
}

XmSample openHat()
{
    auto out = metal(0.6, 0.22, 43);
    fadeEnds(out, 2, 2000);
    return atNativeRate(makeSample("hat open", out, false, 0.9));
}

XmSample crash()
{
    Noise noise(47);
    StateVariableFilter high, body;
    high.set(3500.0, 0.6);
    body.set(9000.0, 0.5);
    auto shimmer = metal(2.4, 0.9, 53);
    std::vector<double> out(shimmer.size());
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = i / kRate;
        const double n = body.lowPass(high.highPass(noise.next()));
        out[i] = n * (0.6 * expDecay(t, 0.9) + 0.4 * expDecay(t, 0.08)) + 0.5 * shimmer[i];
    }
    fadeEnds(out, 4, 8000);
    return atNativeRate(makeSample("crash", out, false, 0.9));
}

XmSample tom()
{
    std::vector<double> out(size_t(framesOf(0.45)));
    double phase = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = i / kRate;
        phase += 2.0 * kPi * 130.8 * (1.0 + 0.7 * expDecay(t, 0.025)) / kRate;
        out[i] = std::tanh(1.3 * std::sin(phase)) * expDecay(t, 0.16);
    }
    fadeEnds(out, 4, 800);
    return tuned(makeSample("tom", out, true, 0.95), 130.8);
}

// A ride: a metallic tone that keeps ringing in a forward loop; the volume envelope and the
// fadeout let it die away.
XmSample ride()
{
    Noise noise(59);
    StateVariableFilter band;
    band.set(5200.0, 1.2);
    const double partials[] = {3125.0, 4310.0, 5170.0, 6620.0};
    std::vector<double> out(size_t(framesOf(0.8)));
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = i / kRate;
        double ping = 0.0;
        for (double p : partials)
            ping += std::sin(2.0 * kPi * p * t);
        out[i] = 0.25 * ping * (0.3 + 0.7 * expDecay(t, 0.05)) + 0.8 * band.bandPass(noise.next());
    }
    return atNativeRate(makeSample("ride", out, false, 0.85, {XmLoop::Forward, framesOf(0.3), framesOf(0.45)}));
}

// ---- tonal instruments ------------------------------------------------------------------------

// A low-pass whose cutoff falls from bright to dark in the first 0.35 s, then holds.
double bassShape(int h, double hz, double t)
{
    const double sweep = std::pow(std::max(0.0, 1.0 - t / 0.35), 2.0);
    const double cutoff = 420.0 + 2600.0 * sweep;
    const double x = hz / cutoff;
    const double resonance = 1.0 + 1.8 * std::exp(-(x - 1.0) * (x - 1.0) * 30.0);
    return resonance / (h * std::sqrt(1.0 + x * x * x * x));
}

XmSample bass()
{
    const int period = 401;  // 109.98 Hz, about A-2
    auto out = additiveTone(period, 0.9, 80, bassShape);
    fadeEnds(out, 16, 0);
    Loop loop = periodicLoop(framesOf(0.4), period, int(out.size()));
    return tuned(makeSample("bass", out, true, 0.95, loop), kRate / period);
}

double subShape(int h, double, double)
{
    return h == 1 ? 1.0 : h == 2 ? 0.25 : h == 3 ? 0.1 : 0.0;
}

XmSample sub()
{
    const int period = 802;  // 54.99 Hz, about A-1
    auto out = additiveTone(period, 0.4, 3, subShape);
    fadeEnds(out, 32, 0);
    Loop loop = periodicLoop(framesOf(0.1), period, int(out.size()));
    return tuned(makeSample("sub", out, true, 0.95, loop), kRate / period);
}

// Five detuned band-limited saws: a wide string pad. Not periodic, so it loops ping-pong.
XmSample pad()
{
    const double hz = 261.63;
    const double detune[] = {-0.011, -0.005, 0.0, 0.006, 0.012};
    std::vector<double> out(size_t(framesOf(2.4)), 0.0);
    for (int v = 0; v < 5; ++v) {
        const double f = hz * (1.0 + detune[v]);
        const double offset = 0.37 * v;
        for (int h = 1; f * h < 7000.0; ++h) {
            const double a = 1.0 / h / (1.0 + std::pow(f * h / 2400.0, 2.0));
            for (size_t i = 0; i < out.size(); ++i)
                out[i] += a * std::sin(2.0 * kPi * (f * h * i / kRate + offset * h));
        }
    }
    // Little treble above 5 kHz: stored at half rate.
    return tuned(makeSample("pad", decimate(out, 2), true, 0.9, {XmLoop::PingPong, framesOf(0.15), framesOf(1.0)}),
                 2.0 * hz);
}

// A sung "ah": harmonics weighted by three vowel formants.
double choirShape(int, double hz, double)
{
    auto formant = [hz](double centre, double width, double gain) {
        const double d = (hz - centre) / width;
        return gain * std::exp(-d * d);
    };
    return formant(730.0, 160.0, 1.0) + formant(1090.0, 180.0, 0.6) + formant(2440.0, 260.0, 0.25) + 0.02;
}

XmSample choir()
{
    const int period = 168;  // 262.5 Hz
    auto out = additiveTone(period, 0.5, 40, choirShape);
    Loop loop = periodicLoop(framesOf(0.05), period, int(out.size()));
    return tuned(makeSample("choir", out, true, 0.9, loop), kRate / period);
}

// A plucked string (Karplus-Strong): bright attack, warm decay.
XmSample pluck()
{
    const int period = 84;  // 525 Hz, about C-5
    Noise noise(61);
    std::vector<double> line(static_cast<size_t>(period), 0.0);
    StateVariableFilter soften;
    soften.set(5000.0, 0.7);
    for (double& v : line)
        v = soften.lowPass(noise.next());
    std::vector<double> out(size_t(framesOf(1.1)));
    for (size_t i = 0; i < out.size(); ++i) {
        const size_t k = i % size_t(period);
        const double next = line[(k + 1) % size_t(period)];
        out[i] = line[k];
        line[k] = 0.4985 * (line[k] + next);
    }
    fadeEnds(out, 8, 3000);
    return tuned(makeSample("pluck", out, false, 0.95), kRate / period);
}

// A pulse wave of 30 % duty, slightly softened.
double leadShape(int h, double hz, double t)
{
    const double duty = 0.3;
    const double bright = 1.0 + 1.5 * std::exp(-t / 0.08);
    return std::sin(kPi * h * duty) / h / (1.0 + std::pow(hz / (3200.0 * bright), 2.0));
}

XmSample lead()
{
    const int period = 84;  // 525 Hz
    auto out = additiveTone(period, 0.4, 40, leadShape);
    Loop loop = periodicLoop(framesOf(0.25), period, int(out.size()));
    return tuned(makeSample("lead", out, true, 0.9, loop), kRate / period);
}

// Two-operator FM with a falling index: an electric-piano bell.
XmSample bell()
{
    const double hz = 523.25;
    std::vector<double> out(size_t(framesOf(1.6)));
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = i / kRate;
        const double index = 0.4 + 2.6 * expDecay(t, 0.12);
        const double mod = std::sin(2.0 * kPi * 2.0 * hz * t);
        out[i] = std::sin(2.0 * kPi * hz * t + index * mod) * expDecay(t, 0.55);
    }
    fadeEnds(out, 8, 4000);
    return tuned(makeSample("bell", decimate(out, 2), true, 0.9), 2.0 * hz);
}

// ---- effects ------------------------------------------------------------------------------------

XmSample riser()
{
    Noise noise(67);
    StateVariableFilter band;
    std::vector<double> out(size_t(framesOf(3.84)));
    for (size_t i = 0; i < out.size(); ++i) {
        const double p = double(i) / out.size();
        band.set(250.0 * std::pow(28.0, p), 3.0);
        out[i] = band.bandPass(noise.next()) * (0.15 + 0.85 * p * p);
    }
    fadeEnds(out, 400, 200);
    return atNativeRate(makeSample("riser", decimate(out, 2), false, 0.9), 2);
}

XmSample reverseCymbal()
{
    auto forward = crash().data;
    std::vector<double> out(size_t(framesOf(1.92)));
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = forward[out.size() - 1 - i] / 128.0;
    fadeEnds(out, 2000, 60);
    return atNativeRate(makeSample("reverse cymbal", decimate(out, 2), false, 0.9), 2);
}

XmSample impact()
{
    Noise noise(71);
    StateVariableFilter low;
    low.set(900.0, 0.7);
    std::vector<double> out(size_t(framesOf(3.0)));
    double phase = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = i / kRate;
        phase += 2.0 * kPi * (34.0 + 70.0 * expDecay(t, 0.12)) / kRate;
        const double boom = std::sin(phase) * expDecay(t, 0.9);
        const double crack = low.lowPass(noise.next()) * expDecay(t, 0.05);
        out[i] = std::tanh(1.4 * boom + 1.2 * crack);
    }
    fadeEnds(out, 4, 20000);
    // A boom and a dull crack: a quarter of the rate is plenty.
    return atNativeRate(makeSample("impact", decimate(out, 4), true, 0.95), 4);
}

// A minor-chord stab (root, minor third, fifth, octave) of bright saws with a quick filter fall.
XmSample stab()
{
    const double root = 220.0;
    const double ratios[] = {1.0, 1.189207, 1.498307, 2.0, 0.5};
    std::vector<double> out(size_t(framesOf(0.9)), 0.0);
    for (double r : ratios) {
        const double f = root * r;
        for (int h = 1; f * h < 9000.0; ++h) {
            for (size_t i = 0; i < out.size(); ++i) {
                const double t = i / kRate;
                const double cutoff = 600.0 + 6000.0 * expDecay(t, 0.09);
                const double a = 1.0 / h / (1.0 + std::pow(f * h / cutoff, 2.0));
                out[i] += a * std::sin(2.0 * kPi * f * h * t) * expDecay(t, 0.3);
            }
        }
    }
    fadeEnds(out, 16, 3000);
    return tuned(makeSample("stab", decimate(out, 2), true, 0.9), root * 4.0);
}

// A short digital blip, crushed to a few levels: the glitch accent.
XmSample blip()
{
    std::vector<double> out(size_t(framesOf(0.05)));
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = i / kRate;
        const double hz = t < 0.015 ? 2093.0 : 1046.5;
        const double square = std::fmod(t * hz, 1.0) < 0.5 ? 1.0 : -1.0;
        out[i] = std::round(square * expDecay(t, 0.02) * 4.0) / 4.0;
    }
    fadeEnds(out, 4, 64);
    return atNativeRate(makeSample("blip", out, false, 0.7));
}

}  // namespace

std::vector<InstrumentVoice> buildInstruments()
{
    std::vector<InstrumentVoice> v;

    v.push_back(voice("kick", kC4, kick()));
    v.push_back(voice("snare", kC4, snare()));
    v.push_back(voice("clap", kC4, clap()));
    v.back().instrument.samples[0].panning = 112;
    v.push_back(voice("hatc", kC4, closedHat()));
    v.back().instrument.samples[0].panning = 150;
    v.push_back(voice("hato", kC4, openHat()));
    v.back().instrument.samples[0].panning = 150;
    {
        auto crashVoice = voice("crash", kC4, crash());
        // The crash drifts across the stereo field as it rings.
        crashVoice.instrument.panningEnvelope = envelope({{0, 32}, {20, 44}, {60, 20}, {100, 32}});
        crashVoice.instrument.fadeout = 400;
        v.push_back(std::move(crashVoice));
    }
    v.push_back(voice("tom", kC4, tom()));
    {
        auto rideVoice = voice("ride", kC4, ride());
        rideVoice.instrument.volumeEnvelope = envelope({{0, 64}, {6, 40}, {30, 18}, {80, 0}});
        rideVoice.instrument.fadeout = 1200;
        rideVoice.instrument.samples[0].panning = 96;
        v.push_back(std::move(rideVoice));
    }
    {
        auto bassVoice = voice("bass", 37, bass());
        // Quick attack, held while the key is down, short release.
        bassVoice.instrument.volumeEnvelope = withSustain(envelope({{0, 64}, {8, 52}, {12, 50}, {16, 0}}), 2);
        bassVoice.instrument.fadeout = 2048;
        bassVoice.instrument.samples[0].volume = 50;  // sits under the kick and the lead
        v.push_back(std::move(bassVoice));
    }
    {
        auto subVoice = voice("sub", 25, sub());
        subVoice.instrument.volumeEnvelope = withSustain(envelope({{0, 64}, {40, 56}, {60, 0}}), 1);
        subVoice.instrument.fadeout = 300;
        v.push_back(std::move(subVoice));
    }
    {
        auto padVoice = voice("pad", kC4, pad());
        auto& i = padVoice.instrument;
        i.volumeEnvelope = withSustain(envelope({{0, 0}, {30, 48}, {60, 40}, {120, 0}}), 2);
        i.panningEnvelope = withLoop(envelope({{0, 32}, {64, 40}, {128, 24}, {192, 32}}), 0, 3);
        i.vibratoType = 0;
        i.vibratoSweep = 64;
        i.vibratoDepth = 3;
        i.vibratoRate = 6;
        i.fadeout = 256;
        padVoice.instrument.samples[0].volume = 46;  // three voices: together they match the lead
        v.push_back(std::move(padVoice));
    }
    {
        auto choirVoice = voice("choir", kC4, choir());
        auto& i = choirVoice.instrument;
        // Swells in, then breathes: the sustain holds while a short loop pulses the level.
        i.volumeEnvelope = withLoop(withSustain(envelope({{0, 0}, {40, 52}, {56, 44}, {72, 52}, {140, 0}}), 3), 2, 3);
        i.vibratoType = 0;
        i.vibratoSweep = 96;
        i.vibratoDepth = 6;
        i.vibratoRate = 10;
        i.fadeout = 300;
        v.push_back(std::move(choirVoice));
    }
    {
        auto pluckVoice = voice("pluck", 61, pluck());
        pluckVoice.instrument.panningEnvelope = withLoop(envelope({{0, 20}, {8, 44}, {16, 20}}), 0, 2);
        v.push_back(std::move(pluckVoice));
    }
    {
        auto leadVoice = voice("lead", 61, lead());
        auto& i = leadVoice.instrument;
        i.volumeEnvelope = withSustain(envelope({{0, 64}, {4, 56}, {10, 50}, {24, 0}}), 2);
        // Delayed vibrato: it fades in over the first beats of a held note.
        i.vibratoType = 0;
        i.vibratoSweep = 120;
        i.vibratoDepth = 5;
        i.vibratoRate = 12;
        i.fadeout = 1024;
        v.push_back(std::move(leadVoice));
    }
    v.push_back(voice("bell", 61, bell()));
    v.push_back(voice("riser", kC4, riser()));
    v.push_back(voice("revcym", kC4, reverseCymbal()));
    v.push_back(voice("impact", kC4, impact()));
    v.push_back(voice("stab", 46, stab()));
    v.push_back(voice("blip", kC4, blip()));

    for (InstrumentVoice& item : v)
        for (uint8_t& index : item.instrument.sampleMap)
            index = 0;
    return v;
}

}  // namespace Nimbra::SongGen
