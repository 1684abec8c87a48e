#include "app/live/ProgramStage.h"

namespace Nimbra {

bool programStage(const std::string& program, ProgramStage& stage)
{
    static const struct {
        const char* suffix;
        ProgramStage stage;
    } stages[] = {{"VS", {"vs_5_0", "vertex_main"}},
                  {"PS", {"ps_5_0", "pixel_main"}},
                  {"CS", {"cs_5_0", "kernel_main"}}};
    if (program.size() < 3)
        return false;
    for (const auto& known : stages)
        if (program.compare(program.size() - 2, 2, known.suffix) == 0) {
            stage = known.stage;
            return true;
        }
    return false;
}

}  // namespace Nimbra
