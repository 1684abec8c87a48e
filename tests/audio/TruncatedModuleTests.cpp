// A module that ends early reads as if it went on with zeros. The loader does not read past the
// end at all (a header may declare 65,535 patterns, instruments or samples that are not there),
// so these tests check that skipping gives exactly what reading the zeros would.
#include <gtest/gtest.h>

#include <cstring>

#include "TestModules.h"

namespace Nimbra {
namespace {

ptrdiff_t offsetIn(const ModulePlayer& p, const void* at)
{
    return at ? static_cast<const uint8_t*>(at) - reinterpret_cast<const uint8_t*>(&p) : -1;
}

// Every record of a against b: the same figures and the same places within the block.
void expectSameBlocks(const ModulePlayer& a, const ModulePlayer& b)
{
    ASSERT_EQ(a.blockSize, b.blockSize);
    ASSERT_EQ(a.patternCount, b.patternCount);
    ASSERT_EQ(a.instrumentCount, b.instrumentCount);
    for (uint32_t i = 0; i < a.patternCount; ++i) {
        ASSERT_EQ(a.patterns[i].rowCount, b.patterns[i].rowCount) << "pattern " << i;
        ASSERT_EQ(offsetIn(a, a.patterns[i].cells), offsetIn(b, b.patterns[i].cells)) << "pattern " << i;
    }
    for (uint32_t i = 0; i < a.instrumentCount; ++i) {
        const ModuleInstrument& x = a.instruments[i];
        const ModuleInstrument& y = b.instruments[i];
        ASSERT_EQ(x.sampleCount, y.sampleCount) << "instrument " << i;
        ASSERT_EQ(offsetIn(a, x.samples), offsetIn(b, y.samples)) << "instrument " << i;
        for (uint32_t s = 0; s < x.sampleCount; ++s) {
            const ModuleSample& u = x.samples[s];
            const ModuleSample& v = y.samples[s];
            ASSERT_EQ(u.bits, v.bits) << i << "/" << s;
            ASSERT_EQ(u.length, v.length) << i << "/" << s;
            ASSERT_EQ(u.loopType, v.loopType) << i << "/" << s;
            ASSERT_EQ(u.volume, v.volume) << i << "/" << s;
            ASSERT_EQ(offsetIn(a, u.data), offsetIn(b, v.data)) << i << "/" << s;
        }
    }
    ASSERT_EQ(offsetIn(a, a.channels), offsetIn(b, b.channels));
}

void put16(std::vector<uint8_t>& b, size_t at, uint16_t v)
{
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}

// The module cut at `end`, against the same bytes followed by enough zeros to hold every
// header the module declares.
void expectCutReadsAsZeros(std::vector<uint8_t> bytes, size_t end)
{
    bytes.resize(end);
    std::vector<uint8_t> padded = bytes;
    padded.resize(end + 400000, 0);
    PlayerPtr cut = makePlayer(bytes);
    PlayerPtr zeros = makePlayer(padded);
    ASSERT_TRUE(cut && zeros);
    expectSameBlocks(*cut, *zeros);
}

TEST(TruncatedModules, MissingPatternsInstrumentsAndSamplesReadAsZeros)
{
    XmModule m = basicModule(2, 8);
    m.instruments[0] = instrumentWith(rampSample(1001));  // an odd length: the next data is aligned up
    m.instruments.push_back(instrumentWith(rampSample(100, true)));
    std::vector<uint8_t> b = writeXm(m);
    const size_t patternAt = 60 + 276;
    const size_t instrumentAt = patternAt + 9 + packXmPattern(m.patterns[0], 2).size();

    // 3,000 patterns declared, one present.
    std::vector<uint8_t> manyPatterns = b;
    put16(manyPatterns, 70, 3000);
    expectCutReadsAsZeros(manyPatterns, instrumentAt);

    // 40,000 instruments declared; the data ends inside the second one's sample headers.
    std::vector<uint8_t> manyInstruments = b;
    put16(manyInstruments, 72, 40000);
    expectCutReadsAsZeros(manyInstruments, b.size() - 150);

    // The first instrument declares 9,000 samples; the data ends after its first header.
    std::vector<uint8_t> manySamples = b;
    put16(manySamples, instrumentAt + 27, 9000);
    expectCutReadsAsZeros(manySamples, instrumentAt + 263 + 40);
    // ... and in the middle of its second header.
    expectCutReadsAsZeros(manySamples, instrumentAt + 263 + 40 + 17);
}

}  // namespace
}  // namespace Nimbra
