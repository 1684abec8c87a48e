// libFuzzer harness: any input is offered to createModulePlayer as a module; when a player
// results, up to a quarter of a second of it is rendered (the loader alone has its own, faster
// harness in LoaderFuzzer.cpp). Faults are found by the sanitizers; a sample that
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
const double seconds = 0.25;
const uint32_t blockFrames = 1024;
// Work per input, in channel-frames: a quarter of a second of a 16-channel song at 8,000 Hz.
// Every tick costs about as much per channel as this many frames.
const double workBudget = 0.25 * 8000.0 * 16.0;
const double tickCost = 16.0;
const uint64_t minimumFrames = 16;
// Larger players are left to the loader's harness: zero-filling and mapping megabytes per input
// would cost far more than the render, and most of such a block is sample data never reached.
const uint64_t maxPlayerBlock = uint64_t(2) << 20;

// A song of thousands of channels at a tempo of thousands of BPM is legal but slow to render;
// such inputs render a shorter stretch so that the fuzzer keeps its pace.
uint64_t framesToRender(const ModulePlayer& player)
{
    double channels = player.channelCount ? player.channelCount : 1;
    double ticksPerSecond = (player.bpm > 255 ? player.bpm : 255) * 0.4;  // Fxx reaches 255
    double costPerSecond = channels * (player.sampleRate + tickCost * ticksPerSecond);
    double affordable = workBudget / costPerSecond;
    uint64_t frames = uint64_t((affordable < seconds ? affordable : seconds) * player.sampleRate);
    return frames > minimumFrames ? frames : minimumFrames;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    uint8_t choice = size > 0 ? data[size - 1] : 0;
    uint32_t sampleRate = (choice & 3) == 0 ? 44100 : 8000;
    if (computeModulePlayerSize(data, size) > maxPlayerBlock)
        return 0;
    ModulePlayer* player = nullptr;
    if (createModulePlayer(&player, data, size, sampleRate) != CreatePlayerOk)
        return 0;
    player->setMaxLoops((choice >> 2) % 3);
    uint64_t frames = framesToRender(*player);
    static float block[2 * blockFrames];
    for (uint64_t done = 0; done < frames;) {
        uint32_t n = frames - done < blockFrames ? uint32_t(frames - done) : blockFrames;
        player->generate(block, n);
        for (uint32_t i = 0; i < 2 * n; ++i) {
            if (!std::isfinite(block[i]))
                abort();
        }
        done += n;
    }
    destroyModulePlayer(player);
    return 0;
}
