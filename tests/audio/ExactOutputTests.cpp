// The engine's output pinned to the bit: a hash of the float samples of the first 30 seconds
// of the song and of every seed module. Any change to the loader, replayer or mixer that moves
// a single sample by one ulp changes a hash here; speed work must leave them all alone.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "audio/ModulePlayer.h"
#include "audio/Waveform.h"
#include "tools/common/XmWriter.h"
#include "content/song/Song.h"
#include "tools/xmseeds/Seeds.h"

namespace Nimbra {
namespace {

const uint32_t sampleRate = 44100;
const uint32_t renderFrames = 30 * sampleRate;
// Blocks of uneven sizes, so that block ends fall everywhere within ticks and runs: the output
// must not depend on how the caller slices it.
const uint32_t blockSizes[] = {4096, 1, 883, 17, 2048, 2, 1500};

struct Rendered {
    uint64_t hash;     // FNV-1a over the bytes of every float, left and right interleaved
    uint64_t nonZero;  // samples that are not 0, so that a hash of silence stands out
};

uint64_t fnv1a(uint64_t hash, const void* data, size_t size)
{
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i)
        hash = (hash ^ bytes[i]) * 0x100000001b3ull;
    return hash;
}

Rendered renderHash(const uint8_t* data, size_t size)
{
    Rendered r = {0xcbf29ce484222325ull, 0};
    resetWaveformRandomState();  // the random waveform draws from one generator per process
    ModulePlayer* player = nullptr;
    EXPECT_EQ(createModulePlayer(&player, data, size, sampleRate), 0);
    if (!player)
        return r;
    player->setMaxLoops(0);  // short seeds repeat: 30 s of sound from each
    std::vector<float> block(2 * 4096);
    uint32_t done = 0;
    for (size_t b = 0; done < renderFrames; ++b) {
        uint32_t n = blockSizes[b % (sizeof(blockSizes) / sizeof(blockSizes[0]))];
        if (n > renderFrames - done)
            n = renderFrames - done;
        player->generate(block.data(), n);
        r.hash = fnv1a(r.hash, block.data(), sizeof(float) * 2 * n);
        for (uint32_t i = 0; i < 2 * n; ++i)
            r.nonZero += block[i] != 0.0f;
        done += n;
    }
    destroyModulePlayer(player);
    return r;
}

std::string hex(uint64_t v)
{
    char text[24];
    snprintf(text, sizeof(text), "0x%016" PRIx64, v);
    return text;
}

TEST(ExactOutput, Song)
{
    Rendered r = renderHash(songModule, songModuleSize);
    EXPECT_GT(r.nonZero, renderFrames);
    EXPECT_EQ(hex(r.hash), "0x23c944cd9f53ba63");
}

struct PinnedSeed {
    const char* name;
    uint64_t hash;
};

// Today's output of every seed module; a seed added to the set needs its hash added here.
// clang-format off
const PinnedSeed pinnedSeeds[] = {
    {"effects0-amiga.xm", 0xb3ec1ac05d891f58ull},
    {"effects0-linear.xm", 0xf93f83b200c278c8ull},
    {"effects1-amiga.xm", 0x84210ae1532826dfull},
    {"effects1-linear.xm", 0xc72c9dbcade4a38bull},
    {"effects2-amiga.xm", 0x5615b69cc63b110cull},
    {"effects2-linear.xm", 0x238a07611840b690ull},
    {"effects3-amiga.xm", 0x97101d13e99983efull},
    {"effects3-linear.xm", 0x111af74ac74010cfull},
    {"effects4-amiga.xm", 0x32d2045b5298383full},
    {"effects4-linear.xm", 0x0b08949325fcdb64ull},
    {"effects5-amiga.xm", 0x037e9029a66490c8ull},
    {"effects5-linear.xm", 0xe8e7cd2332b06553ull},
    {"effects6-amiga.xm", 0x669470c50e507011ull},
    {"effects6-linear.xm", 0x6407add9ef7fc254ull},
    {"effects7-amiga.xm", 0x31e5e394955f897full},
    {"effects7-linear.xm", 0xd83204ce6506aa6aull},
    {"effects8-amiga.xm", 0x1a07000291a71e5bull},
    {"effects8-linear.xm", 0x8a000e94adcf541dull},
    {"effects9-amiga.xm", 0x46ca52b4fd67367full},
    {"effects9-linear.xm", 0x5690b98e8335f1f9ull},
    {"effects10-amiga.xm", 0x05ad1245b37a47a7ull},
    {"effects10-linear.xm", 0xb1dc1f2028c33c66ull},
    {"effects11-amiga.xm", 0x4f0c467837d3b45dull},
    {"effects11-linear.xm", 0xbc60807919dd5fc2ull},
    {"bench10.xm", 0x3f73c9970d38a056ull},
    {"bench18.xm", 0x6cfa3b325f348a18ull},
};
// clang-format on

TEST(ExactOutput, EverySeedModule)
{
    std::vector<SeedModule> seeds = seedModules();
    EXPECT_EQ(seeds.size(), sizeof(pinnedSeeds) / sizeof(pinnedSeeds[0]));
    for (const SeedModule& seed : seeds) {
        SCOPED_TRACE(seed.name);
        const PinnedSeed* pinned = nullptr;
        for (const PinnedSeed& p : pinnedSeeds) {
            if (seed.name == p.name)
                pinned = &p;
        }
        std::vector<uint8_t> bytes = writeXm(seed.module);
        Rendered r = renderHash(bytes.data(), bytes.size());
        EXPECT_GT(r.nonZero, 0u);
        // The line to pin, should a seed be added on purpose.
        if (pinned) {
            EXPECT_EQ(hex(r.hash), hex(pinned->hash));
        } else {
            ADD_FAILURE() << "not pinned: {\"" << seed.name << "\", " << hex(r.hash) << "ull},";
        }
    }
}

}  // namespace
}  // namespace Nimbra
