#pragma once
// --passes: each draw pass's target as a PNG beside the frame. Targets are copied on the GPU where the player says a
// pass ends (safe from later passes, no stall) and read back after the frame. Depth targets and the compute buffer
// hold no picture, and the final copy pass's target is the frame itself, so they are skipped.
#include "gfx/DemoPlayer.h"

#include <d3d11.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Nimbra {

class PassDump : public Gfx::PassObserver
{
public:
    PassDump(Gfx::DemoPlayer& player, ID3D11Device* device, ID3D11DeviceContext* context);
    ~PassDump() override;
    PassDump(const PassDump&) = delete;
    PassDump& operator=(const PassDump&) = delete;

    void passesBegin() override {}
    void passDone(uint32_t index) override;
    void passesEnd() override {}

    // Writes DIR/frame_NNNNN_<pass>.png for every target copied in the frame just rendered;
    // false, with the file named in `error`, when one cannot be read back or written.
    bool write(const std::string& dir, uint32_t frame, std::string& error);

private:
    struct Picture {
        uint32_t passIndex;  // in the player's pass list
        std::string name;    // "draw 5"; a second target of the pass would be "draw 5_1"
        Gfx::TextureRuntime* target;
        ID3D11Texture2D* staging = nullptr;
        bool copied = false;
    };

    ID3D11DeviceContext* context;
    std::vector<Picture> pictures;
};

}  // namespace Nimbra
