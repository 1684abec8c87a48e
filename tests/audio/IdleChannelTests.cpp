// Channels that never play: a module may declare tens of thousands of them, and the replayer
// and mixer must neither spend time on them nor lose a channel that starts late.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "TestModules.h"

namespace Nimbra {
namespace {

// Notes on channel `first` from row 0 and on channel `late` from row 5, everything else empty.
XmModule twoVoices(uint16_t channels, int first, int late)
{
    XmModule m = basicModule(channels, 16);
    m.instruments.push_back(instrumentWith(rampSample(3000, true)));
    cellAt(m, 0, 0, first) = {49, 1, 0, 0, 0};
    cellAt(m, 0, 5, late) = {61, 2, 0x30, 0x04, 0x23};  // vibrato as well
    cellAt(m, 0, 9, late) = {0, 0, 0, 0x0A, 0x04};      // and a volume slide
    return m;
}

TEST(IdleChannels, ThousandsOfSilentChannelsSoundLikeNone)
{
    PlayerPtr wide = makePlayer(twoVoices(3000, 0, 2900));
    PlayerPtr narrow = makePlayer(twoVoices(2, 0, 1));
    const uint32_t frames = 16 * 3 * 882 + 500;  // past the end: the song repeats
    std::vector<float> a = render(*wide, frames);
    std::vector<float> b = render(*narrow, frames);
    ASSERT_EQ(memcmp(a.data(), b.data(), a.size() * sizeof(float)), 0);
    float peak = 0.0f;
    for (size_t i = 2 * 5 * 3 * 882; i < a.size(); ++i)
        peak = std::max(peak, std::fabs(a[i]));
    EXPECT_GT(peak, 0.01f);  // the late channel does sound
    // Walked: the always-walked channels, then everything up to the late one; not beyond.
    EXPECT_EQ(wide->walkedChannels, 2901);
    EXPECT_EQ(wide->channels[2901].cell, nullptr);
    EXPECT_NE(wide->channels[2900].cell, nullptr);
}

TEST(IdleChannels, ChannelsThatNeverPlayAreNotWalked)
{
    XmModule m = twoVoices(4000, 3, 40);  // as many as 16 packed rows hold
    m.tempo = 1000;                       // many ticks, each of which would walk every channel
    PlayerPtr p = makePlayer(m);
    EXPECT_EQ(p->walkedChannels, alwaysWalkedChannels);
    render(*p, 44100);
    EXPECT_EQ(p->walkedChannels, alwaysWalkedChannels);
    for (uint32_t c = alwaysWalkedChannels; c < p->channelCount; c += 997) {
        ASSERT_EQ(p->channels[c].cell, nullptr) << c;
        ASSERT_EQ(p->channels[c].targetLeft, 0.0f) << c;
    }
    // Within the walked ones every channel follows the rules, empty cells and all.
    EXPECT_NE(p->channels[63].cell, nullptr);
    EXPECT_GT(p->channels[63].targetLeft, 0.0f);
}

TEST(IdleChannels, SmallModulesWalkEveryChannel)
{
    PlayerPtr p = makePlayer(twoVoices(8, 0, 7));
    EXPECT_EQ(p->walkedChannels, 8);
    PlayerPtr none = makePlayer(twoVoices(1, 0, 0));
    EXPECT_EQ(none->walkedChannels, 1);
}

}  // namespace
}  // namespace Nimbra
