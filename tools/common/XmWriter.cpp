#include "tools/common/XmWriter.h"

#include <algorithm>
#include <cstring>

namespace Nimbra {

namespace {

// Sizes of the fixed records of the format.
const uint32_t moduleHeaderSize = 276;  // counted from offset 60: fields and the order table
const uint32_t patternHeaderSize = 9;
const uint32_t instrumentHeaderSize = 263;  // with samples: everything up to the reserved bytes
const uint32_t emptyInstrumentSize = 29;    // without samples: up to the sample count
const uint32_t sampleHeaderSize = 40;

struct ByteWriter {
    std::vector<uint8_t>& out;

    void u8(uint8_t v) { out.push_back(v); }
    void u16(uint16_t v)
    {
        out.push_back(uint8_t(v));
        out.push_back(uint8_t(v >> 8));
    }
    void u32(uint32_t v)
    {
        u16(uint16_t(v));
        u16(uint16_t(v >> 16));
    }
    void text(const std::string& s, size_t size)
    {
        for (size_t i = 0; i < size; ++i)
            out.push_back(i < s.size() ? uint8_t(s[i]) : 0);
    }
    void zeros(size_t n) { out.insert(out.end(), n, 0); }
};

void writeEnvelopePoints(ByteWriter& w, const XmEnvelope& e)
{
    for (size_t i = 0; i < 12; ++i) {
        XmEnvelopePoint p = i < e.points.size() ? e.points[i] : XmEnvelopePoint();
        w.u16(p.x);
        w.u16(p.y);
    }
}

uint8_t envelopeFlags(const XmEnvelope& e)
{
    return uint8_t((e.enabled ? 1 : 0) | (e.sustain ? 2 : 0) | (e.loop ? 4 : 0));
}

uint8_t pointCount(const XmEnvelope& e)
{
    return uint8_t(std::min<size_t>(e.points.size(), 12));
}

uint32_t bytesPerFrame(const XmSample& s)
{
    return s.sixteenBit ? 2 : 1;
}

void writeSampleHeader(ByteWriter& w, const XmSample& s)
{
    uint32_t scale = bytesPerFrame(s);
    w.u32(uint32_t(s.data.size()) * scale);
    w.u32(s.loopStart * scale);
    w.u32(s.loopLength * scale);
    w.u8(s.volume);
    w.u8(uint8_t(s.finetune));
    w.u8(uint8_t(uint8_t(s.loopType) | (s.sixteenBit ? 0x10 : 0)));
    w.u8(s.panning);
    w.u8(uint8_t(s.relativeNote));
    w.u8(0);  // reserved
    w.text(s.name, 22);
}

// Sample data is stored as differences between neighbours, which packs well.
void writeSampleData(ByteWriter& w, const XmSample& s)
{
    int16_t previous = 0;
    for (int16_t v : s.data) {
        if (s.sixteenBit) {
            w.u16(uint16_t(uint16_t(v) - uint16_t(previous)));
        } else {
            w.u8(uint8_t(uint8_t(v) - uint8_t(previous)));
        }
        previous = v;
    }
}

void writeInstrument(ByteWriter& w, const XmInstrument& in)
{
    if (in.samples.empty()) {
        w.u32(emptyInstrumentSize);
        w.text(in.name, 22);
        w.u8(0);
        w.u16(0);
        return;
    }
    w.u32(instrumentHeaderSize);
    w.text(in.name, 22);
    w.u8(0);  // type
    w.u16(uint16_t(in.samples.size()));
    w.u32(sampleHeaderSize);
    for (uint8_t s : in.sampleMap)
        w.u8(s);
    writeEnvelopePoints(w, in.volumeEnvelope);
    writeEnvelopePoints(w, in.panningEnvelope);
    w.u8(pointCount(in.volumeEnvelope));
    w.u8(pointCount(in.panningEnvelope));
    w.u8(in.volumeEnvelope.sustainPoint);
    w.u8(in.volumeEnvelope.loopStart);
    w.u8(in.volumeEnvelope.loopEnd);
    w.u8(in.panningEnvelope.sustainPoint);
    w.u8(in.panningEnvelope.loopStart);
    w.u8(in.panningEnvelope.loopEnd);
    w.u8(envelopeFlags(in.volumeEnvelope));
    w.u8(envelopeFlags(in.panningEnvelope));
    w.u8(in.vibratoType);
    w.u8(in.vibratoSweep);
    w.u8(in.vibratoDepth);
    w.u8(in.vibratoRate);
    w.u16(in.fadeout);
    w.zeros(instrumentHeaderSize - 241);  // reserved
    for (const XmSample& s : in.samples)
        writeSampleHeader(w, s);
    for (const XmSample& s : in.samples)
        writeSampleData(w, s);
}

}  // namespace

void XmPattern::resize(uint16_t rows, uint16_t channelCount)
{
    rowCount = rows;
    cells.assign(size_t(rows) * channelCount, XmCell());
}

std::vector<uint8_t> packXmPattern(const XmPattern& pattern, uint16_t channelCount)
{
    std::vector<uint8_t> out;
    size_t cellCount = size_t(pattern.rowCount) * channelCount;
    for (size_t i = 0; i < cellCount; ++i) {
        XmCell c = i < pattern.cells.size() ? pattern.cells[i] : XmCell();
        uint8_t flags = uint8_t((c.note ? 1 : 0) | (c.instrument ? 2 : 0) | (c.volume ? 4 : 0) | (c.effect ? 8 : 0) |
                                (c.param ? 16 : 0));
        if (flags == 31 && c.note < 0x80) {
            // All five columns used: the plain form is as short and needs no flag byte.
            out.insert(out.end(), {c.note, c.instrument, c.volume, c.effect, c.param});
            continue;
        }
        out.push_back(uint8_t(0x80 | flags));
        if (c.note)
            out.push_back(c.note);
        if (c.instrument)
            out.push_back(c.instrument);
        if (c.volume)
            out.push_back(c.volume);
        if (c.effect)
            out.push_back(c.effect);
        if (c.param)
            out.push_back(c.param);
    }
    return out;
}

std::vector<uint8_t> writeXm(const XmModule& module)
{
    std::vector<uint8_t> out;
    ByteWriter w{out};
    size_t orderCount = std::min<size_t>(module.orders.size(), 256);

    w.text("Extended Module: ", 17);
    w.text(module.name, 20);
    w.u8(0x1A);
    w.text(module.trackerName, 20);
    w.u16(0x0104);
    w.u32(moduleHeaderSize);
    w.u16(uint16_t(orderCount));
    w.u16(module.restartPosition);
    w.u16(module.channelCount);
    w.u16(uint16_t(module.patterns.size()));
    w.u16(uint16_t(module.instruments.size()));
    w.u16(module.linearFrequencies ? 1 : 0);
    w.u16(module.speed);
    w.u16(module.tempo);
    for (size_t i = 0; i < 256; ++i)
        w.u8(i < orderCount ? module.orders[i] : 0);

    for (const XmPattern& p : module.patterns) {
        std::vector<uint8_t> packed = packXmPattern(p, module.channelCount);
        w.u32(patternHeaderSize);
        w.u8(0);  // packing type
        w.u16(p.rowCount);
        w.u16(uint16_t(packed.size()));
        out.insert(out.end(), packed.begin(), packed.end());
    }
    for (const XmInstrument& in : module.instruments)
        writeInstrument(w, in);
    return out;
}

}  // namespace Nimbra
