#include "tools/xmseeds/Seeds.h"

#include <cmath>

namespace Nimbra {

namespace {

XmSample makeSample(bool sixteenBit, XmLoop loop, int length, int shape)
{
    XmSample s;
    s.sixteenBit = sixteenBit;
    s.loopType = loop;
    s.data.resize(length);
    float peak = sixteenBit ? 30000.0f : 120.0f;
    for (int i = 0; i < length; ++i) {
        float phase = float(i) / 32.0f;
        float v = shape == 0   ? std::sin(6.2831853f * phase)               // sine
                  : shape == 1 ? (phase - std::floor(phase)) * 2.0f - 1.0f  // saw
                               : (std::fmod(float(i) * 7919.0f, 255.0f) / 127.5f - 1.0f) *
                                     (1.0f - float(i) / float(length));  // decaying noise
        s.data[i] = int16_t(v * peak);
    }
    if (loop != XmLoop::None) {
        s.loopStart = uint32_t(length / 4);
        s.loopLength = uint32_t(length / 2);
    }
    return s;
}

XmInstrument makeInstrument(bool sixteenBit, XmLoop loop, int shape, bool envelopes)
{
    XmInstrument in;
    in.samples.push_back(makeSample(sixteenBit, loop, shape == 2 ? 4000 : 256, shape));
    if (envelopes) {
        in.volumeEnvelope.points = {{0, 64}, {8, 40}, {24, 48}, {64, 0}};
        in.volumeEnvelope.enabled = true;
        in.volumeEnvelope.sustain = true;
        in.volumeEnvelope.sustainPoint = 1;
        in.volumeEnvelope.loop = true;
        in.volumeEnvelope.loopStart = 1;
        in.volumeEnvelope.loopEnd = 2;
        in.panningEnvelope.points = {{0, 0}, {16, 64}, {32, 32}};
        in.panningEnvelope.enabled = true;
        in.fadeout = 800;
        in.vibratoType = 1;
        in.vibratoSweep = 8;
        in.vibratoDepth = 6;
        in.vibratoRate = 20;
    }
    return in;
}

void addInstruments(XmModule& m)
{
    m.instruments.push_back(makeInstrument(false, XmLoop::Forward, 0, false));
    m.instruments.push_back(makeInstrument(true, XmLoop::PingPong, 1, true));
    m.instruments.push_back(makeInstrument(false, XmLoop::None, 2, false));
    m.instruments.push_back(makeInstrument(true, XmLoop::Forward, 1, true));
}

// One pattern per group of effects; each channel plays notes and the listed effects.
XmModule effectSeed(const std::vector<XmCell>& effects, uint16_t channels, bool linear)
{
    XmModule m;
    m.channelCount = channels;
    m.linearFrequencies = linear;
    m.speed = 3;
    addInstruments(m);
    XmPattern p;
    p.resize(16, channels);
    for (int row = 0; row < 16; ++row) {
        for (int c = 0; c < channels; ++c) {
            XmCell& cell = p.at(row, c, channels);
            if ((row + c) % 4 == 0) {
                cell.note = uint8_t(37 + (row * 5 + c * 7) % 36);
                cell.instrument = uint8_t(1 + (row + c) % 4);
            }
            const XmCell& e = effects[(row * channels + c) % effects.size()];
            if (e.note != 0)
                cell.note = e.note;
            cell.volume = e.volume;
            cell.effect = e.effect;
            cell.param = e.param;
        }
    }
    m.patterns.push_back(p);
    m.orders = {0, 0};
    return m;
}

XmModule benchSong()
{
    XmModule m;
    m.channelCount = 10;
    m.speed = 3;
    m.tempo = 125;
    addInstruments(m);
    const uint8_t chord[4] = {0, 4, 7, 11};
    for (int pi = 0; pi < 4; ++pi) {
        XmPattern p;
        p.resize(64, m.channelCount);
        for (int row = 0; row < 64; ++row) {
            for (int c = 0; c < m.channelCount; ++c) {
                XmCell& cell = p.at(row, c, m.channelCount);
                int every = c < 4 ? 8 : (c < 8 ? 4 : 2);
                if ((row + c) % every == 0) {
                    cell.note = uint8_t(25 + 12 * (c % 4) + chord[(row / 8 + c + pi) % 4]);
                    cell.instrument = uint8_t(1 + c % 4);
                    cell.volume = uint8_t(0x30 + (c % 3) * 8);
                }
                if (c == 4)
                    cell.effect = 4, cell.param = 0x46;
                if (c == 5 && row % 16 == 8)
                    cell.effect = 0, cell.param = 0x37;
                if (c == 6)
                    cell.effect = 10, cell.param = row % 8 < 4 ? 0x01 : 0x10;
            }
        }
        m.patterns.push_back(p);
    }
    m.orders = {0, 1, 2, 3, 1, 2};
    m.restartPosition = 1;
    return m;
}

// A sample of `length` frames shaped by f(i) in -1..1, scaled to the format's range.
template <typename Shape>
XmSample shapedSample(bool sixteenBit, XmLoop loop, int length, int loopStart, Shape f)
{
    XmSample s;
    s.sixteenBit = sixteenBit;
    s.loopType = loop;
    s.data.resize(length);
    float peak = sixteenBit ? 30000.0f : 120.0f;
    for (int i = 0; i < length; ++i)
        s.data[i] = int16_t(f(i) * peak);
    if (loop != XmLoop::None) {
        s.loopStart = uint32_t(loopStart);
        s.loopLength = uint32_t(length - loopStart);
    }
    return s;
}

float noise(int i)
{
    return std::fmod(float(i) * 7919.0f, 255.0f) / 127.5f - 1.0f;
}

// The drums, bass and pad of the 18-channel song: instruments 5 to 8.
void addBandInstruments(XmModule& m)
{
    XmInstrument kick;  // 16-bit one-shot, a falling sine
    kick.samples.push_back(shapedSample(true, XmLoop::None, 5000, 0, [](int i) {
        float t = float(i) / 5000.0f;
        return std::sin(6.2831853f * float(i) * (0.02f - 0.015f * t)) * (1.0f - t);
    }));
    XmInstrument hat;  // 8-bit one-shot, short noise
    hat.samples.push_back(
        shapedSample(false, XmLoop::None, 1200, 0, [](int i) { return noise(i) * (1.0f - float(i) / 1200.0f); }));
    hat.samples.back().volume = 40;
    XmInstrument bass;  // 16-bit looped square-ish wave
    bass.samples.push_back(
        shapedSample(true, XmLoop::Forward, 512, 0, [](int i) { return (i % 64) < 32 ? 0.8f : -0.8f; }));
    bass.samples.back().relativeNote = -12;
    XmInstrument pad;  // 8-bit looped, two detuned sines, with a held volume envelope
    pad.samples.push_back(shapedSample(false, XmLoop::Forward, 3000, 1000, [](int i) {
        return 0.5f * std::sin(6.2831853f * float(i) / 50.0f) + 0.4f * std::sin(6.2831853f * float(i) / 50.5f);
    }));
    pad.volumeEnvelope.points = {{0, 0}, {12, 64}, {30, 44}, {200, 20}};
    pad.volumeEnvelope.enabled = true;
    pad.volumeEnvelope.sustain = true;
    pad.volumeEnvelope.sustainPoint = 2;
    pad.fadeout = 400;
    for (XmInstrument* in : {&kick, &hat, &bass, &pad})
        m.instruments.push_back(*in);
}

// A busy 18-channel song of about two minutes shaped like a real one (drums, bass, pads, leads; both sample widths,
// looped and one-shot; envelopes, common effects). Two come in late: first note at order 4; only effects until order 8.
XmModule benchSong18()
{
    XmModule m;
    m.channelCount = 18;
    m.speed = 6;
    m.tempo = 123;
    addInstruments(m);
    addBandInstruments(m);
    const uint8_t chord[4] = {0, 4, 7, 11};
    const int orderCount = 16;
    for (int pi = 0; pi < orderCount; ++pi) {
        XmPattern p;
        p.resize(64, m.channelCount);
        for (int row = 0; row < 64; ++row) {
            int root = 37 + (pi % 4) * 2;
            auto at = [&](int c) -> XmCell& { return p.at(row, c, m.channelCount); };
            // clang-format off
            if (row % 4 == 0) at(0) = {uint8_t(root - 12), 5, 0, 0, 0};                      // kick
            if (row % 8 == 4) at(1) = {uint8_t(root), 3, 0x40, 9, uint8_t(row % 16 == 4 ? 2 : 0)};  // snare, 9xx
            if (row % 2 == 0) at(2) = {uint8_t(root + 24), 6, uint8_t(row % 4 ? 0x28 : 0x38), 0, 0};  // hats
            if (row % 16 == 14) at(2).effect = 14, at(2).param = 0x93;                         // E93 retrigger
            // clang-format on
            for (int c = 3; c <= 4; ++c) {  // bass: notes, portamento and tone portamento
                if (row % 4 == c - 3)
                    at(c) = {uint8_t(root - 12 + chord[(row / 16) % 4]), 8, 0, 0, 0};
                if (row % 8 == 6)
                    at(c).effect = 1, at(c).param = 0x04;
                if (row % 16 == 9)
                    at(c) = {uint8_t(root - 10), 0, 0, 3, 0x20};
            }
            for (int c = 5; c <= 10; ++c) {  // pads: held chords, released before the next
                if (row % 16 == (c - 5) % 3) {
                    at(c) = {uint8_t(root + 12 * ((c - 5) / 3) + chord[(c - 5 + row / 16) % 4]), uint8_t(c % 2 ? 7 : 2),
                             uint8_t(0x20 + 4 * (c - 5)), 8, uint8_t(40 * (c - 4))};
                }
                if (row % 16 == 13)
                    at(c).note = 97;
            }
            for (int c = 11; c <= 13; ++c) {  // leads: arpeggio, vibrato, volume slide
                if ((row + c) % 3 == 0)
                    at(c) = {uint8_t(root + 12 + chord[(row + c) % 4]), uint8_t(c == 12 ? 4 : 1), 0, 0, 0};
                XmCell& e = at(c);
                if (c == 11)
                    e.effect = 0, e.param = 0x47;
                if (c == 12)
                    e.effect = 4, e.param = 0x36;
                if (c == 13)
                    e.effect = 10, e.param = row % 6 < 3 ? 0x02 : 0x20;
            }
            for (int c = 14; c <= 15; ++c) {  // echoes of the leads, quieter, panned
                if ((row + c - 3) % 3 == 0) {
                    at(c) = {uint8_t(root + 12 + chord[(row + c - 3) % 4]), 1, uint8_t(0x18 + 8 * (c - 14)), 8,
                             uint8_t(c == 14 ? 0x30 : 0xD0)};
                }
            }
            if (pi >= 4 && row % 8 == 2)
                at(16) = {uint8_t(root + 7), 2, 0, 14, 0xC3};  // late entry, EC3 note cut
            if (pi < 8 && row == 0)
                at(17) = {0, 0, 0, 16, uint8_t(64 - pi)};  // Gxx only
            if (pi >= 8 && row % 16 == 1)
                at(17) = {uint8_t(root + 19), 4, 0, 14, 0xD2};  // ED2 note delay
        }
        m.patterns.push_back(p);
    }
    for (int i = 0; i < orderCount; ++i)
        m.orders.push_back(uint8_t(i));
    return m;
}

}  // namespace

std::vector<SeedModule> seedModules()
{
    // Effect groups: {note, instrument, volume column, effect, parameter}.
    const std::vector<std::vector<XmCell>> groups = {
        {{0, 0, 0, 0, 0x37}, {0, 0, 0, 1, 0x08}, {0, 0, 0, 2, 0x04}, {0, 0, 0xF4, 3, 0x10}},
        {{0, 0, 0, 4, 0x8F}, {0, 0, 0, 5, 0x02}, {0, 0, 0, 6, 0x20}, {0, 0, 0, 7, 0x4A}},
        {{0, 0, 0, 8, 0x20}, {0, 0, 0, 9, 0x02}, {0, 0, 0, 10, 0x0F}, {0, 0, 0, 12, 0x30}},
        {{0, 0, 0, 11, 0x01}, {0, 0, 0, 13, 0x08}, {0, 0, 0, 15, 0x02}, {0, 0, 0, 15, 0x60}},
        {{0, 0, 0, 16, 0x20}, {0, 0, 0, 17, 0x01}, {0, 0, 0, 20, 0x01}, {0, 0, 0, 21, 0x04}},
        {{0, 0, 0, 25, 0x0F}, {0, 0, 0, 27, 0x92}, {0, 0, 0, 29, 0x21}, {0, 0, 0, 33, 0x13}},
        {{0, 0, 0, 14, 0x13}, {0, 0, 0, 14, 0x24}, {0, 0, 0, 14, 0x47}, {0, 0, 0, 14, 0x5C}},
        {{0, 0, 0, 14, 0x60}, {0, 0, 0, 14, 0x62}, {0, 0, 0, 14, 0x75}, {0, 0, 0, 14, 0x92}},
        {{0, 0, 0, 14, 0xA2}, {0, 0, 0, 14, 0xB2}, {0, 0, 0, 14, 0xC1}, {0, 0, 0, 14, 0xD1}},
        {{0, 0, 0, 14, 0xE1}, {0, 0, 0x62, 0, 0}, {0, 0, 0x75, 0, 0}, {0, 0, 0xB0, 0, 0}},
        {{0, 0, 0xA4, 0, 0}, {0, 0, 0xC8, 0, 0}, {0, 0, 0xD3, 0, 0}, {0, 0, 0xE3, 0, 0}},
        {{0, 0, 0x82, 0, 0}, {0, 0, 0x92, 0, 0}, {0, 0, 0x50, 0, 0}, {97, 0, 0, 0, 0}},
    };
    std::vector<SeedModule> seeds;
    for (size_t i = 0; i < groups.size(); ++i) {
        for (int linear = 0; linear < 2; ++linear) {
            std::string name = "effects" + std::to_string(i) + (linear ? "-linear" : "-amiga") + ".xm";
            seeds.push_back({name, effectSeed(groups[i], 4, linear != 0)});
        }
    }
    seeds.push_back({"bench10.xm", benchSong()});
    seeds.push_back({"bench18.xm", benchSong18()});
    return seeds;
}

}  // namespace Nimbra
