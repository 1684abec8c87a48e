// Modulation waveforms and envelope steps.
#include <gtest/gtest.h>

#include <cstring>

#include "audio/Envelope.h"
#include "audio/ModulePlayer.h"
#include "audio/Waveform.h"

namespace Nimbra {
namespace {

TEST(Waveforms, ShapesOverOnePeriod)
{
    EXPECT_FLOAT_EQ(waveform(1, 0), 1.0f);
    EXPECT_FLOAT_EQ(waveform(1, 32), 0.0f);
    EXPECT_FLOAT_EQ(waveform(1, 63), -31.0f / 32.0f);
    EXPECT_FLOAT_EQ(waveform(2, 0), -1.0f);
    EXPECT_FLOAT_EQ(waveform(2, 32), 1.0f);
    EXPECT_FLOAT_EQ(waveform(2, 63), 1.0f);
    EXPECT_FLOAT_EQ(waveform(4, 0), -1.0f);
    EXPECT_FLOAT_EQ(waveform(4, 32), 0.0f);
    EXPECT_FLOAT_EQ(waveform(4, 63), 31.0f / 32.0f);
    EXPECT_NEAR(waveform(0, 16), -1.0f, 1e-6f);  // the sine starts downward
    EXPECT_NEAR(waveform(0, 48), 1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(waveform(0, 0), 0.0f);
    EXPECT_FLOAT_EQ(waveform(5, 10), 0.0f);
    EXPECT_FLOAT_EQ(waveform(-1, 10), 0.0f);
    // Positions count modulo 64: 64 plays as 0, 64 x 7 + 5 as 5.
    struct Wrap {
        int type;
        float at0, at5;
    };
    const Wrap wraps[] = {
        {0, 0.0f, -0.47139674f},   // -sin(2 pi x 5 / 64)
        {1, 1.0f, 27.0f / 32.0f},  // (32 - 5) / 32
        {2, -1.0f, -1.0f},
        {4, -1.0f, -27.0f / 32.0f},  // (5 - 32) / 32
    };
    for (const Wrap& w : wraps) {
        EXPECT_FLOAT_EQ(waveform(w.type, 64), w.at0) << w.type;
        EXPECT_NEAR(waveform(w.type, 64 * 7 + 5), w.at5, 1e-6f) << w.type;
    }
}

TEST(Waveforms, RandomSequenceFromItsSeed)
{
    resetWaveformRandomState();
    EXPECT_FLOAT_EQ(waveform(3, 0), 18519.0f / 16384.0f - 1.0f);
    EXPECT_FLOAT_EQ(waveform(3, 0), 28776.0f / 16384.0f - 1.0f);
    // Every lookup advances the one generator, whatever the position.
    resetWaveformRandomState();
    waveform(3, 40);
    EXPECT_FLOAT_EQ(waveform(3, 7), 28776.0f / 16384.0f - 1.0f);
    resetWaveformRandomState();
}

ModuleEnvelope envelope(std::initializer_list<EnvelopePoint> points)
{
    ModuleEnvelope e;
    memset(&e, 0, sizeof e);
    for (EnvelopePoint p : points)
        e.points[e.pointCount++] = p;
    e.enabled = 1;
    return e;
}

// Values of `steps` consecutive steps from position 0.
std::vector<float> values(const ModuleEnvelope& e, int steps, uint8_t keyOn, uint16_t start = 0)
{
    std::vector<float> out;
    uint16_t pos = start;
    float value = -1.0f;
    for (int i = 0; i < steps; ++i) {
        stepEnvelope(e, pos, value, keyOn);
        out.push_back(value);
    }
    return out;
}

TEST(Envelopes, InterpolatesBetweenPoints)
{
    ModuleEnvelope e = envelope({{0, 64}, {10, 0}});
    std::vector<float> v = values(e, 14, 1);
    EXPECT_FLOAT_EQ(v[0], 1.0f);
    EXPECT_FLOAT_EQ(v[5], 0.5f);
    EXPECT_FLOAT_EQ(v[3], 0.7f);  // smooth steps, not whole units
    EXPECT_FLOAT_EQ(v[10], 0.0f);
    EXPECT_FLOAT_EQ(v[13], 0.0f);
}

TEST(Envelopes, HoldsAtTheSustainPointWhileTheKeyIsDown)
{
    ModuleEnvelope e = envelope({{0, 64}, {10, 0}});
    e.sustainEnabled = 1;
    e.sustainPoint = 0;
    for (float v : values(e, 20, 1))
        EXPECT_FLOAT_EQ(v, 1.0f);
    // Released, it moves on.
    EXPECT_FLOAT_EQ(values(e, 6, 0)[5], 0.5f);
}

TEST(Envelopes, SustainBeyondThePointCountIsAbsent)
{
    ModuleEnvelope e = envelope({{0, 64}, {10, 0}});
    e.sustainEnabled = 1;
    e.sustainPoint = 200;
    e.points[11] = {0, 64};  // would hold at 0 if index 200 were clamped to the last point
    EXPECT_FLOAT_EQ(values(e, 6, 1)[5], 0.5f);
    e.sustainPoint = 2;  // inside the 12 points but beyond the count
    e.points[2] = {0, 0};
    EXPECT_FLOAT_EQ(values(e, 6, 1)[5], 0.5f);
}

TEST(Envelopes, LoopJumpsBack)
{
    ModuleEnvelope e = envelope({{0, 0}, {4, 64}, {8, 32}});
    e.loopEnabled = 1;
    e.loopStart = 1;
    e.loopEnd = 2;
    uint16_t pos = 8;
    float value = 0.0f;
    stepEnvelope(e, pos, value, 1);
    EXPECT_FLOAT_EQ(value, 1.0f);  // position 8 plays as position 4
    EXPECT_EQ(pos, 5);
    std::vector<float> v = values(e, 13, 1);
    EXPECT_FLOAT_EQ(v[4], 1.0f);
    EXPECT_FLOAT_EQ(v[6], 0.75f);
    EXPECT_FLOAT_EQ(v[8], 1.0f);
    EXPECT_FLOAT_EQ(v[12], 1.0f);
}

TEST(Envelopes, SinglePointAndNoPoints)
{
    ModuleEnvelope one = envelope({{5, 32}});
    uint16_t pos = 3;
    float value = 0.0f;
    stepEnvelope(one, pos, value, 1);
    EXPECT_FLOAT_EQ(value, 0.5f);
    EXPECT_EQ(pos, 3);
    one.points[0].y = 100;
    stepEnvelope(one, pos, value, 1);
    EXPECT_FLOAT_EQ(value, 1.0f);  // capped

    ModuleEnvelope none = envelope({});
    value = 0.25f;
    stepEnvelope(none, pos, value, 1);
    EXPECT_FLOAT_EQ(value, 0.25f);
    EXPECT_EQ(pos, 3);
}

TEST(Envelopes, PositionKeepsCountingPastTheLastPoint)
{
    ModuleEnvelope e = envelope({{0, 64}, {2, 16}});
    uint16_t pos = 65535;
    float value = 0.0f;
    stepEnvelope(e, pos, value, 1);
    EXPECT_FLOAT_EQ(value, 0.25f);
    EXPECT_EQ(pos, 0);  // 16-bit wrap
}

}  // namespace
}  // namespace Nimbra
