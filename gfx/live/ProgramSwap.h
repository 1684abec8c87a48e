#pragma once
// The programs a DemoPlayer's passes run, by recorded name, and their replacement while it runs: a new program goes
// into every pass running the old one, or into none if it fails programFits for one. It must keep the b8 layout.
#include "gfx/DemoPlayer.h"
#include "gfx/live/ProgramInterface.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Nimbra {
namespace Gfx {

class ProgramSwap
{
public:
    // Reads the interface of every named program the player's passes run.
    explicit ProgramSwap(DemoPlayer& player);
    ProgramSwap(const ProgramSwap&) = delete;
    ProgramSwap& operator=(const ProgramSwap&) = delete;

    // False, with the reason, when the program is unknown, runs in no pass, cannot be read,
    // does not fit a pass or the device refuses it; the passes then keep what they run.
    bool replace(const std::string& name, const std::vector<uint8_t>& bytecode, std::string& why);

private:
    // One stage of one pass: a draw pass or a compute pass.
    struct Use {
        DrawPass* draw = nullptr;
        ComputePass* compute = nullptr;
        uint32_t stage = 0;
    };

    struct Program {
        std::string name;
        std::vector<uint8_t> code;      // the bytes of a replacement, which the passes point at
        const void* running = nullptr;  // what the passes run: first the bytes they were built
        uint32_t runningSize = 0;       // with, then `code`
        ProgramInterface described;
        std::vector<Use> uses;
    };

    static bool replaceAt(const Use& use, const void* code, uint32_t size);
    void note(const char* name, const void* code, uint32_t size, const Use& use);
    Program* find(const std::string& name);
    PassOffer offerOf(const Use& use);

    DemoPlayer& player;
    std::vector<Program> programs;
    std::vector<ConstantField> frameLayout;
};

}  // namespace Gfx
}  // namespace Nimbra
