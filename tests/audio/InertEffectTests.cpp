// Effects that do nothing: codes the replayer does not know, E0y, E3y, E8y and EFy, and a
// global volume slide with both nibbles set.
#include <gtest/gtest.h>

#include <cstring>

#include "TestModules.h"
#include "audio/Waveform.h"

namespace Nimbra {
namespace {

// Two channels over four rows at half volume and three-quarter global volume: channel 0
// plays a looped 16-bit ramp (every frame a different value) without envelopes, channel 1 the same with volume and panning
// envelopes, so a stray change of pitch, position, volume, panning, envelope, speed or
// tempo shows in the output. Rows 1 to 3 of both channels carry (effect, param[row - 1]).
XmModule carrying(uint8_t effect, const uint8_t (&params)[3])
{
    XmModule m = basicModule(2, 4);
    XmSample ramp;
    ramp.sixteenBit = true;
    for (int i = 0; i < 2000; ++i)
        ramp.data.push_back(int16_t(16 * i - 16000));
    ramp.loopType = XmLoop::Forward;
    ramp.loopStart = 0;
    ramp.loopLength = 2000;
    m.instruments[0] = instrumentWith(ramp);
    XmInstrument shaped = instrumentWith(ramp);
    shaped.volumeEnvelope.points = {{0, 64}, {20, 16}, {40, 48}};
    shaped.volumeEnvelope.enabled = true;
    shaped.panningEnvelope.points = {{0, 0}, {30, 64}};
    shaped.panningEnvelope.enabled = true;
    shaped.fadeout = 2048;
    m.instruments.push_back(shaped);
    cellAt(m, 0, 0, 0) = {49, 1, 0x30, 0, 0};
    cellAt(m, 0, 0, 1) = {37, 2, 0x30, 0x10, 0x30};
    for (int row = 1; row <= 3; ++row) {
        for (int channel = 0; channel < 2; ++channel)
            cellAt(m, 0, row, channel) = {0, 0, 0, effect, params[row - 1]};
    }
    return m;
}

std::vector<float> rendered(const XmModule& m)
{
    resetWaveformRandomState();
    PlayerPtr p = makePlayer(m);
    return render(*p, 4 * 3 * 882 + 500);
}

// Equal to the last bit.
void expectSameOutput(const std::vector<float>& got, const std::vector<float>& want)
{
    ASSERT_EQ(got.size(), want.size());
    size_t i = 0;
    while (i < got.size() && memcmp(&got[i], &want[i], sizeof(float)) == 0)
        ++i;
    EXPECT_EQ(i, got.size()) << "the output differs from float " << i << " on";
}

TEST(InertEffects, UnknownCodesChangeNothing)
{
    const uint8_t none[3] = {0, 0, 0};
    std::vector<float> plain = rendered(carrying(0, none));
    float peak = 0.0f;
    for (float f : plain)
        peak = f > peak ? f : peak;
    ASSERT_GT(peak, 0.02f);

    // Parameters that would matter to a known effect: both nibbles, a slide of 1 and 2, a
    // small value (speed 2, key off on tick 2, volume 2/64).
    const uint8_t params[3] = {0x35, 0x12, 0x02};
    const uint8_t codes[] = {18, 19, 22, 23, 24, 26, 28, 30, 31, 32, 34, 35, 36, 0x7F, 0xFF};
    for (uint8_t code : codes) {
        SCOPED_TRACE(testing::Message() << "effect code " << int(code));
        expectSameOutput(rendered(carrying(code, params)), plain);
    }
}

TEST(InertEffects, E0E3E8AndEFChangeNothing)
{
    const uint8_t none[3] = {0, 0, 0};
    std::vector<float> plain = rendered(carrying(0, none));
    for (uint8_t sub : {0x0, 0x3, 0x8, 0xF}) {
        SCOPED_TRACE(testing::Message() << "E" << std::hex << std::uppercase << int(sub) << "y");
        // y = 5, 2 and 1: a slide of 5, a retrigger every 2nd or every tick, a delay of a row.
        const uint8_t params[3] = {uint8_t(sub << 4 | 5), uint8_t(sub << 4 | 2), uint8_t(sub << 4 | 1)};
        expectSameOutput(rendered(carrying(14, params)), plain);
    }
}

TEST(GlobalVolume, SlideWithBothNibblesSetDoesNothing)
{
    PlayerPtr p = makePlayer(oneChannel({
        {0, 0, 0, 0x10, 0x20},  // G20: 32/64
        {0, 0, 0, 0x11, 0x21},
        {0, 0, 0, 0x11, 0x00},  // the remembered 0x21: still nothing
        {0, 0, 0, 0x11, 0x40},  // 4/64 a tick
    }));
    runTicks(*p, 9);
    EXPECT_FLOAT_EQ(p->globalVolume, 0.5f);
    EXPECT_EQ(p->channels[0].globalSlideMemory, 0x21);
    runTicks(*p, 3);
    EXPECT_FLOAT_EQ(p->globalVolume, 0.625f);  // 0.5 + 2 x 4/64
}

}  // namespace
}  // namespace Nimbra
