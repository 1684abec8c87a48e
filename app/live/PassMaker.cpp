#include "app/live/PassMaker.h"

namespace Nimbra {
namespace {

struct Prepared : ProgramMaker::Made {
    Gfx::PreparedProgram program;
};

}  // namespace

Gfx::ProgramSwap& PassMaker::swap()
{
    if (!programs)
        programs = std::make_unique<Gfx::ProgramSwap>(*presentation.timeline.player);
    return *programs;
}

std::unique_ptr<ProgramMaker::Made> PassMaker::make(const std::string& program, const std::vector<uint8_t>& bytecode,
                                                    std::string& why)
{
    std::lock_guard<std::mutex> lock(mutex);
    auto made = std::make_unique<Prepared>();
    if (!swap().prepare(program, bytecode, made->program, why))
        return nullptr;
    return made;
}

void PassMaker::swapIn(Made& made)
{
    std::lock_guard<std::mutex> lock(mutex);
    swap().swapIn(static_cast<Prepared&>(made).program);
}

}  // namespace Nimbra
