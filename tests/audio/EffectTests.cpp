// What each effect, volume column command and note column value does, tick by tick.
#include <gtest/gtest.h>

#include "TestModules.h"

namespace Nimbra {
namespace {

const XmCell note49 = {49, 1, 0, 0, 0};

TEST(Arpeggio, OffsetsFollowTheTicksOfTheRow)
{
    PlayerPtr p = makePlayer(oneChannel({{49, 1, 0, 0x00, 0x37}}, 6));
    EXPECT_EQ(trace(*p, 6, [](const ModuleChannel& c) { return c.arpeggioOffset; }),
              (std::vector<float>{0, 7, 3, 0, 7, 3}));
    p = makePlayer(oneChannel({{49, 1, 0, 0x00, 0x37}}, 5));
    EXPECT_EQ(trace(*p, 5, [](const ModuleChannel& c) { return c.arpeggioOffset; }),
              (std::vector<float>{0, 3, 0, 7, 3}));
    // arpeggioActive follows k, not the nibble: an offset of 0 from a zero nibble counts.
    p = makePlayer(oneChannel({{49, 1, 0, 0x00, 0x30}}, 3));
    EXPECT_EQ(trace(*p, 3, [](const ModuleChannel& c) { return c.arpeggioActive; }), (std::vector<float>{0, 1, 1}));
}

TEST(Arpeggio, RaisesThePitchAndEndsWithTheEffect)
{
    PlayerPtr p = makePlayer(oneChannel({{49, 1, 0, 0x00, 0x0C}, {}}, 3));
    runTicks(*p, 2);  // tick 1 at speed 3: k = 2, the low nibble
    EXPECT_FLOAT_EQ(p->channels[0].frequency, 16726.0f);
    runTicks(*p, 2);  // the next row has no arpeggio
    EXPECT_EQ(p->channels[0].arpeggioActive, 0);
    EXPECT_FLOAT_EQ(p->channels[0].frequency, 8363.0f);
}

TEST(Portamento, SlidesOnLaterTicksAndRemembers)
{
    PlayerPtr p = makePlayer(oneChannel({{49, 1, 0, 0x01, 0x02}, {0, 0, 0, 0x01, 0x00}, {0, 0, 0, 0x02, 0x03}}));
    EXPECT_EQ(trace(*p, 6, [](const ModuleChannel& c) { return c.period; }),
              (std::vector<float>{4608, 4600, 4592, 4592, 4584, 4576}));
    EXPECT_EQ(trace(*p, 3, [](const ModuleChannel& c) { return c.period; }), (std::vector<float>{4576, 4588, 4600}));
    // Amiga mode slides one unit per step, and never below 0.
    p = makePlayer(oneChannel({{49, 1, 0, 0x01, 0xFF}}, 3, false));
    runTicks(*p, 2);
    EXPECT_FLOAT_EQ(p->channels[0].period, 428.0f - 255.0f);
    runTicks(*p, 1);
    EXPECT_FLOAT_EQ(p->channels[0].period, 0.0f);
}

TEST(Portamento, FineAndExtraFineSlides)
{
    PlayerPtr p = makePlayer(oneChannel({{49, 1, 0, 0x0E, 0x12}, {0, 0, 0, 0x0E, 0x10}, {0, 0, 0, 0x0E, 0x23}}));
    EXPECT_EQ(trace(*p, 9, [](const ModuleChannel& c) { return c.period; }),
              (std::vector<float>{4600, 4600, 4600, 4592, 4592, 4592, 4604, 4604, 4604}));
    // Extra fine slides are a quarter of fine ones: X12 moves 2 linear units, X24 one Amiga
    // unit.
    p = makePlayer(oneChannel({{49, 1, 0, 0x21, 0x12}, {0, 0, 0, 0x21, 0x10}, {0, 0, 0, 0x21, 0x20}}));
    runTicks(*p, 3);
    EXPECT_FLOAT_EQ(p->channels[0].period, 4606.0f);
    runTicks(*p, 1);
    EXPECT_FLOAT_EQ(p->channels[0].period, 4604.0f);  // remembered
    runTicks(*p, 3);
    EXPECT_FLOAT_EQ(p->channels[0].period, 4604.0f);  // X2 has a memory of its own, still 0
    p = makePlayer(oneChannel({{49, 1, 0, 0x21, 0x24}}, 3, false));
    runTicks(*p, 1);
    EXPECT_FLOAT_EQ(p->channels[0].period, 429.0f);
}

TEST(TonePortamento, SlidesTowardTheNewNoteAndStopsThere)
{
    // From note 48 (4608) toward note 49 (4544) at 10 x 4 units a tick.
    PlayerPtr p = makePlayer(oneChannel({note49, {50, 0, 0, 0x03, 0x0A}, {0, 0, 0, 0x03, 0x00}}));
    runTicks(*p, 3);
    std::vector<float> periods = trace(*p, 4, [](const ModuleChannel& c) { return c.period; });
    EXPECT_EQ(periods, (std::vector<float>{4608, 4568, 4544, 4544}));

    // Volume column 0xFF sets speed 255; the new note does not restart the sample.
    p = makePlayer(oneChannel({note49, {60, 0, 0xFF, 0, 0}}));
    runTicks(*p, 3);
    render(*p, 10);
    float position = p->channels[0].position;
    runTicks(*p, 1);
    EXPECT_EQ(p->channels[0].tonePortaSpeed, 255);
    EXPECT_FLOAT_EQ(p->channels[0].position, position);
    runTicks(*p, 1);
    EXPECT_FLOAT_EQ(p->channels[0].period, 3904.0f);  // note 59: 7680 - 64 x 59
}

TEST(Vibrato, ModulatesThePeriodOffsetAndEnds)
{
    PlayerPtr p = makePlayer(oneChannel({{49, 1, 0, 0x04, 0x4F}, {0, 0, 0, 0x04, 0x00}, {}}));
    runTicks(*p, 2);
    const ModuleChannel& c = p->channels[0];
    EXPECT_EQ(c.vibratoPos, 4);
    // Sine at position 4: -sin(2 pi x 4 / 64) = -0.3826834; times -2 x 15 / 15.
    EXPECT_NEAR(c.vibratoDelta, 0.7653669f, 1e-6f);
    // 8363 x 2^((4608 - (4608 - 16 x 0.7653669)) / 768) = 8363 x 2^(12.24587 / 768)
    EXPECT_NEAR(c.frequency, 8455.943f, 0.01f);
    runTicks(*p, 3);  // the next row keeps the parameter
    EXPECT_EQ(c.vibratoPos, 12);
    runTicks(*p, 4);  // an empty row ends it on its first tick
    EXPECT_EQ(c.vibratoActive, 0);
    EXPECT_FLOAT_EQ(c.vibratoDelta, 0.0f);
    EXPECT_FLOAT_EQ(c.frequency, 8363.0f);
}

TEST(Tremolo, OffsetsTheVolume)
{
    PlayerPtr p = makePlayer(oneChannel({{49, 1, 0, 0x0E, 0x71}, {0, 0, 0, 0x07, 0x8F}}));
    runTicks(*p, 4);
    const ModuleChannel& c = p->channels[0];
    EXPECT_EQ(c.tremoloWaveform, 1u);
    EXPECT_FLOAT_EQ(c.tremoloDelta, 0.0f);  // nothing on the row's first tick
    runTicks(*p, 2);
    // Second tremolo tick: n = 1, position 1 x 8 of the ramp down: -(32 - 8) / 32 x 15 / 15.
    EXPECT_FLOAT_EQ(c.tremoloDelta, -0.75f);
}

TEST(VolumeEffects, SetSlideAndFineSlide)
{
    PlayerPtr p = makePlayer(oneChannel({{49, 1, 0, 0x0C, 0x50},
                                         {0, 0, 0, 0x0C, 0x20},
                                         {0, 0, 0, 0x0A, 0x04},
                                         {0, 0, 0, 0x0A, 0x21},
                                         {0, 0, 0, 0x0E, 0xA3},
                                         {0, 0, 0, 0x0E, 0xB0}}));
    std::vector<float> v = trace(*p, 18, [](const ModuleChannel& c) { return c.volume; });
    EXPECT_FLOAT_EQ(v[0], 1.0f);  // C50 is capped at 64
    EXPECT_FLOAT_EQ(v[3], 0.5f);
    EXPECT_FLOAT_EQ(v[8], 0.5f - 8.0f / 64.0f);
    EXPECT_FLOAT_EQ(v[11], v[8]);  // 0x21: both nibbles set, nothing
    EXPECT_FLOAT_EQ(v[12], v[8] + 3.0f / 64.0f);
    EXPECT_FLOAT_EQ(v[15], v[8]);  // EB0 reuses EA's memory
}

TEST(VolumeColumn, CommandsOnFirstAndLaterTicks)
{
    PlayerPtr p = makePlayer(oneChannel({{49, 1, 0x55, 0, 0},
                                         {0, 0, 0x50, 0, 0},
                                         {0, 0, 0x64, 0, 0},
                                         {0, 0, 0x82, 0, 0},
                                         {0, 0, 0xC3, 0, 0},
                                         {0, 0, 0xE2, 0, 0}}));
    std::vector<float> v = trace(*p, 18, [](const ModuleChannel& c) { return c.volume; });
    EXPECT_FLOAT_EQ(v[0], 1.0f);  // 0x55 does nothing
    EXPECT_FLOAT_EQ(v[3], 1.0f);  // 0x50 full volume
    EXPECT_FLOAT_EQ(v[8], 1.0f - 8.0f / 64.0f);
    EXPECT_FLOAT_EQ(v[9], v[8] - 2.0f / 64.0f);
    EXPECT_NEAR(p->channels[0].panning, 55.0f / 255.0f, 1e-6f);
}

TEST(CombinedEffects, TonePortamentoAndVibratoWithVolumeSlide)
{
    // 5xy: the remembered tone portamento speed with a volume slide.
    PlayerPtr p = makePlayer(oneChannel({{49, 1, 0, 0x03, 0x10}, {50, 0, 0, 0x05, 0x02}}));
    runTicks(*p, 3);
    std::vector<float> v = trace(*p, 3, [](const ModuleChannel& c) { return c.volume; });
    EXPECT_EQ(v, (std::vector<float>{1.0f, 1.0f - 2.0f / 64.0f, 1.0f - 4.0f / 64.0f}));
    EXPECT_FLOAT_EQ(p->channels[0].period, 4544.0f);  // 4608 - 64, reached on the first step

    // 6xy vibrates with the speed the volume column set, and slides the volume; volume column
    // Bx vibrates on later ticks without keeping the vibrato active.
    p = makePlayer(oneChannel({{49, 1, 0xA4, 0x0C, 0x20}, {0, 0, 0, 0x06, 0x20}, {0, 0, 0xB0, 0, 0}}));
    runTicks(*p, 6);
    const ModuleChannel& c = p->channels[0];
    EXPECT_EQ(c.vibratoParam, 0x40);
    EXPECT_EQ(c.vibratoPos, 8);
    EXPECT_EQ(c.vibratoActive, 1);
    EXPECT_FLOAT_EQ(c.volume, 0.5f + 4.0f / 64.0f);
    runTicks(*p, 3);
    EXPECT_EQ(c.vibratoPos, 16);
    EXPECT_EQ(c.vibratoActive, 0);
}

TEST(VolumeColumn, SlidesAndPanningSlides)
{
    PlayerPtr p =
        makePlayer(oneChannel({{49, 1, 0x20, 0, 0}, {0, 0, 0x73, 0, 0}, {0, 0, 0x92, 0, 0}, {0, 0, 0xD5, 0, 0}}));
    std::vector<float> v = trace(*p, 9, [](const ModuleChannel& c) { return c.volume; });
    EXPECT_FLOAT_EQ(v[2], 0.25f);
    EXPECT_FLOAT_EQ(v[5], 0.25f + 6.0f / 64.0f);
    EXPECT_FLOAT_EQ(v[6], 0.25f + 8.0f / 64.0f);
    EXPECT_FLOAT_EQ(v[8], v[6]);  // fine slides act on the first tick only
    runTicks(*p, 3);
    EXPECT_NEAR(p->channels[0].panning, 128.0f / 255.0f - 10.0f / 255.0f, 1e-6f);
}

TEST(Panning, SetAndSlide)
{
    PlayerPtr p = makePlayer(oneChannel({{49, 1, 0, 0x08, 0xFF}, {0, 0, 0, 0x19, 0x04}, {0, 0, 0, 0x19, 0x00}}));
    runTicks(*p, 1);
    EXPECT_FLOAT_EQ(p->channels[0].panning, 1.0f);
    runTicks(*p, 5);
    EXPECT_NEAR(p->channels[0].panning, 1.0f - 8.0f / 255.0f, 1e-6f);
    runTicks(*p, 3);
    EXPECT_NEAR(p->channels[0].panning, 1.0f - 16.0f / 255.0f, 1e-6f);
}

TEST(GlobalVolume, SetAndSlide)
{
    PlayerPtr p = makePlayer(oneChannel({{0, 0, 0, 0x10, 0x20},
                                         {0, 0, 0, 0x11, 0x02},
                                         {0, 0, 0, 0x11, 0x40},
                                         {0, 0, 0, 0x10, 0x41},
                                         {0, 0, 0, 0x10, 0x10},
                                         {0, 0, 0, 0x10, 0xFF}}));
    runTicks(*p, 1);
    EXPECT_FLOAT_EQ(p->globalVolume, 0.5f);
    runTicks(*p, 5);
    EXPECT_FLOAT_EQ(p->globalVolume, 0.5f - 4.0f / 64.0f);
    runTicks(*p, 3);
    EXPECT_FLOAT_EQ(p->globalVolume, 0.5f - 4.0f / 64.0f + 8.0f / 64.0f);
    // Above 40h, G acts as G40: full volume, never louder.
    runTicks(*p, 3);
    EXPECT_FLOAT_EQ(p->globalVolume, 1.0f);  // G41
    runTicks(*p, 3);
    EXPECT_FLOAT_EQ(p->globalVolume, 0.25f);  // G10
    runTicks(*p, 1);
    EXPECT_FLOAT_EQ(p->globalVolume, 1.0f);  // GFF
}

TEST(SampleOffset, StartsInsideOrStops)
{
    XmModule m = oneChannel({{49, 1, 0, 0x09, 0x02}, {49, 1, 0, 0x09, 0x04}});
    PlayerPtr p = makePlayer(m);
    runTicks(*p, 1);
    EXPECT_FLOAT_EQ(p->channels[0].position, 512.0f);
    runTicks(*p, 3);
    EXPECT_FLOAT_EQ(p->channels[0].position, -1.0f);  // 1024 is past the 1000-frame sample

    m.instruments[0].samples[0] = rampSample(1000, true);  // 16-bit: 128 frames per step
    p = makePlayer(m);
    runTicks(*p, 1);
    EXPECT_FLOAT_EQ(p->channels[0].position, 256.0f);
}

TEST(KeyOff, WithAndWithoutVolumeEnvelope)
{
    XmModule m = oneChannel({note49, {97, 0, 0, 0, 0}});
    PlayerPtr p = makePlayer(m);
    runTicks(*p, 4);
    EXPECT_FLOAT_EQ(p->channels[0].volume, 0.0f);  // silenced at once
    EXPECT_EQ(p->channels[0].keyOn, 0);

    m.instruments[0].volumeEnvelope.points = {{0, 64}, {100, 64}};
    m.instruments[0].volumeEnvelope.enabled = true;
    m.instruments[0].fadeout = 4096;
    p = makePlayer(m);
    std::vector<float> fade = trace(*p, 6, [](const ModuleChannel& c) { return c.fadeoutVolume; });
    EXPECT_EQ(fade, (std::vector<float>{1, 1, 1, 0.875f, 0.75f, 0.625f}));
    EXPECT_FLOAT_EQ(p->channels[0].volume, 1.0f);

    // Kxx releases on tick xx.
    m = oneChannel({{49, 1, 0, 0x14, 0x02}});
    p = makePlayer(m);
    EXPECT_EQ(trace(*p, 3, [](const ModuleChannel& c) { return c.keyOn; }), (std::vector<float>{1, 1, 0}));
}

TEST(Envelopes, PositionEffectAndStepping)
{
    XmModule m = oneChannel({note49, {0, 0, 0, 0x15, 0x05}});
    m.instruments[0].volumeEnvelope.points = {{0, 64}, {10, 0}};
    m.instruments[0].volumeEnvelope.enabled = true;
    PlayerPtr p = makePlayer(m);
    runTicks(*p, 1);
    EXPECT_FLOAT_EQ(p->channels[0].envelopeVolume, 1.0f);
    runTicks(*p, 2);
    EXPECT_FLOAT_EQ(p->channels[0].envelopeVolume, 0.8f);
    runTicks(*p, 1);  // L05 moves the position before this tick's step
    EXPECT_EQ(p->channels[0].volumeEnvelopePos, 6);
    EXPECT_FLOAT_EQ(p->channels[0].envelopeVolume, 0.5f);
}

TEST(MultiRetrigger, RestartsAndChangesVolume)
{
    PlayerPtr p = makePlayer(oneChannel({{49, 1, 0, 0x1B, 0x72}}, 6));
    runTicks(*p, 1);
    render(*p, 100);  // move the voice on
    runTicks(*p, 1);
    EXPECT_GT(p->channels[0].position, 0.0f);
    std::vector<float> v = trace(*p, 4, [](const ModuleChannel& c) { return c.volume; });
    EXPECT_EQ(v, (std::vector<float>{0.5f, 0.5f, 0.25f, 0.25f}));  // ticks 2..5, every 2nd
    EXPECT_FLOAT_EQ(p->channels[0].position, 0.0f);

    // With a volume column command, the volume stays.
    p = makePlayer(oneChannel({{49, 1, 0x50, 0x1B, 0x72}}, 6));
    runTicks(*p, 6);
    EXPECT_FLOAT_EQ(p->channels[0].volume, 1.0f);
    // R with a low nibble only keeps the high one remembered.
    p = makePlayer(oneChannel({{49, 1, 0, 0x1B, 0x72}, {0, 0, 0, 0x1B, 0x03}}, 6));
    runTicks(*p, 7);
    EXPECT_EQ(p->channels[0].retrigMemory, 0x73);
}

TEST(MultiRetrigger, WithoutInstrumentSkipsTheVolumeChange)
{
    XmModule m = oneChannel({{0, 0, 0, 0x1B, 0x72}}, 6);
    PlayerPtr p = makePlayer(m);
    p->channels[0].volume = 0.8f;
    runTicks(*p, 6);
    EXPECT_FLOAT_EQ(p->channels[0].volume, 0.8f);
}

TEST(Tremor, MutesInItsRhythm)
{
    PlayerPtr p = makePlayer(oneChannel({{49, 1, 0, 0x1D, 0x11}}, 8));
    EXPECT_EQ(trace(*p, 8, [](const ModuleChannel& c) { return c.tremorMuted; }),
              (std::vector<float>{0, 0, 0, 1, 1, 0, 0, 1}));
    EXPECT_FLOAT_EQ(p->channels[0].targetLeft, 0.0f);
}

TEST(ExtendedEffects, FinetuneAndControls)
{
    PlayerPtr p = makePlayer(oneChannel({{49, 1, 0, 0x0E, 0x5C}, {0, 0, 0, 0x0E, 0x46}}));
    runTicks(*p, 1);
    EXPECT_FLOAT_EQ(p->channels[0].note, 48.5f);
    EXPECT_FLOAT_EQ(p->channels[0].period, 4576.0f);
    EXPECT_FLOAT_EQ(p->channels[0].triggeredNote, 48.0f);
    runTicks(*p, 3);
    EXPECT_EQ(p->channels[0].vibratoWaveform, 2u);
    EXPECT_EQ(p->channels[0].vibratoRetrigger, 0);
}

TEST(NoteCut, OnItsTick)
{
    PlayerPtr p = makePlayer(oneChannel({{49, 1, 0, 0x0E, 0xC0}}));
    runTicks(*p, 1);
    EXPECT_FLOAT_EQ(p->channels[0].volume, 0.0f);
    EXPECT_FLOAT_EQ(p->channels[0].targetLeft, 0.0f);
    p = makePlayer(oneChannel({{49, 1, 0, 0x0E, 0xC2}}));
    EXPECT_EQ(trace(*p, 3, [](const ModuleChannel& c) { return c.volume; }), (std::vector<float>{1, 1, 0}));
}

TEST(NoteDelay, StartsOnItsTickOrNever)
{
    PlayerPtr p = makePlayer(oneChannel({{49, 1, 0, 0x0E, 0xD1}}));
    runTicks(*p, 1);
    EXPECT_EQ(p->channels[0].sample, nullptr);
    runTicks(*p, 1);
    ASSERT_NE(p->channels[0].sample, nullptr);
    EXPECT_GT(p->channels[0].targetLeft, 0.0f);

    p = makePlayer(oneChannel({{49, 1, 0, 0x0E, 0xD3}}));
    runTicks(*p, 3);
    EXPECT_EQ(p->channels[0].sample, nullptr);
    runTicks(*p, 3);
    EXPECT_EQ(p->channels[0].sample, nullptr);
}

TEST(NoteDelay, EnvelopesStepTwiceOnTheTriggerTick)
{
    XmModule m = oneChannel({{49, 1, 0, 0x0E, 0xD1}, {0, 0, 0, 0x0E, 0x91}});
    m.instruments[0].volumeEnvelope.points = {{0, 64}, {64, 0}};
    m.instruments[0].volumeEnvelope.enabled = true;
    PlayerPtr p = makePlayer(m);
    runTicks(*p, 2);
    EXPECT_EQ(p->channels[0].volumeEnvelopePos, 1);
    runTicks(*p, 3);  // E91 retriggers on tick 1 of the next row
    EXPECT_EQ(p->channels[0].volumeEnvelopePos, 1);
    EXPECT_FLOAT_EQ(p->channels[0].envelopeVolume, 1.0f);
}

TEST(NoteColumn, InstrumentsAndMissingOnes)
{
    // A note with no instrument ever selected is silent.
    PlayerPtr p = makePlayer(oneChannel({{49, 0, 0, 0, 0}}));
    runTicks(*p, 1);
    EXPECT_FLOAT_EQ(p->channels[0].volume, 0.0f);
    // An instrument number beyond the count clears the channel.
    p = makePlayer(oneChannel({note49, {49, 9, 0, 0, 0}}));
    runTicks(*p, 4);
    EXPECT_EQ(p->channels[0].instrument, nullptr);
    EXPECT_EQ(p->channels[0].sample, nullptr);
    // An instrument alone restores the sample's volume without restarting it.
    p = makePlayer(oneChannel({{49, 1, 0x20, 0, 0}, {0, 1, 0, 0, 0}}));
    runTicks(*p, 3);
    render(*p, 10);
    float position = p->channels[0].position;
    runTicks(*p, 1);
    EXPECT_FLOAT_EQ(p->channels[0].volume, 1.0f);
    EXPECT_FLOAT_EQ(p->channels[0].position, position);
}

TEST(InstrumentVibrato, SweepsIn)
{
    XmModule m = oneChannel({note49});
    m.instruments[0].vibratoType = 2;  // ramp down after the swap
    m.instruments[0].vibratoDepth = 15;
    m.instruments[0].vibratoRate = 4;
    m.instruments[0].vibratoSweep = 4;
    PlayerPtr p = makePlayer(m);
    std::vector<float> d = trace(*p, 3, [](const ModuleChannel& c) { return c.autoVibratoDelta; });
    // Ramp down at (n x 4) >> 2 = n, times 0.25 x 15 / 15, times the sweep n / 4.
    EXPECT_FLOAT_EQ(d[0], 0.0f);
    EXPECT_FLOAT_EQ(d[1], 0.060546875f);  // 31/32 x 0.25 x 1/4
    EXPECT_FLOAT_EQ(d[2], 0.1171875f);    // 30/32 x 0.25 x 2/4
}

TEST(Gains, PanLawAndEnvelopes)
{
    PlayerPtr p = makePlayer(oneChannel({note49}));
    runTicks(*p, 1);
    const ModuleChannel& c = p->channels[0];
    EXPECT_FLOAT_EQ(c.panning, 128.0f / 255.0f);  // the sample's panning
    EXPECT_FLOAT_EQ(c.targetLeft, 0.70571894f);   // sqrt(127 / 255)
    EXPECT_FLOAT_EQ(c.targetRight, 0.70849191f);  // sqrt(128 / 255)
    p->channels[0].panning = 0.5f;                // centre
    runTicks(*p, 1);
    EXPECT_FLOAT_EQ(c.targetLeft, 0.70710678f);  // sqrt(1 / 2)
    EXPECT_FLOAT_EQ(c.targetRight, 0.70710678f);

    // A panning envelope point above 64 cannot push the pan past the right edge.
    XmModule m = oneChannel({note49});
    m.instruments[0].panningEnvelope.points = {{0, 200}, {10, 200}};
    m.instruments[0].panningEnvelope.enabled = true;
    p = makePlayer(m);
    runTicks(*p, 1);
    EXPECT_FLOAT_EQ(p->channels[0].targetLeft, 0.0f);
    EXPECT_FLOAT_EQ(p->channels[0].targetRight, 1.0f);
}

// Each note starts the panning envelope again: at points (0, 0) and (64, 64) it reads the ticks
// since the note, in 64ths.
TEST(Gains, ANoteRestartsThePanningEnvelope)
{
    XmModule m = oneChannel({note49, note49});
    m.instruments[0].panningEnvelope.points = {{0, 0}, {64, 64}};
    m.instruments[0].panningEnvelope.enabled = true;
    PlayerPtr p = makePlayer(m);
    EXPECT_EQ(trace(*p, 6, [](const ModuleChannel& c) { return c.envelopePanning * 64.0f; }),
              (std::vector<float>{0, 1, 2, 0, 1, 2}));
}

// A panning envelope swings a voice by the room it has to the nearer edge, on either side of
// the centre: a voice at 64/255 (8x 40h) has 64/255 of room on its left, one at 191/255 (8x BFh)
// 64/255 on its right. An envelope at 64 swings fully right, one at 0 fully left.
TEST(Gains, PanningEnvelopeSwingsByTheRoomToTheNearerEdge)
{
    struct Swing {
        uint8_t panning;    // 8xx
        uint16_t envelope;  // the envelope's level throughout
        float pan;          // 0 left .. 1 right
    };
    const Swing swings[] = {{0x40, 64, 128.0f / 255.0f}, {0x40, 0, 0.0f}, {0xBF, 0, 127.0f / 255.0f}, {0xBF, 64, 1.0f}};
    for (const Swing& s : swings) {
        SCOPED_TRACE(testing::Message() << "8xx " << int(s.panning) << ", envelope " << s.envelope);
        XmModule m = oneChannel({{49, 1, 0, 0x08, s.panning}});
        m.instruments[0].panningEnvelope.points = {{0, s.envelope}, {10, s.envelope}};
        m.instruments[0].panningEnvelope.enabled = true;
        PlayerPtr p = makePlayer(m);
        runTicks(*p, 1);
        // At full volume the gains' squares are the shares of the two sides.
        const ModuleChannel& c = p->channels[0];
        EXPECT_NEAR(c.targetLeft * c.targetLeft, 1.0f - s.pan, 1e-6f);
        EXPECT_NEAR(c.targetRight * c.targetRight, s.pan, 1e-6f);
    }
}

}  // namespace
}  // namespace Nimbra
