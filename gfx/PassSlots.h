#pragma once
// What a pass binds at each register, as the programs it runs see it: what a new program must
// find there to take an old one's place (see gfx/live/ProgramInterface.h). Portable.
#include <cstdint>
#include <vector>

namespace Nimbra {
namespace Gfx {

enum class SlotKind { Empty, Texture1D, Texture2D, Texture3D, Buffer };

struct SlotOffer {
    SlotKind kind = SlotKind::Empty;
    uint32_t stride = 0;  // a buffer's element size
};

struct PassSlots {
    std::vector<SlotOffer> inputs;   // t0, t1, ...
    std::vector<SlotOffer> outputs;  // compute: u(firstOutput), u(firstOutput + 1), ...
    uint32_t firstOutput = 0;
    uint32_t targetCount = 0;  // draw: render targets
};

}  // namespace Gfx
}  // namespace Nimbra
