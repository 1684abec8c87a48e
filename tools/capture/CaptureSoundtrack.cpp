#include "tools/capture/CaptureSoundtrack.h"

#include "tools/capture/CaptureFiles.h"

#include "app/FilePaths.h"

#include "audio/ModulePlayer.h"
#include "audio/RefillPlan.h"
#include "audio/StreamFormat.h"
#include "content/song/Song.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace Nimbra {

namespace {

constexpr uint32_t sampleRate = kStreamRate;
// Rendered in blocks of the stream's buffer size.
constexpr uint32_t blockFrames = kStreamFrames;

}  // namespace

bool writeSoundtrack(const std::string& path, double fromSeconds, double toSeconds)
{
    const uint32_t first = static_cast<uint32_t>(std::llround(fromSeconds * sampleRate));
    const uint32_t end = static_cast<uint32_t>(std::llround(toSeconds * sampleRate));
    const uint32_t frames = end > first ? end - first : 0;
    std::vector<float> samples(static_cast<size_t>(frames) * 2, 0.0f);

    ModulePlayer* player = nullptr;
    if (createModulePlayer(&player, songModule, songModuleSize, sampleRate) == CreatePlayerOk && player) {
        player->setMaxLoops(1);
        std::vector<float> block(blockFrames * 2);
        uint32_t position = 0;
        while (position < end) {
            uint32_t count = end - position < blockFrames ? end - position : blockFrames;
            player->generate(block.data(), count);
            for (uint32_t i = 0; i < count; ++i) {
                uint32_t frame = position + i;
                if (frame >= first) {
                    samples[2 * size_t(frame - first)] = block[2 * i];
                    samples[2 * size_t(frame - first) + 1] = block[2 * i + 1];
                }
            }
            position += count;
        }
        destroyModulePlayer(player);
    }
    // Written aside and renamed once whole: an encoder that opens `path` while the capture runs
    // finds all of it or nothing.
    const std::string part = path + ".part";
    if (!writeFloatWav(part, samples.data(), frames, sampleRate))
        return false;
    std::error_code error;
    std::filesystem::remove(pathFromUtf8(path), error);
    std::filesystem::rename(pathFromUtf8(part), pathFromUtf8(path), error);
    return !error;
}

}  // namespace Nimbra
