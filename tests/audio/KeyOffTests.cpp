// Key off by effect (Kxx) on the row's first tick.
#include <gtest/gtest.h>

#include "TestModules.h"

namespace Nimbra {
namespace {

TEST(KeyOff, K00ReleasesOnTheFirstTick)
{
    // Without a volume envelope the release silences the channel at once.
    PlayerPtr p = makePlayer(oneChannel({{49, 1, 0, 0x14, 0x00}}));
    runTicks(*p, 1);
    EXPECT_EQ(p->channels[0].keyOn, 0);
    EXPECT_FLOAT_EQ(p->channels[0].volume, 0.0f);
    EXPECT_FLOAT_EQ(p->channels[0].targetLeft, 0.0f);

    // With one the volume stays and the fadeout starts on the next tick: 1 - 4096 / 32768.
    XmModule m = oneChannel({{49, 1, 0, 0x14, 0x00}});
    m.instruments[0].volumeEnvelope.points = {{0, 64}, {100, 64}};
    m.instruments[0].volumeEnvelope.enabled = true;
    m.instruments[0].fadeout = 4096;
    p = makePlayer(m);
    EXPECT_EQ(trace(*p, 3, [](const ModuleChannel& c) { return c.keyOn; }), (std::vector<float>{0, 0, 0}));
    EXPECT_FLOAT_EQ(p->channels[0].volume, 1.0f);
    EXPECT_FLOAT_EQ(p->channels[0].fadeoutVolume, 0.75f);  // two ticks of 0.125
}

}  // namespace
}  // namespace Nimbra
