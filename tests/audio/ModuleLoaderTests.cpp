// Header check, unpacking of patterns, instruments and samples, and the layout of the block.
#include <gtest/gtest.h>

#include <cstring>

#include "TestModules.h"

namespace Nimbra {
namespace {

const size_t firstPatternAt = 60 + 276;

void put16(std::vector<uint8_t>& b, size_t at, uint16_t v)
{
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    put16(b, at, uint16_t(v));
    put16(b, at + 2, uint16_t(v >> 16));
}
void append16(std::vector<uint8_t>& b, uint16_t v)
{
    b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)});
}
void append32(std::vector<uint8_t>& b, uint32_t v)
{
    append16(b, uint16_t(v));
    append16(b, uint16_t(v >> 16));
}

// A module header with no patterns and no instruments, to which tests append raw records.
std::vector<uint8_t> bareHeader(uint16_t channels)
{
    XmModule m;
    m.channelCount = channels;
    m.orders = {0};
    return writeXm(m);
}

void appendPattern(std::vector<uint8_t>& b, uint16_t rows, const std::vector<uint8_t>& packed)
{
    append32(b, 9);
    b.push_back(0);
    append16(b, rows);
    append16(b, uint16_t(packed.size()));
    b.insert(b.end(), packed.begin(), packed.end());
    put16(b, 70, uint16_t(b[70] + 1));
}

void appendSampleHeader(std::vector<uint8_t>& b, uint32_t length, uint32_t loopStart, uint32_t loopLength, uint8_t type)
{
    append32(b, length);
    append32(b, loopStart);
    append32(b, loopLength);
    b.insert(b.end(), {64, 0, type, 128, 0});
    b.insert(b.end(), 23, 0);
}

// Instrument with a full 263-byte header and the given sample headers (data appended by caller).
void appendInstrumentHeader(std::vector<uint8_t>& b, uint16_t sampleCount)
{
    size_t at = b.size();
    b.insert(b.end(), 263, 0);
    put32(b, at, 263);
    put16(b, at + 27, sampleCount);
    put32(b, at + 29, 40);
    put16(b, 72, uint16_t(b[72] + 1));
}

PlayerPtr create(const std::vector<uint8_t>& b)
{
    return makePlayer(b);
}

TEST(ModuleHeader, CodesComeInTheirOrder)
{
    std::vector<uint8_t> valid = bareHeader(2);
    EXPECT_EQ(checkModuleHeader(valid.data(), valid.size()), 0);

    std::vector<uint8_t> garbage(59, 'x');
    EXPECT_EQ(checkModuleHeader(garbage.data(), garbage.size()), 4);  // size comes first
    EXPECT_EQ(checkModuleHeader(valid.data(), 59), 4);

    std::vector<uint8_t> b = valid;
    b[16] = 'X';  // "Extended Module:" followed by something other than a space
    EXPECT_EQ(checkModuleHeader(b.data(), b.size()), 1);
    b[37] = 0;  // the signature is tested before the marker
    EXPECT_EQ(checkModuleHeader(b.data(), b.size()), 1);

    b = valid;
    b[37] = 0x1B;
    EXPECT_EQ(checkModuleHeader(b.data(), b.size()), 2);
    b[59] = 0x00;  // the marker is tested before the version
    EXPECT_EQ(checkModuleHeader(b.data(), b.size()), 2);

    b = valid;
    b[58] = 0x04;
    b[59] = 0x00;
    EXPECT_EQ(checkModuleHeader(b.data(), b.size()), 3);
    b[58] = 0x02;  // the old 0x0102 layout
    b[59] = 0x01;
    EXPECT_EQ(checkModuleHeader(b.data(), b.size()), 3);
}

TEST(ModuleHeader, CreateRefusesBadHeadersAndLeavesOutAlone)
{
    std::vector<uint8_t> b = bareHeader(2);
    ModulePlayer* sentinel = reinterpret_cast<ModulePlayer*>(uintptr_t(0x1234));
    ModulePlayer* out = sentinel;
    EXPECT_EQ(createModulePlayer(&out, b.data(), 59, 44100), 1);
    b[37] = 0;
    EXPECT_EQ(createModulePlayer(&out, b.data(), b.size(), 44100), 1);
    EXPECT_EQ(out, sentinel);
}

TEST(ModuleHeader, FieldsAndFrequencyMode)
{
    XmModule m = basicModule(5, 8);
    m.orders = {0, 0, 0};
    m.restartPosition = 2;
    m.speed = 4;
    m.tempo = 140;
    PlayerPtr p = makePlayer(m);
    EXPECT_EQ(p->songLength, 3);
    EXPECT_EQ(p->restartPosition, 2);
    EXPECT_EQ(p->channelCount, 5);
    EXPECT_EQ(p->patternCount, 1);
    EXPECT_EQ(p->instrumentCount, 1);
    EXPECT_EQ(p->speed, 4);
    EXPECT_EQ(p->bpm, 140);
    EXPECT_EQ(p->frequencyMode, 0u);
    EXPECT_EQ(p->sampleRate, 44100u);
    EXPECT_FLOAT_EQ(p->globalVolume, 1.0f);
    EXPECT_FLOAT_EQ(p->amplification, 0.25f);
    EXPECT_FLOAT_EQ(p->rampStep, 1.0f / 128.0f);

    m.linearFrequencies = false;
    EXPECT_EQ(makePlayer(m)->frequencyMode, 1u);

    // Data that ends before the flags byte selects Amiga periods.
    std::vector<uint8_t> b = writeXm(basicModule());
    b.resize(74);
    EXPECT_EQ(create(b)->frequencyMode, 1u);
}

TEST(ModuleHeader, OrderTableTakesWhatTheDataHolds)
{
    std::vector<uint8_t> b = bareHeader(1);
    for (int i = 0; i < 256; ++i)
        b[80 + i] = uint8_t(i + 1);
    b.resize(80 + 10);
    PlayerPtr p = create(b);
    EXPECT_EQ(p->orderTable[0], 1);
    EXPECT_EQ(p->orderTable[9], 10);
    EXPECT_EQ(p->orderTable[10], 0);
    EXPECT_EQ(p->orderTable[255], 0);
}

TEST(ModulePatterns, PackedForms)
{
    std::vector<uint8_t> b = bareHeader(2);
    // Row 0: 0x80 alone (empty), 0x83 note + instrument. Row 1: plain five bytes, then
    // 0x9C volume + effect + parameter.
    appendPattern(b, 2, {0x80, 0x83, 49, 1, 50, 2, 0x20, 0x0C, 0x30, 0x9C, 0x40, 0x0F, 0x06});
    appendPattern(b, 3, {});
    PlayerPtr p = create(b);
    const PatternCell* c = p->patterns[0].cells;
    EXPECT_EQ(p->patterns[0].rowCount, 2);
    EXPECT_EQ(c[0].note | c[0].instrument | c[0].volume | c[0].effect | c[0].param, 0);
    EXPECT_EQ(c[1].note, 49);
    EXPECT_EQ(c[1].instrument, 1);
    EXPECT_EQ(c[1].volume, 0);
    EXPECT_EQ(c[2].note, 50);
    EXPECT_EQ(c[2].instrument, 2);
    EXPECT_EQ(c[2].volume, 0x20);
    EXPECT_EQ(c[2].effect, 0x0C);
    EXPECT_EQ(c[2].param, 0x30);
    EXPECT_EQ(c[3].note, 0);
    EXPECT_EQ(c[3].volume, 0x40);
    EXPECT_EQ(c[3].effect, 0x0F);
    EXPECT_EQ(c[3].param, 0x06);

    // Packed size 0: all cells empty, and the pattern still has its rows.
    const PatternSlot& empty = p->patterns[1];
    EXPECT_EQ(empty.rowCount, 3);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(empty.cells[i].note | empty.cells[i].effect, 0);
}

TEST(ModulePatterns, CellsBeyondTheTableAreDroppedAndTheNextPatternStillReads)
{
    std::vector<uint8_t> b = bareHeader(1);
    // One row of one channel, but three cells packed.
    appendPattern(b, 1, {0x81, 10, 0x81, 20, 0x81, 30});
    appendPattern(b, 1, {0x81, 40});
    PlayerPtr p = create(b);
    EXPECT_EQ(p->patterns[0].cells[0].note, 10);
    EXPECT_EQ(p->patterns[1].cells[0].note, 40);
    // The second pattern's cells follow the first pattern's single cell directly.
    EXPECT_EQ(p->patterns[1].cells, p->patterns[0].cells + 1);
}

TEST(ModulePatterns, WriterRoundTrip)
{
    XmModule m = basicModule(3, 5);
    cellAt(m, 0, 0, 0) = {49, 1, 0x40, 0x0F, 0x03};
    cellAt(m, 0, 2, 1) = {97, 0, 0, 0, 0};
    cellAt(m, 0, 4, 2) = {0, 0, 0, 0x0E, 0xD2};
    PlayerPtr p = makePlayer(m);
    for (int row = 0; row < 5; ++row) {
        for (int ch = 0; ch < 3; ++ch) {
            const XmCell& want = cellAt(m, 0, row, ch);
            const PatternCell& got = p->patterns[0].cells[row * 3 + ch];
            EXPECT_EQ(got.note, want.note);
            EXPECT_EQ(got.instrument, want.instrument);
            EXPECT_EQ(got.volume, want.volume);
            EXPECT_EQ(got.effect, want.effect);
            EXPECT_EQ(got.param, want.param);
        }
    }
}

TEST(ModuleInstruments, WriterRoundTripOfEveryField)
{
    XmModule m = basicModule();
    XmInstrument& in = m.instruments[0];
    in.sampleMap[48] = 1;
    in.samples.push_back(constantSample(10, -3));
    in.samples[1].volume = 32;
    in.samples[1].finetune = -16;
    in.samples[1].panning = 255;
    in.samples[1].relativeNote = -12;
    in.volumeEnvelope.points = {{0, 64}, {10, 32}, {20, 0}};
    in.volumeEnvelope.enabled = true;
    in.volumeEnvelope.sustain = true;
    in.volumeEnvelope.sustainPoint = 1;
    in.volumeEnvelope.loop = true;
    in.volumeEnvelope.loopStart = 1;
    in.volumeEnvelope.loopEnd = 2;
    in.panningEnvelope.points = {{0, 32}, {5, 64}};
    in.panningEnvelope.enabled = true;
    in.vibratoType = 1;
    in.vibratoSweep = 3;
    in.vibratoDepth = 4;
    in.vibratoRate = 5;
    in.fadeout = 1234;
    PlayerPtr p = makePlayer(m);
    const ModuleInstrument& got = p->instruments[0];
    EXPECT_EQ(got.sampleCount, 2);
    EXPECT_EQ(got.sampleMap[48], 1);
    EXPECT_EQ(got.sampleMap[47], 0);
    EXPECT_EQ(got.volumeEnvelope.pointCount, 3);
    EXPECT_EQ(got.volumeEnvelope.points[1].x, 10);
    EXPECT_EQ(got.volumeEnvelope.points[1].y, 32);
    EXPECT_EQ(got.volumeEnvelope.sustainPoint, 1);
    EXPECT_EQ(got.volumeEnvelope.loopStart, 1);
    EXPECT_EQ(got.volumeEnvelope.loopEnd, 2);
    EXPECT_EQ(got.volumeEnvelope.enabled, 1);
    EXPECT_EQ(got.volumeEnvelope.sustainEnabled, 1);
    EXPECT_EQ(got.volumeEnvelope.loopEnabled, 1);
    EXPECT_EQ(got.panningEnvelope.pointCount, 2);
    EXPECT_EQ(got.panningEnvelope.points[1].y, 64);
    EXPECT_EQ(got.panningEnvelope.sustainEnabled, 0);
    EXPECT_EQ(got.vibratoType, 2);  // the file's 1 (square) is waveform 2
    EXPECT_EQ(got.vibratoSweep, 3);
    EXPECT_EQ(got.vibratoDepth, 4);
    EXPECT_EQ(got.vibratoRate, 5);
    EXPECT_EQ(got.fadeout, 1234);

    const ModuleSample& s = got.samples[1];
    EXPECT_EQ(s.bits, 8);
    EXPECT_EQ(s.length, 10u);
    EXPECT_FLOAT_EQ(s.volume, 0.5f);
    EXPECT_EQ(s.finetune, -16);
    EXPECT_FLOAT_EQ(s.panning, 1.0f);
    EXPECT_EQ(s.relativeNote, -12);
    EXPECT_EQ(static_cast<const int8_t*>(s.data)[9], -3);
}

TEST(ModuleInstruments, VibratoTypesSwapOneAndTwoOnly)
{
    const int fileType[5] = {0, 1, 2, 3, 4};
    const int waveformType[5] = {0, 2, 1, 3, 4};
    for (int i = 0; i < 5; ++i) {
        XmModule m = basicModule();
        m.instruments[0].vibratoType = uint8_t(fileType[i]);
        EXPECT_EQ(makePlayer(m)->instruments[0].vibratoType, waveformType[i]);
    }
}

TEST(ModuleInstruments, EnvelopeCountsAndLoopPointsAreClamped)
{
    XmModule m = basicModule();
    std::vector<uint8_t> b = writeXm(m);
    size_t ins = firstPatternAt + 9 + packXmPattern(m.patterns[0], m.channelCount).size();
    b[ins + 225] = 13;  // volume point count
    b[ins + 226] = 3;   // panning point count
    b[ins + 227] = 9;   // sustain: stored as it is
    b[ins + 228] = 7;
    b[ins + 229] = 200;
    b[ins + 232] = 3;
    PlayerPtr p = create(b);
    const ModuleInstrument& got = p->instruments[0];
    EXPECT_EQ(got.volumeEnvelope.pointCount, 12);
    EXPECT_EQ(got.volumeEnvelope.sustainPoint, 9);
    EXPECT_EQ(got.volumeEnvelope.loopStart, 7);
    EXPECT_EQ(got.volumeEnvelope.loopEnd, 11);
    EXPECT_EQ(got.panningEnvelope.loopEnd, 2);
}

TEST(ModuleInstruments, HeaderSizeDecidesWhereTheNextOneStarts)
{
    // Instrument 1: size 29 and no samples occupies exactly 29 bytes.
    std::vector<uint8_t> b = bareHeader(1);
    size_t at = b.size();
    b.insert(b.end(), 29, 0);
    put32(b, at, 29);
    put16(b, 72, 1);
    // Instrument 2: size 0 counts as 263; no samples.
    at = b.size();
    b.insert(b.end(), 263, 0);
    put16(b, 72, 2);
    // Instrument 3: one sample of 4 bytes.
    appendInstrumentHeader(b, 1);
    appendSampleHeader(b, 4, 0, 0, 0);
    b.insert(b.end(), {5, 1, 1, 1});
    PlayerPtr p = create(b);
    ASSERT_EQ(p->instrumentCount, 3);
    EXPECT_EQ(p->instruments[0].sampleCount, 0);
    EXPECT_EQ(p->instruments[0].samples, nullptr);
    EXPECT_EQ(p->instruments[1].sampleCount, 0);
    ASSERT_EQ(p->instruments[2].sampleCount, 1);
    const int8_t* data = static_cast<const int8_t*>(p->instruments[2].samples[0].data);
    EXPECT_EQ(data[0], 5);
    EXPECT_EQ(data[3], 8);
}

TEST(ModuleInstruments, ShortHeaderReadsZerosBeyondItsSize)
{
    // A 40-byte header: the sample map is cut after 7 entries; the sample headers follow at 40.
    std::vector<uint8_t> b = bareHeader(1);
    size_t at = b.size();
    b.insert(b.end(), 40, 0);
    put32(b, at, 40);
    put16(b, at + 27, 1);
    for (int i = 0; i < 7; ++i)
        b[at + 33 + i] = 1;
    put16(b, 72, 1);
    appendSampleHeader(b, 2, 0, 0, 0);
    b.insert(b.end(), {3, 3});
    PlayerPtr p = create(b);
    const ModuleInstrument& got = p->instruments[0];
    EXPECT_EQ(got.sampleMap[6], 1);
    EXPECT_EQ(got.sampleMap[7], 0);
    EXPECT_EQ(got.volumeEnvelope.pointCount, 0);
    EXPECT_EQ(static_cast<const int8_t*>(got.samples[0].data)[1], 6);
}

TEST(ModuleSamples, DeltaDecodingAndSixteenBitLengths)
{
    std::vector<uint8_t> b = bareHeader(1);
    appendInstrumentHeader(b, 2);
    appendSampleHeader(b, 1000, 0, 0, 0x10);  // 16-bit
    appendSampleHeader(b, 3, 0, 0, 0);
    std::vector<uint8_t> deltas(1000, 0);
    deltas[0] = 0x01, deltas[2] = 0x01, deltas[4] = 0xFE, deltas[5] = 0xFF;
    b.insert(b.end(), deltas.begin(), deltas.end());
    b.insert(b.end(), {0x7F, 0x02, 0x80});  // 127, then wraps to -127, then 1
    PlayerPtr p = create(b);
    const ModuleSample& wide = p->instruments[0].samples[0];
    EXPECT_EQ(wide.bits, 16);
    EXPECT_EQ(wide.length, 500u);
    const int16_t* w = static_cast<const int16_t*>(wide.data);
    EXPECT_EQ(w[0], 1);
    EXPECT_EQ(w[1], 2);
    EXPECT_EQ(w[2], 0);
    const int8_t* narrow = static_cast<const int8_t*>(p->instruments[0].samples[1].data);
    EXPECT_EQ(narrow[0], 127);
    EXPECT_EQ(narrow[1], -127);
    EXPECT_EQ(narrow[2], 1);
}

TEST(ModuleSamples, LoopDerivation)
{
    struct Case {
        uint32_t length, loopStart, loopLength;
        uint8_t type;
        int loopType;
        uint32_t start, end, loopLen;
    };
    const Case cases[] = {
        {100, 10, 20, 1, 1, 10, 30, 20},               // forward
        {100, 10, 0, 1, 0, 10, 10, 0},                 // no loop length: no loop
        {100, 10, 20, 3, 2, 10, 30, 20},               // type 3 is ping-pong
        {100, 150, 20, 1, 0, 100, 100, 0},             // start beyond the end pulled back
        {100, 90, 50, 2, 2, 90, 100, 10},              // end pulled back
        {100, 0xFFFFFF00u, 0x200, 1, 0, 100, 100, 0},  // start + length beyond 32 bits
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        std::vector<uint8_t> b = bareHeader(1);
        appendInstrumentHeader(b, 1);
        appendSampleHeader(b, c.length, c.loopStart, c.loopLength, c.type);
        b.insert(b.end(), c.length, 0);
        PlayerPtr p = create(b);
        const ModuleSample& s = p->instruments[0].samples[0];
        EXPECT_EQ(s.loopType, c.loopType) << "case " << i;
        EXPECT_EQ(s.loopStart, c.start) << "case " << i;
        EXPECT_EQ(s.loopEnd, c.end) << "case " << i;
        EXPECT_EQ(s.loopLength, c.loopLen) << "case " << i;
    }

    // 16-bit: the loop decision is made on bytes, the frame figures are halved afterwards, so
    // a one-byte loop is a forward loop of no frames.
    std::vector<uint8_t> b = bareHeader(1);
    appendInstrumentHeader(b, 1);
    appendSampleHeader(b, 11, 10, 1, 0x11);
    b.insert(b.end(), 10, 0);
    PlayerPtr p = create(b);
    const ModuleSample& s = p->instruments[0].samples[0];
    EXPECT_EQ(s.length, 5u);
    EXPECT_EQ(s.loopType, 1);
    EXPECT_EQ(s.loopStart, 5u);
    EXPECT_EQ(s.loopEnd, 5u);
    EXPECT_EQ(s.loopLength, 0u);
}

TEST(ModuleBlock, OneAllocationLaidOutInOrder)
{
    XmModule m = basicModule(3, 7);
    m.orders = {0, 0};
    m.instruments.push_back(instrumentWith(rampSample(33, true)));
    std::vector<uint8_t> b = writeXm(m);
    PlayerPtr p = create(b);
    const uint8_t* base = reinterpret_cast<const uint8_t*>(p.get());
    EXPECT_EQ(p->blockSize, computeModulePlayerSize(b.data(), b.size()));
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(p->patterns), base + sizeof(ModulePlayer));
    EXPECT_GT(reinterpret_cast<const uint8_t*>(p->instruments), reinterpret_cast<const uint8_t*>(p->patterns));
    EXPECT_GT(reinterpret_cast<const uint8_t*>(p->patterns[0].cells), reinterpret_cast<const uint8_t*>(p->instruments));
    const ModuleSample& last = p->instruments[1].samples[0];
    EXPECT_GE(reinterpret_cast<const uint8_t*>(p->channels), static_cast<const uint8_t*>(last.data) + 66);
    EXPECT_EQ(p->visitCounts, reinterpret_cast<const uint8_t*>(p->channels + 3));
    EXPECT_EQ(p->visitCounts + 2 * 256, base + p->blockSize);

    // The parse run on its own returns where the channel table goes.
    std::vector<uint8_t> block(size_t(p->blockSize), 0);
    ModulePlayer* fresh = reinterpret_cast<ModulePlayer*>(block.data());
    uint8_t* end = parseModule(fresh, b.data(), b.size(), block.data() + sizeof(ModulePlayer));
    EXPECT_EQ(end - block.data(), reinterpret_cast<const uint8_t*>(p->channels) - base);
}

TEST(ModuleBlock, ChannelsStartWithTheirInitialValues)
{
    PlayerPtr p = makePlayer(basicModule(4));
    for (int i = 0; i < 4; ++i) {
        const ModuleChannel& c = p->channels[i];
        EXPECT_EQ(c.instrument, nullptr);
        EXPECT_EQ(c.forward, 1);
        EXPECT_FLOAT_EQ(c.volume, 1.0f);
        EXPECT_FLOAT_EQ(c.panning, 0.5f);
        EXPECT_FLOAT_EQ(c.fadeoutVolume, 1.0f);
        EXPECT_FLOAT_EQ(c.envelopeVolume, 1.0f);
        EXPECT_FLOAT_EQ(c.envelopePanning, 0.5f);
        EXPECT_EQ(c.vibratoRetrigger, 1);
        EXPECT_EQ(c.tremoloRetrigger, 1);
        EXPECT_EQ(c.keyOn, 0);
        EXPECT_FLOAT_EQ(c.position, 0.0f);
    }
    EXPECT_EQ(p->orderIndex, 0);
    EXPECT_EQ(p->row, 0);
    EXPECT_EQ(p->tick, 0);
    EXPECT_EQ(p->maxLoops, 0);
    p->setMaxLoops(1);
    EXPECT_EQ(p->maxLoops, 1);
}

TEST(ModuleBlock, BlocksAboveTheLimitAreRefused)
{
    // A sample header claiming 300 MiB in a module of a few hundred bytes.
    std::vector<uint8_t> b = bareHeader(1);
    appendInstrumentHeader(b, 1);
    appendSampleHeader(b, 300u << 20, 0, 0, 0);
    ModulePlayer* out = nullptr;
    EXPECT_GT(computeModulePlayerSize(b.data(), b.size()), maxModulePlayerSize);
    EXPECT_EQ(createModulePlayer(&out, b.data(), b.size(), 44100), 2);
    EXPECT_EQ(out, nullptr);

    // Rows x channels of cells beyond the limit.
    std::vector<uint8_t> c = bareHeader(4000);
    appendPattern(c, 65535, {});
    EXPECT_EQ(createModulePlayer(&out, c.data(), c.size(), 44100), 2);
    EXPECT_EQ(out, nullptr);

    // Just under the limit is still fine: 16 MiB of sample data beyond the end of the file
    // repeat the last decoded value.
    std::vector<uint8_t> d = bareHeader(1);
    appendInstrumentHeader(d, 1);
    appendSampleHeader(d, 16u << 20, 0, 0, 0);
    d.insert(d.end(), {9, 1});
    PlayerPtr p = create(d);
    const int8_t* data = static_cast<const int8_t*>(p->instruments[0].samples[0].data);
    EXPECT_EQ(data[1], 10);
    EXPECT_EQ(data[(16u << 20) - 1], 10);
}

}  // namespace
}  // namespace Nimbra
