#pragma once
// Where demo-sync's compiled programs go: the presentation's passes, through a ProgramSwap made
// when the first program arrives (the player exists only after start-up). Making runs on the
// compile thread and swapping in on the frame thread; the two never overlap. Windows only.
#include "app/Presentation.h"
#include "app/live/ShaderCompiler.h"
#include "gfx/live/ProgramSwap.h"

#include <memory>
#include <mutex>

namespace Nimbra {

class PassMaker : public ProgramMaker
{
public:
    explicit PassMaker(Presentation& presentation) : presentation(presentation) {}

    std::unique_ptr<Made> make(const std::string& program, const std::vector<uint8_t>& bytecode,
                               std::string& why) override;
    void swapIn(Made& made) override;

private:
    Gfx::ProgramSwap& swap();

    Presentation& presentation;
    std::mutex mutex;  // over the swap and what it reads of the passes
    std::unique_ptr<Gfx::ProgramSwap> programs;
};

}  // namespace Nimbra
