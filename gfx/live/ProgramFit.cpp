#include "gfx/live/ProgramInterface.h"

#include <cctype>

namespace Nimbra {
namespace Gfx {
namespace {

// D3D_SRV_DIMENSION values, which this file must not take from the Windows headers.
constexpr uint32_t dimensionBuffer = 1;
constexpr uint32_t dimensionTexture1D = 2;
constexpr uint32_t dimensionTexture2D = 4;
constexpr uint32_t dimensionTexture3D = 8;

// The frame constants' register as the refusals name it.
const std::string constantsRegister = "b" + std::to_string(frameConstantsRegister);

bool sameSemantic(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string elementName(const SignatureElement& e)
{
    return e.semantic + std::to_string(e.index);
}

const char* kindName(ProgramKind kind)
{
    switch (kind) {
    case ProgramKind::Vertex: return "a vertex program";
    case ProgramKind::Pixel: return "a pixel program";
    case ProgramKind::Compute: return "a compute program";
    default: return "a program of another stage";
    }
}

const char* slotName(SlotKind kind)
{
    switch (kind) {
    case SlotKind::Texture1D: return "a 1D texture";
    case SlotKind::Texture2D: return "a 2D texture";
    case SlotKind::Texture3D: return "a 3D texture";
    case SlotKind::Buffer: return "a buffer";
    default: return "nothing";
    }
}

// Whether what the pass binds at a register can be read the way the program declares it.
bool slotTakes(const SlotOffer& offer, const ProgramBinding& binding)
{
    switch (binding.type) {
    case BindingType::Texture:
    case BindingType::WritableTexture:
        switch (binding.dimension) {
        case dimensionBuffer: return offer.kind == SlotKind::Buffer;
        case dimensionTexture1D: return offer.kind == SlotKind::Texture1D;
        case dimensionTexture2D: return offer.kind == SlotKind::Texture2D;
        case dimensionTexture3D: return offer.kind == SlotKind::Texture3D;
        default: return false;
        }
    case BindingType::StructuredBuffer:
    case BindingType::WritableStructuredBuffer:
        return offer.kind == SlotKind::Buffer &&
               (binding.stride == 0 || offer.stride == 0 || binding.stride == offer.stride);
    case BindingType::ByteBuffer:
    case BindingType::WritableByteBuffer: return offer.kind == SlotKind::Buffer;
    default: return false;
    }
}

// Every register of `binding` within `slots`, each filled with what it declares.
bool slotsFit(const ProgramBinding& binding, const std::vector<SlotOffer>& slots, uint32_t first, char letter,
              std::string& why)
{
    for (uint32_t i = 0; i < binding.count; ++i) {
        const uint32_t slot = binding.slot + i;
        const std::string place = std::string(1, letter) + std::to_string(slot) + " (" + binding.name + ")";
        if (slot < first || slot - first >= slots.size() || slots[slot - first].kind == SlotKind::Empty) {
            why = place + ": the pass binds nothing there";
            return false;
        }
        const SlotOffer& offer = slots[slot - first];
        if (!slotTakes(offer, binding)) {
            why = place + ": the pass binds " + slotName(offer.kind) +
                  (offer.kind == SlotKind::Buffer && offer.stride
                       ? " of " + std::to_string(offer.stride) + "-byte elements"
                       : "") +
                  " there, which it declares otherwise";
            return false;
        }
    }
    return true;
}

bool constantsFit(const ProgramInterface& program, const PassOffer& pass, const std::vector<ConstantField>& layout,
                  std::string& why)
{
    for (const ConstantField& field : program.frameConstants) {
        const ConstantField* known = nullptr;
        for (const ConstantField& candidate : layout)
            if (candidate.name == field.name)
                known = &candidate;
        if (!known) {
            why = constantsRegister + " declares " + field.name + ", which the demo does not fill";
            return false;
        }
        if (known->offset != field.offset || known->size != field.size) {
            why = constantsRegister + " declares " + field.name + " at byte " + std::to_string(field.offset) + " (" +
                  std::to_string(field.size) + " bytes); the demo fills it at byte " + std::to_string(known->offset) +
                  " (" + std::to_string(known->size) + " bytes)";
            return false;
        }
    }
    if (pass.constantBytes && program.frameConstantsSize > pass.constantBytes) {
        why = constantsRegister + " is " + std::to_string(program.frameConstantsSize) + " bytes; the demo uploads " +
              std::to_string(pass.constantBytes);
        return false;
    }
    return true;
}

bool bindingsFit(const ProgramInterface& program, const PassOffer& pass, const std::vector<ConstantField>& layout,
                 std::string& why)
{
    for (const ProgramBinding& binding : program.bindings) {
        switch (binding.type) {
        case BindingType::Constants:
            if (binding.slot != frameConstantsRegister) {
                why = "constants at b" + std::to_string(binding.slot) + " (" + binding.name +
                      "): the passes bind constants at " + constantsRegister + " only";
                return false;
            }
            if (!constantsFit(program, pass, layout, why))
                return false;
            break;
        case BindingType::Sampler:
            if (binding.slot + binding.count > sharedSamplerCount) {
                why = "sampler s" + std::to_string(binding.slot) + " (" + binding.name + "): the demo binds s0 to s" +
                      std::to_string(sharedSamplerCount - 1);
                return false;
            }
            break;
        case BindingType::Texture:
        case BindingType::StructuredBuffer:
        case BindingType::ByteBuffer:
            if (!slotsFit(binding, pass.inputs, 0, 't', why))
                return false;
            break;
        case BindingType::WritableTexture:
        case BindingType::WritableStructuredBuffer:
        case BindingType::WritableByteBuffer:
            if (program.kind != ProgramKind::Compute) {
                why = "u" + std::to_string(binding.slot) + " (" + binding.name +
                      "): draw passes bind no writable resources";
                return false;
            }
            if (!slotsFit(binding, pass.outputs, pass.firstOutput, 'u', why))
                return false;
            break;
        default: why = binding.name + ": a kind of resource the passes never bind"; return false;
        }
    }
    return true;
}

// The vertex side writes what the pixel side reads, at the same register.
bool linked(const std::vector<SignatureElement>& written, const SignatureElement& read)
{
    for (const SignatureElement& out : written)
        if (sameSemantic(out.semantic, read.semantic) && out.index == read.index && out.reg == read.reg &&
            out.componentType == read.componentType && (out.mask & read.used) == read.used)
            return true;
    return false;
}

// Pixel inputs the rasteriser makes itself, which no vertex program writes.
bool generatedInput(const SignatureElement& e)
{
    return e.semantic.size() > 3 && sameSemantic(e.semantic.substr(0, 3), "SV_") &&
           !sameSemantic(e.semantic, "SV_Position");
}

bool signaturesFit(const ProgramInterface& program, const ProgramInterface& current, const PassOffer& pass,
                   std::string& why)
{
    if (program.kind == ProgramKind::Vertex) {
        for (const SignatureElement& in : program.inputs)
            if (!sameSemantic(in.semantic, "SV_VertexID") && !sameSemantic(in.semantic, "SV_InstanceID")) {
                why = "it reads " + elementName(in) + ": the passes draw without vertex buffers";
                return false;
            }
        if (pass.partner)
            for (const SignatureElement& read : pass.partner->inputs)
                if (!generatedInput(read) && !linked(program.outputs, read)) {
                    why = "the pixel program reads " + elementName(read) + " at register " + std::to_string(read.reg) +
                          ", which it no longer writes there";
                    return false;
                }
    }
    if (program.kind == ProgramKind::Pixel) {
        if (pass.partner)
            for (const SignatureElement& read : program.inputs)
                if (!generatedInput(read) && !linked(pass.partner->outputs, read)) {
                    why = "it reads " + elementName(read) + " at register " + std::to_string(read.reg) +
                          ", which the vertex program does not write there";
                    return false;
                }
        for (const SignatureElement& out : program.outputs) {
            if (sameSemantic(out.semantic, "SV_Target")) {
                if (out.index >= pass.targetCount) {
                    why = "it writes SV_Target" + std::to_string(out.index) + "; the pass has " +
                          std::to_string(pass.targetCount) + " target" + (pass.targetCount == 1 ? "" : "s");
                    return false;
                }
                continue;
            }
            bool before = false;
            for (const SignatureElement& old : current.outputs)
                before = before || sameSemantic(old.semantic, out.semantic);
            if (!before) {
                why = "it writes " + elementName(out) + ", which the pass does not take";
                return false;
            }
        }
    }
    return true;
}

}  // namespace

bool programFits(const ProgramInterface& program, const ProgramInterface& current, const PassOffer& pass,
                 const std::vector<ConstantField>& frameLayout, std::string& why)
{
    if (program.kind != current.kind) {
        why = std::string("it is ") + kindName(program.kind) + "; the pass runs " + kindName(current.kind) + " here";
        return false;
    }
    return signaturesFit(program, current, pass, why) && bindingsFit(program, pass, frameLayout, why);
}

}  // namespace Gfx
}  // namespace Nimbra
