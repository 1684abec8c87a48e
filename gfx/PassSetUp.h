#pragma once
// What draw and compute passes do alike: take over their description and create their program,
// show each of their stages to the live programs (what it binds, where its program goes), and
// around each draw or dispatch bind the frame constants at b8 and every input's read side at
// t0, t1, ..., then unbind the inputs so the next pass may write what this one read.
#include "core/GrowArray.h"
#include "gfx/Bindings.h"
#include "gfx/PassSlots.h"
#include "gfx/ShaderDesc.h"
#include "gfx/ShaderProgram.h"

#include <d3d11.h>

#include <cstdint>
#include <vector>

namespace Nimbra {
namespace Gfx {

// Copies the description into the pass, creates the program of `kind` and frees the consumed
// description's strings and lists. A program the device refuses stays null: the pass then
// skips every frame.
template <class Pass, class Desc>
void initializePass(Pass& pass, Desc& desc, ShaderKind kind)
{
    static_cast<Desc&>(pass) = desc;
    pass.kind = kind;
    pass.program.create(pass);
    desc.releaseContents();
}

// One stage of a pass, draw or compute alike: the program it runs there (by the name its
// description records) and what it binds at each register.
struct PassStage {
    ShaderDesc* desc = nullptr;        // the pass's description fields
    ShaderProgram* program = nullptr;  // the pass's shaders
    uint32_t stage = 0;                // VertexStage, PixelStage or ComputeStage
    PassSlots slots;
};

// Puts a shader made ahead by ShaderProgram::make (for the stage's kind of pass) at the stage,
// taken over, the description pointing at `code` (not owned).
void putStageProgram(const PassStage& stage, ID3D11DeviceChild* made, const void* code, uint32_t size);

// What the pass binds at t0, t1, ... as a program sees it.
std::vector<SlotOffer> slotsOf(const GrowArray<ResourceBinding>& bindings);

// Binds the frame constants and the inputs (a null resource leaves its register unbound);
// returns how many input registers it used, at most the 128 of feature level 11_0.
uint32_t bindConstantsAndInputs(ID3D11DeviceContext* context, const GrowArray<ResourceBinding>& inputs,
                                uint32_t stages);

// Clears input registers 0 .. inputCount - 1.
void unbindInputs(ID3D11DeviceContext* context, uint32_t inputCount, uint32_t stages);

}  // namespace Gfx
}  // namespace Nimbra
