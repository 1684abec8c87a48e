#pragma once
// The player's frame, rendered pass by pass with a GPU timestamp after every pass, so that the
// capture can report where the GPU time of a frame goes.
#include "tools/capture/PassTimer.h"

#include <cstdio>
#include <string>
#include <vector>

namespace Nimbra {

namespace Gfx {
class DemoPlayer;
}

class TimedRenderer {
public:
    TimedRenderer(Gfx::DemoPlayer& player, ID3D11Device* device, ID3D11DeviceContext* context);

    // The steps of DemoPlayer::render: pack the variables behind the frame's context header, run
    // every enabled pass in list order, flip the double-buffered resources, end the first frame.
    void render();
    // Adds the GPU times of the frame just rendered; waits for the GPU.
    void collectTimings() { timer.collect(); }
    void printTimings(std::FILE* out) const;

private:
    Gfx::DemoPlayer& player;
    PassTimer timer;
    std::vector<std::string> passNames;
};

}  // namespace Nimbra
