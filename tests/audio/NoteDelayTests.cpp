// Note delay (EDx) on a cell without a note or instrument: the delayed retrigger of the voice
// that is already there. Linear periods: 7680 - 64 x note; cell note 49 is note 48 (4608).
#include <gtest/gtest.h>

#include "TestModules.h"

namespace Nimbra {
namespace {

TEST(NoteDelay, WithoutANoteRetriggersTheLastTriggeredNote)
{
    PlayerPtr p = makePlayer(oneChannel({
        {49, 1, 0x30, 0, 0},     // note 48 triggered, volume 32/64
        {61, 0, 0x00, 3, 0x10},  // note becomes 60 (target 3840), the period slides 64 a tick
        {0, 0, 0x00, 0x0E, 0xD1},
    }));
    runTicks(*p, 6);
    ModuleChannel& c = p->channels[0];
    EXPECT_FLOAT_EQ(c.note, 60.0f);
    EXPECT_FLOAT_EQ(c.triggeredNote, 48.0f);
    EXPECT_FLOAT_EQ(c.period, 4480.0f);  // 4608 - 2 x 64
    c.position = 300.0f;

    runTicks(*p, 1);  // tick 0 of the ED1 row: nothing yet
    EXPECT_FLOAT_EQ(c.period, 4480.0f);
    EXPECT_FLOAT_EQ(c.position, 300.0f);

    runTicks(*p, 1);  // tick 1: the voice restarts on note 48, keeping its volume
    EXPECT_FLOAT_EQ(c.note, 48.0f);
    EXPECT_FLOAT_EQ(c.period, 4608.0f);
    EXPECT_FLOAT_EQ(c.frequency, 8363.0f);
    EXPECT_FLOAT_EQ(c.position, 0.0f);
    EXPECT_FLOAT_EQ(c.volume, 0.5f);
}

TEST(NoteDelay, ZeroRestartsTheEnvelopesButKeepsPositionAndPeriod)
{
    XmModule m = oneChannel({
        {49, 1, 0, 0, 0},
        {0, 0, 0, 0x01, 0x10},  // portamento up 16: 64 a tick
        {0, 0, 0, 0x0E, 0xD0},
    });
    m.instruments[0].volumeEnvelope.points = {{0, 64}, {10, 0}};
    m.instruments[0].volumeEnvelope.enabled = true;
    PlayerPtr p = makePlayer(m);
    runTicks(*p, 6);
    ModuleChannel& c = p->channels[0];
    EXPECT_FLOAT_EQ(c.period, 4480.0f);
    EXPECT_EQ(c.volumeEnvelopePos, 6);
    c.position = 300.0f;

    // Tick 0 of the ED0 row: the envelope steps to position 7, the trigger puts it back to 0
    // and steps it once more, so it reads point 0 (64 / 64) and stands at 1.
    runTicks(*p, 1);
    EXPECT_FLOAT_EQ(c.position, 300.0f);
    EXPECT_FLOAT_EQ(c.period, 4480.0f);
    EXPECT_EQ(c.volumeEnvelopePos, 1);
    EXPECT_FLOAT_EQ(c.envelopeVolume, 1.0f);
}

}  // namespace
}  // namespace Nimbra
