// xmseeds DIR: writes small XM modules made with the project's writer into DIR: a seed corpus
// for the module fuzzer (each seed exercises a group of effects, loop modes or sample formats)
// and bench10.xm, a busy 10-channel song for xmbench.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/XmWriter.h"

using namespace Nimbra;

namespace {

XmSample makeSample(bool sixteenBit, XmLoop loop, int length, int shape) {
    XmSample s;
    s.sixteenBit = sixteenBit;
    s.loopType = loop;
    s.data.resize(length);
    float peak = sixteenBit ? 30000.0f : 120.0f;
    for (int i = 0; i < length; ++i) {
        float phase = float(i) / 32.0f;
        float v = shape == 0 ? std::sin(6.2831853f * phase)                  // sine
                  : shape == 1 ? (phase - std::floor(phase)) * 2.0f - 1.0f  // saw
                               : (std::fmod(float(i) * 7919.0f, 255.0f) / 127.5f - 1.0f) *
                                     (1.0f - float(i) / float(length));      // decaying noise
        s.data[i] = int16_t(v * peak);
    }
    if (loop != XmLoop::None) {
        s.loopStart = uint32_t(length / 4);
        s.loopLength = uint32_t(length / 2);
    }
    return s;
}

XmInstrument makeInstrument(bool sixteenBit, XmLoop loop, int shape, bool envelopes) {
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

void addInstruments(XmModule& m) {
    m.instruments.push_back(makeInstrument(false, XmLoop::Forward, 0, false));
    m.instruments.push_back(makeInstrument(true, XmLoop::PingPong, 1, true));
    m.instruments.push_back(makeInstrument(false, XmLoop::None, 2, false));
    m.instruments.push_back(makeInstrument(true, XmLoop::Forward, 1, true));
}

// One pattern per group of effects; each channel plays notes and the listed effects.
XmModule effectSeed(const std::vector<XmCell>& effects, uint16_t channels, bool linear) {
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
            if (e.note != 0) cell.note = e.note;
            cell.volume = e.volume;
            cell.effect = e.effect;
            cell.param = e.param;
        }
    }
    m.patterns.push_back(p);
    m.orders = {0, 0};
    return m;
}

XmModule benchSong() {
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
                if (c == 4) cell.effect = 4, cell.param = 0x46;
                if (c == 5 && row % 16 == 8) cell.effect = 0, cell.param = 0x37;
                if (c == 6) cell.effect = 10, cell.param = row % 8 < 4 ? 0x01 : 0x10;
            }
        }
        m.patterns.push_back(p);
    }
    m.orders = {0, 1, 2, 3, 1, 2};
    m.restartPosition = 1;
    return m;
}

bool save(const std::string& dir, const std::string& name, const XmModule& m) {
    std::vector<uint8_t> bytes = writeXm(m);
    std::string path = dir + "/" + name;
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: xmseeds DIR\n");
        return 2;
    }
    std::string dir = argv[1];
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
    bool ok = true;
    for (size_t i = 0; i < groups.size(); ++i) {
        for (int linear = 0; linear < 2; ++linear) {
            std::string name = "effects" + std::to_string(i) + (linear ? "-linear" : "-amiga") + ".xm";
            ok = ok && save(dir, name, effectSeed(groups[i], 4, linear != 0));
        }
    }
    ok = ok && save(dir, "bench10.xm", benchSong());
    if (!ok) {
        fprintf(stderr, "xmseeds: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
