// libFuzzer harness: any input is offered to createModulePlayer as a module; when a player
// results, a couple of seconds are rendered. Faults are found by the sanitizers; a sample that
// is not a finite number stops the run as well, since it would poison the whole mix.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "audio/ModulePlayer.h"

using namespace Nimbra;

namespace {
const uint32_t sampleRate = 44100;
// Frames x channels rendered per input: two seconds of an eight-channel song.
const uint64_t workBudget = uint64_t(2) * sampleRate * 8;
const uint32_t blockFrames = 1024;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ModulePlayer* player = nullptr;
    if (createModulePlayer(&player, data, size, sampleRate) != 0) return 0;
    player->setMaxLoops(size > 0 ? data[size - 1] % 3 : 0);
    uint64_t channels = player->channelCount ? player->channelCount : 1;
    uint64_t frames = workBudget / channels;
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
