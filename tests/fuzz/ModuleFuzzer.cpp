// libFuzzer harness: any input is offered to createModulePlayer as a module; when a player
// results, three seconds of it are rendered. Faults are found by the sanitizers; a sample that
// is not a finite number stops the run as well, since it would poison the whole mix.
//
// Most inputs render at 8,000 Hz: the same ticks and effects at a fraction of the frames, and
// larger steps through the samples. One input in four renders at the demo's 44,100 Hz.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "audio/ModulePlayer.h"

using namespace Nimbra;

namespace {
const uint32_t seconds = 3;
const uint32_t maxBudgetChannels = 16;  // wider songs render proportionally shorter
const uint32_t blockFrames = 1024;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint8_t choice = size > 0 ? data[size - 1] : 0;
    uint32_t sampleRate = (choice & 3) == 0 ? 44100 : 8000;
    ModulePlayer* player = nullptr;
    if (createModulePlayer(&player, data, size, sampleRate) != 0) return 0;
    player->setMaxLoops((choice >> 2) % 3);
    uint64_t channels = player->channelCount ? player->channelCount : 1;
    uint64_t frames = uint64_t(seconds) * sampleRate * maxBudgetChannels / channels;
    if (frames > uint64_t(seconds) * sampleRate) frames = uint64_t(seconds) * sampleRate;
    static float block[2 * blockFrames];
    for (uint64_t done = 0; done < frames; done += blockFrames) {
        player->generate(block, blockFrames);
        for (float v : block) {
            if (!std::isfinite(v)) abort();
        }
    }
    destroyModulePlayer(player);
    return 0;
}
