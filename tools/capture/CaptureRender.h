#pragma once
// Watches the player's render and takes a GPU timestamp before the first pass and after every
// pass, so that the capture can report where the GPU time of a frame goes.
#include "gfx/DemoPlayer.h"
#include "tools/capture/PassTimer.h"

#include <cstdio>
#include <string>
#include <vector>

namespace Nimbra {

// "draw 5" or "compute 0" by the pass's key in the player's tables; the pass the player adds
// itself has no key and is the final copy.
constexpr const char* finalCopyPassName = "final copy";
std::string passName(Gfx::DemoPlayer& player, const Gfx::PassEntry& entry);

class TimedRenderer : public Gfx::PassObserver
{
public:
    // `follower`, when given, is told where every pass ends, before the timestamp that closes
    // the pass, so that the GPU work it adds there counts with the pass.
    TimedRenderer(Gfx::DemoPlayer& player, ID3D11Device* device, ID3D11DeviceContext* context,
                  Gfx::PassObserver* follower = nullptr);

    // Adds the GPU times of the frame just rendered; waits for the GPU.
    void collectTimings() { timer.collect(); }
    void printTimings(std::FILE* out) const;
    // The mean of the frames collected so far, pass by pass in execution order.
    uint32_t framesTimed() const { return timer.frames(); }
    uint32_t passCount() const { return static_cast<uint32_t>(passNames.size()); }
    const std::string& passLabel(uint32_t index) const { return passNames[index]; }
    double passMilliseconds(uint32_t index) const { return timer.averageMilliseconds(index); }
    double frameMilliseconds() const { return timer.averageFrameMilliseconds(); }

    void passesBegin() override;
    void passDone(uint32_t index) override;
    void passesEnd() override;

private:
    Gfx::PassObserver* follower;
    PassTimer timer;
    std::vector<std::string> passNames;
};

}  // namespace Nimbra
