#include "gfx/live/ProgramSwap.h"

#include "gfx/BufferRuntime.h"
#include "gfx/TextureRuntime.h"
#include "gfx/frame/GraphicsContext.h"
#include "gfx/live/ProgramReflection.h"

namespace Nimbra {
namespace Gfx {
namespace {

// The stage of `pass` that `code` was built into, as the program kind it must have.
ProgramKind stageBuiltWith(const PassEntry& use, const void* code)
{
    if (use.kind == ComputePassKind)
        return static_cast<ComputePass*>(use.pass)->kernelCode == code ? ProgramKind::Compute : ProgramKind::Other;
    const DrawPass* draw = static_cast<DrawPass*>(use.pass);
    if (draw->vertexCode == code)
        return ProgramKind::Vertex;
    return draw->pixelCode == code ? ProgramKind::Pixel : ProgramKind::Other;
}

SlotOffer slotOf(Resource* resource)
{
    SlotOffer offer;
    if (auto* texture = dynamic_cast<TextureRuntime*>(resource)) {
        const SlotKind kinds[] = {SlotKind::Texture1D, SlotKind::Texture2D, SlotKind::Texture3D};
        if (texture->dimension >= Texture1D && texture->dimension <= Texture3D)
            offer.kind = kinds[texture->dimension];
    } else if (auto* buffer = dynamic_cast<BufferRuntime*>(resource)) {
        offer.kind = SlotKind::Buffer;
        offer.stride = uint32_t(buffer->stride);
    }
    return offer;
}

// Makes the shader of `kind` from `code`; null when the device refuses it.
ID3D11DeviceChild* createShader(ProgramKind kind, const std::vector<uint8_t>& code)
{
    ID3D11Device* device = graphicsContext.device;
    HRESULT result = E_FAIL;
    ID3D11DeviceChild* shader = nullptr;
    if (kind == ProgramKind::Vertex)
        result = device->CreateVertexShader(code.data(), code.size(), nullptr, reinterpret_cast<ID3D11VertexShader**>(&shader));
    else if (kind == ProgramKind::Pixel)
        result = device->CreatePixelShader(code.data(), code.size(), nullptr, reinterpret_cast<ID3D11PixelShader**>(&shader));
    else if (kind == ProgramKind::Compute)
        result = device->CreateComputeShader(code.data(), code.size(), nullptr, reinterpret_cast<ID3D11ComputeShader**>(&shader));
    return SUCCEEDED(result) ? shader : nullptr;
}

// Puts `shader` in place of the pass's shader of that stage, and points its description at the
// new bytecode.
template <class Shader>
void swapInto(Shader*& slot, ID3D11DeviceChild* shader, const void*& code, uint32_t& codeSize,
              const std::vector<uint8_t>& bytecode)
{
    shader->AddRef();
    releaseAndClear(slot);
    slot = static_cast<Shader*>(shader);
    code = bytecode.data();
    codeSize = uint32_t(bytecode.size());
}

} // namespace

ProgramSwap::ProgramSwap(DemoPlayer& player, const std::vector<NamedProgram>& named)
{
    for (const NamedProgram& source : named) {
        Program program;
        program.name = source.name;
        for (const PassEntry& entry : player.passes)
            if (entry.pass && stageBuiltWith(entry, source.code) != ProgramKind::Other)
                program.uses.push_back(entry);
        std::string why;
        if (!reflectProgram(source.code, source.size, program.described, why))
            program.uses.clear();  // unreadable: never replaced
        // The largest b8 block of the player's own programs is the layout every program keeps.
        if (program.described.frameConstantsSize > frameBytes) {
            frameBytes = program.described.frameConstantsSize;
            frameLayout = program.described.frameConstants;
        }
        programs.push_back(std::move(program));
    }
    // The descriptions point at the embedded bytecode until a program is replaced.
}

ProgramSwap::Program* ProgramSwap::find(const std::string& name)
{
    for (Program& program : programs)
        if (program.name == name)
            return &program;
    return nullptr;
}

size_t ProgramSwap::passesRunning(const std::string& name) const
{
    for (const Program& program : programs)
        if (program.name == name)
            return program.uses.size();
    return 0;
}

ProgramSwap::Program* ProgramSwap::partnerOf(const Program& program, const PassEntry& use)
{
    for (Program& other : programs)
        if (&other != &program)
            for (const PassEntry& otherUse : other.uses)
                if (otherUse.pass == use.pass)
                    return &other;
    return nullptr;
}

PassOffer ProgramSwap::offerOf(const Program& program, const PassEntry& use)
{
    PassOffer offer;
    offer.constantBytes = frameBytes;
    if (use.kind == ComputePassKind) {
        const ComputePass* pass = static_cast<ComputePass*>(use.pass);
        for (const ResourceBinding& input : pass->inputs)
            offer.inputs.push_back(slotOf(input.resource));
        offer.firstOutput = pass->inputs.count;
        for (const ResourceBinding& output : pass->outputs)
            offer.outputs.push_back(slotOf(output.resource));
        return offer;
    }
    const DrawPass* pass = static_cast<DrawPass*>(use.pass);
    for (const ResourceBinding& input : pass->inputs)
        offer.inputs.push_back(slotOf(input.resource));
    offer.targetCount = pass->targets.count;
    const Program* partner = partnerOf(program, use);
    offer.partner = partner ? &partner->described : nullptr;
    return offer;
}

bool ProgramSwap::replace(const std::string& name, const std::vector<uint8_t>& bytecode, std::string& why)
{
    Program* program = find(name);
    if (!program || program->uses.empty()) {
        why = "no pass runs a program of that name";
        return false;
    }
    ProgramInterface next;
    if (!reflectProgram(bytecode.data(), bytecode.size(), next, why))
        return false;
    for (const PassEntry& use : program->uses)
        if (!programFits(next, program->described, offerOf(*program, use), frameLayout, why))
            return false;
    ID3D11DeviceChild* shader = createShader(next.kind, bytecode);
    if (!shader) {
        why = "the device refuses it";
        return false;
    }
    program->code = bytecode;
    program->described = std::move(next);
    for (const PassEntry& use : program->uses) {
        if (use.kind == ComputePassKind) {
            ComputePass* pass = static_cast<ComputePass*>(use.pass);
            swapInto(pass->program.computeShader, shader, pass->kernelCode, pass->kernelCodeSize, program->code);
            continue;
        }
        DrawPass* pass = static_cast<DrawPass*>(use.pass);
        if (program->described.kind == ProgramKind::Vertex)
            swapInto(pass->program.vertexShader, shader, pass->vertexCode, pass->vertexCodeSize, program->code);
        else
            swapInto(pass->program.pixelShader, shader, pass->pixelCode, pass->pixelCodeSize, program->code);
    }
    shader->Release();
    return true;
}

} // namespace Gfx
} // namespace Nimbra
