#pragma once
// The programs a DemoPlayer's passes run, known by name, and their replacement while it runs:
// a new program goes into every pass that runs the old one, or into none when it does not fit
// one of them (see programFits). The frame-constant layout new programs must keep is the one
// the player's own programs declare at b8.
#include "gfx/DemoPlayer.h"
#include "gfx/live/ProgramInterface.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Nimbra {
namespace Gfx {

struct NamedProgram {
    const char* name;
    const void* code;
    uint32_t size;
};

class ProgramSwap
{
public:
    // Finds the passes built with each program's bytecode and reads every program's interface.
    ProgramSwap(DemoPlayer& player, const std::vector<NamedProgram>& programs);
    ProgramSwap(const ProgramSwap&) = delete;
    ProgramSwap& operator=(const ProgramSwap&) = delete;

    // False, with the reason, when the program is unknown, runs in no pass, cannot be read,
    // does not fit a pass or the device refuses it; the passes then keep what they run.
    bool replace(const std::string& name, const std::vector<uint8_t>& bytecode, std::string& why);

    // The passes that run `name`, for the tests.
    size_t passesRunning(const std::string& name) const;

private:
    struct Program {
        std::string name;
        std::vector<uint8_t> code;  // what the passes run now, once replaced
        ProgramInterface described;
        std::vector<PassEntry> uses;
    };

    Program* find(const std::string& name);
    Program* partnerOf(const Program& program, const PassEntry& use);
    PassOffer offerOf(const Program& program, const PassEntry& use);

    std::vector<Program> programs;
    std::vector<ConstantField> frameLayout;
    uint32_t frameBytes = 0;
};

} // namespace Gfx
} // namespace Nimbra
