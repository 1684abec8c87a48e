#include "gfx/live/ProgramSwap.h"

#include "gfx/live/ProgramReflection.h"
#include "gfx/Resource.h"
#include "gfx/ShaderProgram.h"

namespace Nimbra {
namespace Gfx {

ProgramSwap::ProgramSwap(DemoPlayer& player) : player(player)
{
    const auto noteStages = [this](uint32_t, auto* pass) {
        if (pass)
            for (const PassStage& stage : pass->stages())
                note(stage);
    };
    player.drawPasses.forEach(noteStages);
    player.computePasses.forEach(noteStages);
    // The largest b8 block of the player's own programs is the layout every program keeps.
    uint32_t largest = 0;
    for (const Program& program : programs)
        if (program.described.frameConstantsSize > largest) {
            largest = program.described.frameConstantsSize;
            frameLayout = program.described.frameConstants;
        }
}

// The stage's program is known by the name its pass records, and described by the bytecode the
// pass was built from.
void ProgramSwap::note(const PassStage& use)
{
    const char* name = use.desc->programName(use.stage);
    const void* code = use.desc->code(use.stage);
    const uint32_t size = use.desc->codeSize(use.stage);
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

ProgramSwap::Program* ProgramSwap::find(const std::string& name)
{
    for (Program& program : programs)
        if (program.name == name)
            return &program;
    return nullptr;
}

PassOffer ProgramSwap::offerOf(const PassStage& use)
{
    PassOffer offer;
    static_cast<PassSlots&>(offer) = use.slots;
    offer.constantBytes = player.constantBytes();
    if (use.stage != ComputeStage) {
        const char* other = use.desc->programName(use.stage == VertexStage ? PixelStage : VertexStage);
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
    for (const PassStage& use : program->uses)
        if (!programFits(next, program->described, offerOf(use), frameLayout, why))
            return false;
    PreparedProgram made;
    made.code = bytecode;
    for (const PassStage& use : program->uses) {
        made.made.push_back(ShaderProgram::make(ShaderKind(use.program->kind), use.stage, made.code.data(),
                                                uint32_t(made.code.size())));
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
        putStageProgram(program->uses[i], prepared.made[i], prepared.code.data(), uint32_t(prepared.code.size()));
        prepared.made[i] = nullptr;
    }
    program->code = std::move(prepared.code);  // the buffer moves with it: the passes' pointers hold
    program->described = std::move(prepared.described);
}

}  // namespace Gfx
}  // namespace Nimbra
