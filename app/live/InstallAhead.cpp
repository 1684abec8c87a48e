#include "app/live/InstallAhead.h"

namespace Nimbra {

void InstallAhead::prepare(const std::string& program, const std::vector<uint8_t>& bytecode)
{
    std::lock_guard<std::mutex> lock(mutex);
    ahead = std::make_unique<Ahead>();
    ahead->program = program;
    ahead->bytecode = bytecode;
    ahead->made = maker.make(program, bytecode, ahead->why);
}

bool InstallAhead::install(const std::string& program, const std::vector<uint8_t>& bytecode, std::string& why)
{
    std::lock_guard<std::mutex> lock(mutex);
    std::unique_ptr<Ahead> taken = std::move(ahead);  // once: what is made ahead is for one install
    if (!taken || taken->program != program || taken->bytecode != bytecode) {
        taken = std::make_unique<Ahead>();
        taken->made = maker.make(program, bytecode, taken->why);
    }
    if (!taken->made) {
        why = taken->why;
        return false;
    }
    maker.swapIn(*taken->made);
    return true;
}

}  // namespace Nimbra
