#include "TestModules.h"

#include <gtest/gtest.h>

namespace Nimbra {

XmSample rampSample(int length, bool sixteenBit)
{
    XmSample s;
    s.sixteenBit = sixteenBit;
    for (int i = 0; i < length; ++i)
        s.data.push_back(int16_t(sixteenBit ? i : i % 100));
    return s;
}

XmSample constantSample(int length, int16_t value, bool sixteenBit)
{
    XmSample s;
    s.sixteenBit = sixteenBit;
    s.data.assign(length, value);
    return s;
}

XmInstrument instrumentWith(const XmSample& sample)
{
    XmInstrument in;
    in.samples.push_back(sample);
    return in;
}

XmModule basicModule(uint16_t channels, uint16_t rows)
{
    XmModule m;
    m.channelCount = channels;
    m.speed = 3;
    m.tempo = 125;
    m.orders = {0};
    XmPattern p;
    p.resize(rows, channels);
    m.patterns.push_back(p);
    XmSample s = constantSample(1000, 64);
    s.loopType = XmLoop::Forward;
    s.loopStart = 0;
    s.loopLength = 1000;
    m.instruments.push_back(instrumentWith(s));
    return m;
}

XmCell& cellAt(XmModule& m, int pattern, int row, int channel)
{
    return m.patterns[pattern].at(row, channel, m.channelCount);
}

XmModule oneChannel(std::vector<XmCell> cells, uint16_t speed, bool linear)
{
    XmModule m = basicModule(1, 16);
    m.speed = speed;
    m.linearFrequencies = linear;
    for (size_t r = 0; r < cells.size(); ++r)
        cellAt(m, 0, int(r), 0) = cells[r];
    return m;
}

PlayerPtr makePlayer(const std::vector<uint8_t>& bytes, uint32_t sampleRate)
{
    ModulePlayer* p = nullptr;
    EXPECT_EQ(createModulePlayer(&p, bytes.data(), bytes.size(), sampleRate), 0);
    return PlayerPtr(p);
}

PlayerPtr makePlayer(const XmModule& m, uint32_t sampleRate)
{
    return makePlayer(writeXm(m), sampleRate);
}

void runTicks(ModulePlayer& p, int ticks)
{
    for (int i = 0; i < ticks; ++i)
        p.playTick();
}

std::vector<float> render(ModulePlayer& p, uint32_t frames)
{
    std::vector<float> out(2 * size_t(frames));
    p.generate(out.data(), frames);
    return out;
}

std::vector<PlayedRow> playedRows(ModulePlayer& p, int rows)
{
    std::vector<PlayedRow> out;
    while (int(out.size()) < rows) {
        bool newRow = p.tick == 0;
        p.playTick();
        if (!newRow)
            continue;
        const PatternCell* cell = p.channels[0].cell;
        PlayedRow r = {-1, -1};
        for (int i = 0; i < p.patternCount; ++i) {
            const PatternSlot& s = p.patterns[i];
            if (cell >= s.cells && cell < s.cells + size_t(s.rowCount) * p.channelCount) {
                r = {i, int((cell - s.cells) / p.channelCount)};
            }
        }
        out.push_back(r);
    }
    return out;
}

}  // namespace Nimbra
