#pragma once
// Watches the player's render and takes a GPU timestamp before the first pass and after every
// pass, so that the capture can report where the GPU time of a frame goes.
#include "gfx/DemoPlayer.h"
#include "tools/capture/PassTimer.h"

#include <cstdio>
#include <string>
#include <vector>

namespace Nimbra {

class TimedRenderer : public Gfx::PassObserver {
public:
    TimedRenderer(Gfx::DemoPlayer& player, ID3D11Device* device, ID3D11DeviceContext* context);

    // Adds the GPU times of the frame just rendered; waits for the GPU.
    void collectTimings() { timer.collect(); }
    void printTimings(std::FILE* out) const;

    void passesBegin() override;
    void passDone(uint32_t index) override;
    void passesEnd() override;

private:
    PassTimer timer;
    std::vector<std::string> passNames;
};

}  // namespace Nimbra
