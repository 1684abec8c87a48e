#include "gfx/live/ProgramSwap.h"

#include "gfx/live/ProgramReflection.h"

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
        program->running = code;
        program->runningSize = size;
        std::string why;
        if (!reflectProgram(code, size, program->described, why))
            return;  // unreadable: never replaced
    } else if (program->uses.empty()) {
        return;
    }
    program->uses.push_back(use);
}

bool ProgramSwap::replaceAt(const Use& use, const void* code, uint32_t size)
{
    return use.draw ? use.draw->replaceProgram(use.stage, code, size)
                    : use.compute->replaceProgram(use.stage, code, size);
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
    for (const Use& use : program->uses)
        if (!programFits(next, program->described, offerOf(use), frameLayout, why))
            return false;
    // The passes point at the bytes kept here.
    std::vector<uint8_t> code = bytecode;
    for (size_t i = 0; i < program->uses.size(); ++i) {
        if (!replaceAt(program->uses[i], code.data(), uint32_t(code.size()))) {
            // The passes given it already go back to what they ran.
            for (size_t j = 0; j < i; ++j)
                replaceAt(program->uses[j], program->running, program->runningSize);
            why = "the device refuses it";
            return false;
        }
    }
    program->code = std::move(code);  // the buffer moves with it: the passes' pointers hold
    program->running = program->code.data();
    program->runningSize = uint32_t(program->code.size());
    program->described = std::move(next);
    return true;
}

}  // namespace Gfx
}  // namespace Nimbra
