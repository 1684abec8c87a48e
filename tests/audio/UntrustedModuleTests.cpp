// Modules are untrusted data: truncated and corrupted files must load or be refused cleanly and
// play without reading or writing outside the block (the sanitizer build checks the accesses).
#include <gtest/gtest.h>

#include <cmath>

#include "TestModules.h"

namespace Nimbra {
namespace {

// A module touching most of the format: two patterns, envelopes, 8- and 16-bit samples with
// every loop mode, and a spread of effects.
std::vector<uint8_t> richModule()
{
    XmModule m = basicModule(4, 12);
    m.patterns.push_back(m.patterns[0]);
    m.orders = {0, 1, 0};
    m.restartPosition = 1;
    XmInstrument in = instrumentWith(rampSample(64, true));
    in.samples[0].loopType = XmLoop::PingPong;
    in.samples[0].loopStart = 8;
    in.samples[0].loopLength = 40;
    in.samples.push_back(rampSample(50));
    in.sampleMap[50] = 1;
    in.volumeEnvelope.points = {{0, 64}, {4, 20}, {9, 50}, {20, 0}};
    in.volumeEnvelope.enabled = in.volumeEnvelope.sustain = in.volumeEnvelope.loop = true;
    in.volumeEnvelope.sustainPoint = 2;
    in.volumeEnvelope.loopStart = 1;
    in.volumeEnvelope.loopEnd = 2;
    in.panningEnvelope.points = {{0, 0}, {6, 64}};
    in.panningEnvelope.enabled = true;
    in.vibratoDepth = 4;
    in.vibratoRate = 9;
    in.fadeout = 300;
    m.instruments.push_back(in);
    const XmCell cells[] = {{49, 1, 0x40, 0x00, 0x47}, {51, 2, 0, 0x03, 0x20},   {97, 0, 0, 0x0E, 0x92},
                            {60, 2, 0xB2, 0x1B, 0x31}, {0, 0, 0, 0x0D, 0x01},    {30, 1, 0, 0x09, 0x01},
                            {0, 2, 0, 0x0E, 0x61},     {72, 2, 0xF3, 0x1D, 0x23}};
    for (int p = 0; p < 2; ++p) {
        for (int r = 0; r < 12; ++r) {
            for (int c = 0; c < 4; ++c)
                cellAt(m, p, r, c) = cells[(r * 4 + c + p) % 8];
        }
    }
    return writeXm(m);
}

// Creates a player if the header allows, renders a little and checks the output is sound.
void playBriefly(const std::vector<uint8_t>& b, size_t size)
{
    ModulePlayer* raw = nullptr;
    int code = createModulePlayer(&raw, b.data(), size, 44100);
    if (size < 60) {
        EXPECT_EQ(code, 1);
        return;
    }
    ASSERT_EQ(code == 1, checkModuleHeader(b.data(), size) != 0);
    if (code != 0)
        return;
    PlayerPtr p(raw);
    EXPECT_EQ(p->blockSize, computeModulePlayerSize(b.data(), size));
    std::vector<float> out = render(*p, 6000);
    for (float f : out)
        ASSERT_TRUE(std::isfinite(f)) << "size " << size;
}

TEST(UntrustedModules, EveryTruncationLoadsAndPlays)
{
    std::vector<uint8_t> b = richModule();
    for (size_t size = 0; size <= b.size(); size += (size < 400 ? 1 : 7))
        playBriefly(b, size);
}

TEST(UntrustedModules, CorruptedBytesNeverFault)
{
    std::vector<uint8_t> original = richModule();
    uint32_t state = 12345;
    auto next = [&state]() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> b = original;
        int changes = 1 + int(next() % 8);
        for (int i = 0; i < changes; ++i) {
            // Mostly the header, pattern and instrument fields, where damage matters most.
            size_t at = (next() % 4 == 0) ? next() % b.size() : 60 + next() % 700;
            if (at < b.size())
                b[at] = uint8_t(next());
        }
        playBriefly(b, b.size());
    }
}

TEST(UntrustedModules, HostileHeaderFields)
{
    std::vector<uint8_t> b = richModule();
    struct Patch {
        size_t at;
        uint8_t value;
    };
    const std::vector<std::vector<Patch>> patches = {
        {{76, 0}, {77, 0}},                                // speed 0
        {{78, 0}, {79, 0}},                                // tempo 0
        {{76, 0xFF}, {77, 0xFF}},                          // speed 65535
        {{66, 200}},                                       // restart beyond the song
        {{64, 0}, {65, 0}},                                // no order entries
        {{80, 250}},                                       // order naming a missing pattern
        {{60, 0xFF}, {61, 0xFF}, {62, 0xFF}, {63, 0xFF}},  // header size far beyond the data
        {{72, 0xFF}, {73, 0xFF}},                          // 65535 instruments
        {{70, 0xFF}, {71, 0xFF}},                          // 65535 patterns
    };
    for (const std::vector<Patch>& patch : patches) {
        std::vector<uint8_t> c = b;
        for (Patch p : patch)
            c[p.at] = p.value;
        playBriefly(c, c.size());
    }
}

TEST(UntrustedModules, NoSampleRateGivesSilenceNotAFault)
{
    std::vector<uint8_t> b = richModule();
    ModulePlayer* raw = nullptr;
    ASSERT_EQ(createModulePlayer(&raw, b.data(), b.size(), 0), 0);
    PlayerPtr p(raw);
    std::vector<float> out = render(*p, 500);
    EXPECT_EQ(out.size(), 1000u);
}

}  // namespace
}  // namespace Nimbra
