#include "tools/songgen/Dsp.h"
#include "tools/songgen/Instruments.h"
#include "tools/songgen/Score.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <set>

namespace {

using namespace Nimbra;
using namespace Nimbra::SongGen;

// Two tiny instruments are enough for the score reader.
std::vector<InstrumentVoice> twoVoices()
{
    std::vector<InstrumentVoice> v(2);
    v[0].name = "drum";
    v[0].defaultNote = 49;
    v[1].name = "keys";
    v[1].defaultNote = 61;
    return v;
}

XmModule read(const std::string& score)
{
    XmModule module;
    std::string error;
    EXPECT_TRUE(buildSongFromScore(score, twoVoices(), module, error)) << error;
    return module;
}

std::string errorOf(const std::string& score)
{
    XmModule module;
    std::string error;
    EXPECT_FALSE(buildSongFromScore(score, twoVoices(), module, error));
    return error;
}

const XmCell& cell(const XmModule& m, int pattern, int row, int channel)
{
    return m.patterns[size_t(pattern)].cells[size_t(row * m.channelCount + channel)];
}

TEST(Score, HeaderOrderAndPatterns)
{
    const XmModule m = read("channels a b\nspeed 3\ntempo 125\nrestart 1\n"
                            "phrase p drum\n    x\n"
                            "pattern one 16\n    a p\npattern two 32\n    b p\n"
                            "order one two\norder two\n");
    EXPECT_EQ(m.channelCount, 2);
    EXPECT_EQ(m.speed, 3);
    EXPECT_EQ(m.tempo, 125);
    EXPECT_EQ(m.restartPosition, 1);
    EXPECT_TRUE(m.linearFrequencies);
    ASSERT_EQ(m.patterns.size(), 2u);
    EXPECT_EQ(m.patterns[0].rowCount, 16);
    EXPECT_EQ(m.patterns[1].rowCount, 32);
    EXPECT_EQ(m.orders, (std::vector<uint8_t>{0, 1, 1}));
    EXPECT_EQ(m.instruments.size(), 2u);
}

TEST(Score, TokensBecomeCells)
{
    const XmModule m = read("channels a b\n"
                            "phrase p keys step 2\n"
                            "    C-4 x ^ A#3:drum v20 ~A04 | Bb3v40~E91 .\n"
                            "pattern one 16\n    b p\norder one\n");
    EXPECT_EQ(cell(m, 0, 0, 1).note, 49);  // C-4
    EXPECT_EQ(cell(m, 0, 0, 1).instrument, 2);
    EXPECT_EQ(cell(m, 0, 1, 1).note, 0);   // steps are two rows apart
    EXPECT_EQ(cell(m, 0, 2, 1).note, 61);  // keys' own note
    EXPECT_EQ(cell(m, 0, 4, 1).note, 97);  // key off, no instrument
    EXPECT_EQ(cell(m, 0, 4, 1).instrument, 0);
    EXPECT_EQ(cell(m, 0, 6, 1).note, 47);  // A#3 on the other instrument
    EXPECT_EQ(cell(m, 0, 6, 1).instrument, 1);
    EXPECT_EQ(cell(m, 0, 8, 1).volume, 0x30);
    EXPECT_EQ(cell(m, 0, 8, 1).note, 0);
    EXPECT_EQ(cell(m, 0, 10, 1).effect, 10);
    EXPECT_EQ(cell(m, 0, 10, 1).param, 0x04);
    EXPECT_EQ(cell(m, 0, 12, 1).note, 47);  // Bb3 is A#3
    EXPECT_EQ(cell(m, 0, 12, 1).volume, 0x50);
    EXPECT_EQ(cell(m, 0, 12, 1).effect, 14);
    EXPECT_EQ(cell(m, 0, 12, 1).param, 0x91);
    EXPECT_EQ(cell(m, 0, 0, 0).note, 0);  // the other channel stays empty
}

TEST(Score, HeldTokensKeepTheirEffectRunning)
{
    const XmModule m = read("channels a\nphrase p keys\n    E-5~443*3 G-5 F-5*2\npattern one 16\n    a p\norder one\n");
    EXPECT_EQ(cell(m, 0, 0, 0).note, 65);
    for (int row = 1; row < 6; ++row) {
        EXPECT_EQ(cell(m, 0, row, 0).note, 0);
        EXPECT_EQ(cell(m, 0, row, 0).effect, 4) << row;
        EXPECT_EQ(cell(m, 0, row, 0).param, 0x43) << row;
    }
    EXPECT_EQ(cell(m, 0, 6, 0).note, 68);
    EXPECT_EQ(cell(m, 0, 7, 0).effect, 0);  // no hold, no continuation
    EXPECT_EQ(cell(m, 0, 8, 0).note, 66);
    EXPECT_EQ(cell(m, 0, 11, 0).note, 0);
}

TEST(Score, PlacementShiftsTransposesScalesAndRepeats)
{
    const XmModule m = read("channels a b\nphrase p keys step 4\n    C-4 D-4v20\n"
                            "pattern one 32\n    a p @-4 +2 %50 x3\n    b p @2\norder one\n");
    // Three copies of an 8-row phrase, starting 4 rows before the pattern: the first note is cut.
    EXPECT_EQ(cell(m, 0, 0, 0).note, 53);           // D-4 + 2
    EXPECT_EQ(cell(m, 0, 0, 0).volume, 0x10 + 16);  // half of 0x20
    EXPECT_EQ(cell(m, 0, 4, 0).note, 51);           // C-4 + 2 at half volume
    EXPECT_EQ(cell(m, 0, 4, 0).volume, 0x10 + 32);
    EXPECT_EQ(cell(m, 0, 12, 0).note, 51);
    EXPECT_EQ(cell(m, 0, 20, 0).note, 0);  // only three copies
    EXPECT_EQ(cell(m, 0, 2, 1).note, 49);
    EXPECT_EQ(cell(m, 0, 6, 1).note, 51);
}

TEST(Score, ChordsAreVoicedForThreeChannels)
{
    const XmModule m = read("channels a b c\nchords ch keys step 8\n    Am Dm7 E - \n"
                            "pattern one 32\n    a ch.1\n    b ch.2\n    c ch.3\norder one\n");
    auto voices = [&m](int row) {
        return std::vector<int>{cell(m, 0, row, 0).note, cell(m, 0, row, 1).note, cell(m, 0, row, 2).note};
    };
    EXPECT_EQ(voices(0), (std::vector<int>{46, 49, 53}));   // A-3 C-4 E-4
    EXPECT_EQ(voices(8), (std::vector<int>{46, 49, 54}));   // Dm7 without its root: A-3 C-4 F-4
    EXPECT_EQ(voices(16), (std::vector<int>{45, 48, 53}));  // G#3 B-3 E-4
    EXPECT_EQ(voices(24), (std::vector<int>{97, 97, 97}));
}

TEST(Score, ArpeggiosWalkTheChordTones)
{
    const XmModule m = read("channels a\narp ar keys step 1 octave 4 shape 0 1 2 3\n    Am*6 C*2 -*2\n"
                            "pattern one 16\n    a ar\norder one\n");
    // A C E A' A C, then the shape runs on over C: G C', then the rest.
    const int expected[] = {58, 61, 65, 70, 58, 61, 56, 61, 0, 0};
    for (int row = 0; row < 10; ++row)
        EXPECT_EQ(cell(m, 0, row, 0).note, expected[row]) << row;
}

TEST(Score, FaultsNameTheLine)
{
    EXPECT_NE(errorOf("channels a\nphrase p flute\n    x\n").find("line 2"), std::string::npos);
    EXPECT_NE(errorOf("channels a\npattern one 16\n    a nothing\n").find("unknown phrase"), std::string::npos);
    EXPECT_NE(errorOf("channels a\nchords c keys\n    Hm\n").find("unknown chord"), std::string::npos);
    EXPECT_NE(errorOf("channels a\nphrase p keys\n    C-4v41\n").find("bad volume"), std::string::npos);
    EXPECT_NE(errorOf("channels a\npattern one 16\norder two\n").find("unknown pattern"), std::string::npos);
    EXPECT_NE(errorOf("channels a\npattern one 300\n").find("1 to 256"), std::string::npos);
    EXPECT_NE(errorOf("channels a\nphrase p keys\n    C-4\npattern one 16\n    z p\n").find("unknown channel"),
              std::string::npos);
}

// The played rate of note 49 is 8363 Hz * 2^((relative + finetune/128) / 12); a sample whose
// fundamental is hz must then sound at middle C.
TEST(Tuning, SamplesSoundAtThePitchOfTheirNote)
{
    for (double hz : {54.99, 109.98, 261.63, 262.5, 523.25, 525.0, 1046.5}) {
        int8_t relative = 0, finetune = 0;
        tuneFor(hz, relative, finetune);
        const double rate = 8363.0 * std::pow(2.0, (relative + finetune / 128.0) / 12.0);
        EXPECT_NEAR(hz * rate / kRate, 261.626, 261.626 * 0.0005) << hz;
        EXPECT_GE(finetune, -64);
        EXPECT_LE(finetune, 63);
    }
}

TEST(Instruments, TwentyVoicesUsingWhatTheReplayerOffers)
{
    const std::vector<InstrumentVoice> voices = buildInstruments();
    ASSERT_EQ(voices.size(), 20u);
    std::set<std::string> names;
    bool eightBit = false, sixteenBit = false, forward = false, pingPong = false;
    bool sustain = false, envelopeLoop = false, panning = false, vibrato = false, fadeout = false;
    for (const InstrumentVoice& v : voices) {
        names.insert(v.name);
        const XmInstrument& i = v.instrument;
        ASSERT_EQ(i.samples.size(), 1u) << v.name;
        const XmSample& s = i.samples[0];
        EXPECT_GT(s.data.size(), 100u) << v.name;
        EXPECT_LE(s.loopStart + s.loopLength, s.data.size()) << v.name;
        if (s.loopType != XmLoop::None) {
            EXPECT_GT(s.loopLength, 0u) << v.name;
        }
        for (int16_t value : s.data) {
            if (!s.sixteenBit) {
                ASSERT_TRUE(value >= -128 && value <= 127) << v.name;
            }
        }
        eightBit |= !s.sixteenBit;
        sixteenBit |= s.sixteenBit;
        forward |= s.loopType == XmLoop::Forward;
        pingPong |= s.loopType == XmLoop::PingPong;
        sustain |= i.volumeEnvelope.enabled && i.volumeEnvelope.sustain;
        envelopeLoop |= i.volumeEnvelope.enabled && i.volumeEnvelope.loop;
        panning |= i.panningEnvelope.enabled;
        vibrato |= i.vibratoDepth > 0 && i.vibratoRate > 0;
        fadeout |= i.fadeout > 0;
        for (const XmEnvelope* e : {&i.volumeEnvelope, &i.panningEnvelope}) {
            if (!e->enabled)
                continue;
            EXPECT_LE(e->points.size(), 12u) << v.name;
            EXPECT_LT(e->sustainPoint, e->points.size()) << v.name;
            EXPECT_LE(e->loopStart, e->loopEnd) << v.name;
            EXPECT_LT(e->loopEnd, e->points.size()) << v.name;
            for (size_t p = 1; p < e->points.size(); ++p)
                EXPECT_GT(e->points[p].x, e->points[p - 1].x) << v.name;
        }
    }
    EXPECT_EQ(names.size(), 20u);
    EXPECT_TRUE(eightBit && sixteenBit && forward && pingPong);
    EXPECT_TRUE(sustain && envelopeLoop && panning && vibrato && fadeout);
}

// A forward loop over whole periods of a tone must not click: the frame after the loop's end
// is the loop's first frame again, so the step across the seam is an ordinary step.
TEST(Instruments, PeriodicLoopsJoinWithoutASeam)
{
    for (const InstrumentVoice& v : buildInstruments()) {
        const XmSample& s = v.instrument.samples[0];
        if (s.loopType != XmLoop::Forward || v.name == "ride")
            continue;
        const int32_t last = s.data[s.loopStart + s.loopLength - 1];
        const int32_t first = s.data[s.loopStart];
        const int32_t inside = s.data[s.loopStart + 1] - first;
        EXPECT_LE(std::abs((first - last) - inside), 200 + std::abs(inside) / 4) << v.name;
    }
}

TEST(Song, CommittedSongIsTheScoreRendered)
{
    std::ifstream scoreFile(NIMBRA_SOURCE_DIR "/content/song/score.txt", std::ios::binary);
    std::ifstream songFile(NIMBRA_SOURCE_DIR "/content/song/song.xm", std::ios::binary);
    ASSERT_TRUE(scoreFile && songFile);
    const std::string score((std::istreambuf_iterator<char>(scoreFile)), std::istreambuf_iterator<char>());
    const std::vector<char> committed((std::istreambuf_iterator<char>(songFile)), std::istreambuf_iterator<char>());
    XmModule module;
    std::string error;
    ASSERT_TRUE(buildSongFromScore(score, buildInstruments(), module, error)) << error;
    const std::vector<uint8_t> bytes = writeXm(module);
    ASSERT_EQ(bytes.size(), committed.size()) << "run make song";
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), committed.begin(), [](uint8_t a, char b) {
        return a == uint8_t(b);
    })) << "run make song";
}

}  // namespace
