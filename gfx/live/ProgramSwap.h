#pragma once
// The programs a DemoPlayer's passes run, by recorded name, and their replacement while it runs: a new program goes
// into every pass running the old one, or into none if it fails programFits for one. It must keep the b8 layout.
#include "gfx/DemoPlayer.h"
#include "gfx/live/ProgramInterface.h"

#include <d3d11.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Nimbra {
namespace Gfx {

// A replacement made ahead: checked against every pass that runs the program, with a shader made
// for each of them. What ProgramSwap::swapIn does not take is released with it.
class PreparedProgram
{
public:
    PreparedProgram() = default;
    ~PreparedProgram();
    PreparedProgram(const PreparedProgram&) = delete;
    PreparedProgram& operator=(const PreparedProgram&) = delete;

private:
    friend class ProgramSwap;
    std::string name;
    std::vector<uint8_t> code;
    ProgramInterface described;
    std::vector<ID3D11DeviceChild*> made;  // one for each pass that runs it, in their order
};

class ProgramSwap
{
public:
    // Reads the interface of every named program the player's passes run.
    explicit ProgramSwap(DemoPlayer& player);
    ProgramSwap(const ProgramSwap&) = delete;
    ProgramSwap& operator=(const ProgramSwap&) = delete;

    // A new program in two steps. prepare() reads, checks and makes the shaders, on any thread
    // while nothing is swapped in (the device is created free-threaded): false, with the reason,
    // when the program is unknown, runs in no pass, cannot be read, does not fit a pass or the
    // device refuses it. swapIn() puts them into the passes, on the frame thread between frames;
    // until then the passes keep what they run.
    bool prepare(const std::string& name, const std::vector<uint8_t>& bytecode, PreparedProgram& out, std::string& why);
    void swapIn(PreparedProgram& prepared);

private:
    struct Program {
        std::string name;
        std::vector<uint8_t> code;  // the bytes of a replacement, which the passes point at
        ProgramInterface described;
        std::vector<PassStage> uses;  // every stage of a pass that runs it
    };

    void note(const PassStage& use);
    Program* find(const std::string& name);
    PassOffer offerOf(const PassStage& use);

    DemoPlayer& player;
    std::vector<Program> programs;
    std::vector<ConstantField> frameLayout;
};

}  // namespace Gfx
}  // namespace Nimbra
