// What starting a note resets, what needs a note in the cell, and instrument numbers the song
// does not have. The test sample is 1000 frames of 8-bit data, volume 64, panning 128.
#include <gtest/gtest.h>

#include "TestModules.h"

namespace Nimbra {
namespace {

TEST(NoteTrigger, RestartsTheInstrumentVibrato)
{
    XmModule m = oneChannel({{49, 1, 0, 0, 0}, {49, 1, 0, 0, 0}});
    m.instruments[0].vibratoType = 2;  // ramp down (the file's 2): (32 - p) / 32
    m.instruments[0].vibratoDepth = 15;
    m.instruments[0].vibratoRate = 4;  // position (n x 4) >> 2 = n
    PlayerPtr p = makePlayer(m);
    // 0.25 x 15 / 15 x (32 - n) / 32 for n = 0, 1, 2, then 0, 1 again after the second note.
    EXPECT_EQ(trace(*p, 5, [](const ModuleChannel& c) { return c.autoVibratoDelta; }),
              (std::vector<float>{0.25f, 0.2421875f, 0.234375f, 0.25f, 0.2421875f}));
    EXPECT_EQ(p->channels[0].autoVibratoTicks, 2);
}

TEST(NoteTrigger, LiftsTheTremorMute)
{
    // T01: on for ticks with (t - 1) mod 3 <= 0, so tick 2 of the row is muted.
    XmModule m = oneChannel({{49, 1, 0, 0x1D, 0x01}, {49, 1, 0, 0, 0}, {0, 0, 0, 0x1D, 0x01}, {}});
    cellAt(m, 0, 3, 0) = {0, 0, 0, 0x0E, 0x92};
    PlayerPtr p = makePlayer(m);
    EXPECT_EQ(trace(*p, 4, [](const ModuleChannel& c) { return c.tremorMuted; }), (std::vector<float>{0, 0, 1, 0}));
    // The new note sounds at once: sqrt(1 - 128/255) and sqrt(128/255) at volume 1.
    EXPECT_FLOAT_EQ(p->channels[0].targetLeft, 0.70571894f);
    EXPECT_FLOAT_EQ(p->channels[0].targetRight, 0.70849191f);

    // A retrigger (E92 on tick 2) lifts it too; without a trigger the mute outlasts its row.
    runTicks(*p, 5);  // to the end of row 2, muted on its tick 2
    EXPECT_EQ(trace(*p, 3, [](const ModuleChannel& c) { return c.tremorMuted; }), (std::vector<float>{1, 1, 0}));
}

TEST(SampleOffset, ActsOnlyWithANote)
{
    PlayerPtr p = makePlayer(oneChannel({
        {49, 1, 0, 0, 0},
        {0, 0, 0, 0x09, 0x02},   // no note
        {0, 1, 0, 0x09, 0x02},   // an instrument alone
        {97, 0, 0, 0x09, 0x02},  // key off is no note
        {49, 1, 0, 0x09, 0x02},  // a note: 2 x 256 frames
    }));
    runTicks(*p, 1);
    ModuleChannel& c = p->channels[0];
    c.position = 100.0f;
    for (int row = 1; row <= 3; ++row) {
        runTicks(*p, 3);
        EXPECT_FLOAT_EQ(c.position, 100.0f) << "row " << row;
    }
    runTicks(*p, 3);
    EXPECT_FLOAT_EQ(c.position, 512.0f);
}

TEST(NoteColumn, InstrumentBeyondTheSongSilencesTheChannel)
{
    XmModule m = oneChannel({
        {0, 5, 0, 0, 0},   // the song has one instrument
        {0, 1, 0, 0, 0},   // instrument 1 chosen; no sample yet, so nothing is triggered
        {49, 0, 0, 0, 0},  // a note without instrument keeps the channel's volume
    });
    PlayerPtr p = makePlayer(m);
    ModuleChannel& c = p->channels[0];
    EXPECT_FLOAT_EQ(c.volume, 1.0f);  // the channel starts at full volume
    runTicks(*p, 3);
    EXPECT_FLOAT_EQ(c.volume, 0.0f);
    EXPECT_EQ(c.instrument, nullptr);
    runTicks(*p, 4);
    ASSERT_NE(c.sample, nullptr);
    EXPECT_FLOAT_EQ(c.volume, 0.0f);
    EXPECT_FLOAT_EQ(c.targetLeft, 0.0f);

    // The last instrument the song has is in range.
    p = makePlayer(oneChannel({{0, 1, 0, 0, 0}, {49, 0, 0, 0, 0}}));
    runTicks(*p, 4);
    EXPECT_FLOAT_EQ(p->channels[0].volume, 1.0f);
}

}  // namespace
}  // namespace Nimbra
