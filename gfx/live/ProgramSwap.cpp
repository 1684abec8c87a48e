#include "gfx/live/ProgramSwap.h"

#include "gfx/live/ProgramReflection.h"
#include "gfx/Resource.h"
#include "gfx/ShaderProgram.h"

namespace Nimbra {
namespace Gfx {

ProgramSwap::ProgramSwap(DemoPlayer& player) : player(player)
{
    for (uint32_t b = 0; b < player.drawPasses.bucketCount; ++b)
        for (auto* node = player.drawPasses.buckets[b]; node; node = node->next)
            if (DrawPass* pass = node->value) {
                note(pass->vertexProgram, pass->vertexCode, pass->vertexCodeSize, {pass, nullptr, VertexStage});
                note(pass->pixelProgram, pass->pixelCode, pass->pixelCodeSize, {pass, nullptr, PixelStage});
            }
    for (uint32_t b = 0; b < player.computePasses.bucketCount; ++b)
        for (auto* node = player.computePasses.buckets[b]; node; node = node->next)
            if (ComputePass* pass = node->value)
                note(pass->kernelProgram, pass->kernelCode, pass->kernelCodeSize, {nullptr, pass, ComputeStage});
    // The largest b8 block of the player's own programs is the layout every program keeps.
    uint32_t largest = 0;
    for (const Program& program : programs)
        if (program.described.frameConstantsSize > largest) {
            largest = program.described.frameConstantsSize;
            frameLayout = program.described.frameConstants;
        }
}

void ProgramSwap::note(const char* name, const void* code, uint32_t size, const Use& use)
{
    if (name == nullptr || code == nullptr)
        return;
    Program* program = find(name);
    if (!program) {
        program = &programs.emplace_back();
        program->name = name;
        std::string why;
        if (!reflectProgram(code, size, program->described, why))
            return;  // unreadable: never replaced
    } else if (program->uses.empty()) {
        return;
    }
    program->uses.push_back(use);
}

ID3D11DeviceChild* ProgramSwap::makeFor(const Use& use, const void* code, uint32_t size)
{
    return ShaderProgram::make(use.draw ? VertexPixelShaders : ComputeShader, use.stage, code, size);
}

void ProgramSwap::putAt(const Use& use, ID3D11DeviceChild* made, const void* code, uint32_t size)
{
    if (use.draw)
        use.draw->putProgram(use.stage, made, code, size);
    else
        use.compute->putProgram(use.stage, made, code, size);
}

ProgramSwap::Program* ProgramSwap::find(const std::string& name)
{
    for (Program& program : programs)
        if (program.name == name)
            return &program;
    return nullptr;
}

PassOffer ProgramSwap::offerOf(const Use& use)
{
    PassOffer offer;
    static_cast<PassSlots&>(offer) = use.draw ? use.draw->slots() : use.compute->slots();
    offer.constantBytes = player.constantBytes();
    if (use.draw) {
        const char* other = use.draw->programName(use.stage == VertexStage ? PixelStage : VertexStage);
        const Program* partner = other ? find(other) : nullptr;
        offer.partner = partner ? &partner->described : nullptr;
    }
    return offer;
}

PreparedProgram::~PreparedProgram()
{
    for (ID3D11DeviceChild*& shader : made)
        releaseAndClear(shader);
}

bool ProgramSwap::replace(const std::string& name, const std::vector<uint8_t>& bytecode, std::string& why)
{
    PreparedProgram prepared;
    if (!prepare(name, bytecode, prepared, why))
        return false;
    swapIn(prepared);
    return true;
}

bool ProgramSwap::prepare(const std::string& name, const std::vector<uint8_t>& bytecode, PreparedProgram& out,
                          std::string& why)
{
    Program* program = find(name);
    if (!program || program->uses.empty()) {
        why = "no pass runs a program of that name";
        return false;
    }
    ProgramInterface next;
    if (!reflectProgram(bytecode.data(), bytecode.size(), next, why))
        return false;
    for (const Use& use : program->uses)
        if (!programFits(next, program->described, offerOf(use), frameLayout, why))
            return false;
    PreparedProgram made;
    made.code = bytecode;
    for (const Use& use : program->uses) {
        made.made.push_back(makeFor(use, made.code.data(), uint32_t(made.code.size())));
        if (!made.made.back()) {
            why = "the device refuses it";
            return false;  // the shaders made so far go with `made`
        }
    }
    out.name = name;
    out.code = std::move(made.code);  // the buffer moves with it: the shaders were made from it
    out.described = std::move(next);
    out.made.swap(made.made);
    return true;
}

void ProgramSwap::swapIn(PreparedProgram& prepared)
{
    Program* program = find(prepared.name);
    if (!program || prepared.made.size() != program->uses.size())
        return;
    // The passes point at the bytes kept here.
    for (size_t i = 0; i < program->uses.size(); ++i) {
        putAt(program->uses[i], prepared.made[i], prepared.code.data(), uint32_t(prepared.code.size()));
        prepared.made[i] = nullptr;
    }
    program->code = std::move(prepared.code);  // the buffer moves with it: the passes' pointers hold
    program->described = std::move(prepared.described);
}

}  // namespace Gfx
}  // namespace Nimbra
