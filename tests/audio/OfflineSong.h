#pragma once
// The song as the audio stream must play it: frames 0 .. count-1 of one play-through, rendered
// straight from the player.
#include "audio/ModulePlayer.h"
#include "audio/StreamFormat.h"
#include "content/song/Song.h"

#include <cstdlib>
#include <vector>

namespace Nimbra::Testing {

inline std::vector<float> offlineSong(uint32_t frames)
{
    std::vector<float> out(size_t(frames) * kStreamChannels);
    ModulePlayer* player = nullptr;
    if (createModulePlayer(&player, songModule, songModuleSize, kStreamRate) == 0) {
        player->setMaxLoops(1);
        player->generate(out.data(), frames);
        std::free(player);
    }
    return out;
}

}  // namespace Nimbra::Testing
