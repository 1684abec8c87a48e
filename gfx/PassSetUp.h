#pragma once
// What draw and compute passes do alike: take over their description and create their program,
// and around each draw or dispatch bind the frame constants at b8 and every input's read side at
// t0, t1, ..., then unbind the inputs so the next pass may write what this one read.
#include "core/GrowArray.h"
#include "gfx/Bindings.h"
#include "gfx/ShaderDesc.h"

#include <d3d11.h>

#include <cstdint>

namespace Nimbra {
namespace Gfx {

// The stages a pass binds its constants and inputs in.
enum PassStages : uint32_t
{
    VertexStage = 1,
    PixelStage = 2,
    ComputeStage = 4,
};

// Copies the description into the pass, creates the program of `kind` and frees the consumed
// description's strings and lists.
template <class Pass, class Desc>
bool initializePass(Pass& pass, Desc& desc, ShaderKind kind)
{
    static_cast<Desc&>(pass) = desc;
    pass.kind = kind;
    pass.program.create(pass);
    desc.releaseContents();
    return true;
}

// Binds the frame constants and the inputs (a null resource leaves its register unbound);
// returns how many input registers it used, at most the 128 of feature level 11_0.
uint32_t bindConstantsAndInputs(ID3D11DeviceContext* context, const GrowArray<ResourceBinding>& inputs,
                                uint32_t stages);

// Clears input registers 0 .. inputCount - 1.
void unbindInputs(ID3D11DeviceContext* context, uint32_t inputCount, uint32_t stages);

} // namespace Gfx
} // namespace Nimbra
