#pragma once
// A compiled program's interface as its passes see it, read from its bytecode (ProgramReflection.h); what a pass
// offers a program; and the rule for whether a new program can take the place of the one a pass runs.
#include "gfx/PassSlots.h"
#include "gfx/frame/ShaderRegisters.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Nimbra {
namespace Gfx {

enum class ProgramKind { Vertex, Pixel, Compute, Other };

struct SignatureElement {
    std::string semantic;  // as written; compared without regard to case
    uint32_t index = 0;
    uint32_t reg = 0;
    uint32_t componentType = 0;  // D3D_REGISTER_COMPONENT_TYPE
    uint32_t mask = 0;           // the components declared
    uint32_t used = 0;           // the components read (inputs) or never written (outputs)
};

enum class BindingType {
    Constants,
    Texture,
    Sampler,
    StructuredBuffer,
    ByteBuffer,
    WritableTexture,
    WritableStructuredBuffer,
    WritableByteBuffer,
    Other,
};

struct ProgramBinding {
    std::string name;
    BindingType type = BindingType::Other;
    uint32_t slot = 0;
    uint32_t count = 1;
    uint32_t dimension = 0;  // D3D_SRV_DIMENSION of textures and buffers
    uint32_t stride = 0;     // element size of structured buffers, when known
};

struct ConstantField {
    std::string name;
    uint32_t offset = 0;
    uint32_t size = 0;
};

struct ProgramInterface {
    ProgramKind kind = ProgramKind::Other;
    std::vector<SignatureElement> inputs;
    std::vector<SignatureElement> outputs;
    std::vector<ProgramBinding> bindings;
    std::vector<ConstantField> frameConstants;  // the fields of the constants at b8
    uint32_t frameConstantsSize = 0;            // that block's size in bytes, 0 without one
};

// What a pass offers a program: its registers, the bytes it uploads at b8 and, in a draw pass,
// the program at the other stage.
struct PassOffer : PassSlots {
    uint32_t constantBytes = 0;                 // bytes uploaded at b8; 0: not known
    const ProgramInterface* partner = nullptr;  // draw: the program at the other end
};

// True when `program` can run where `current` runs in `pass`: same stage; vertex inputs only SV_VertexID and
// SV_InstanceID; pixel inputs written by the vertex program at the same register; outputs within the targets;
// resources at registers the pass fills with that kind; samplers in s0 to s5; constants only at b8, fields where
// `frameLayout` has them and no larger than the upload. Otherwise false, with the reason in `why`.
bool programFits(const ProgramInterface& program, const ProgramInterface& current, const PassOffer& pass,
                 const std::vector<ConstantField>& frameLayout, std::string& why);

}  // namespace Gfx
}  // namespace Nimbra
