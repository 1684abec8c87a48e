// Every tonal instrument of the song, played through the module player, sounds at the pitch of
// the note it is given: the relative note and finetune of each synthesised sample are right.
#include "audio/ModulePlayer.h"
#include "tools/common/XmWriter.h"
#include "tools/songgen/Instruments.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

using namespace Nimbra;

constexpr int kRate = 44100;

// Renders `note` on `voice` for 0.5 s and returns the mono output from 0.2 s on.
std::vector<float> play(const SongGen::InstrumentVoice& voice, uint8_t note)
{
    XmModule module;
    module.channelCount = 1;
    module.speed = 3;
    module.tempo = 125;
    module.orders = {0};
    module.patterns.resize(1);
    module.patterns[0].resize(16, 1);
    module.patterns[0].at(0, 0, 1) = XmCell{note, 1, 0, 0, 0};
    module.instruments.push_back(voice.instrument);
    const std::vector<uint8_t> bytes = writeXm(module);
    ModulePlayer* player = nullptr;
    std::vector<float> out;
    if (createModulePlayer(&player, bytes.data(), bytes.size(), kRate) != 0)
        return out;
    std::vector<float> frames(size_t(kRate / 2) * 2);
    player->generate(frames.data(), uint32_t(kRate / 2));
    std::free(player);
    for (size_t i = size_t(kRate / 5); i < frames.size() / 2; ++i)
        out.push_back(frames[2 * i] + frames[2 * i + 1]);
    return out;
}

// The fundamental by autocorrelation: the first lag whose correlation comes close to the best.
double fundamental(const std::vector<float>& s)
{
    const int minLag = kRate / 1200, maxLag = kRate / 40;
    std::vector<double> r(size_t(maxLag + 2), 0.0);
    const size_t n = s.size() - size_t(maxLag) - 2;
    double best = 0.0;
    for (int lag = minLag; lag <= maxLag + 1; ++lag) {
        double sum = 0.0;
        for (size_t i = 0; i < n; ++i)
            sum += double(s[i]) * s[i + size_t(lag)];
        r[size_t(lag)] = sum;
        best = std::max(best, sum);
    }
    for (int lag = minLag + 1; lag <= maxLag; ++lag)
        if (r[size_t(lag)] > 0.85 * best && r[size_t(lag)] >= r[size_t(lag - 1)] &&
            r[size_t(lag)] >= r[size_t(lag + 1)]) {
            // Parabolic interpolation between the neighbouring lags.
            const double a = r[size_t(lag - 1)], b = r[size_t(lag)], c = r[size_t(lag + 1)];
            const double shift = 0.5 * (a - c) / (a - 2.0 * b + c);
            return kRate / (lag + shift);
        }
    return 0.0;
}

TEST(InstrumentPitch, TonalInstrumentsPlayInTune)
{
    struct Case {
        const char* name;
        uint8_t note;
        double hz;
    };
    const Case cases[] = {
        {"bass", 34, 110.0},
        {"sub", 22, 55.0},
        {"pad", 46, 220.0},
        {"choir", 46, 220.0},  {"pluck", 58, 440.0},
        {"lead", 58, 440.0},   {"bell", 58, 440.0},  {"lead", 62, 554.37},  // C#5
        {"pluck", 49, 261.63},                                              // C-4
    };
    const std::vector<SongGen::InstrumentVoice> voices = SongGen::buildInstruments();
    for (const Case& c : cases) {
        const SongGen::InstrumentVoice* voice = nullptr;
        for (const auto& v : voices)
            if (v.name == c.name)
                voice = &v;
        ASSERT_NE(voice, nullptr) << c.name;
        const double hz = fundamental(play(*voice, c.note));
        // Within a sixth of a semitone.
        EXPECT_NEAR(std::log2(hz / c.hz) * 12.0, 0.0, 0.17)
            << c.name << " at note " << int(c.note) << ": " << hz << " Hz";
    }
}

}  // namespace
