#pragma once
// The stage a program's name picks, as the build compiles it: NAME ending in VS is vertex_main for
// vs_5_0, in PS pixel_main for ps_5_0, in CS kernel_main for cs_5_0.
#include <string>

namespace Nimbra {

struct ProgramStage {
    const char* profile;
    const char* entry;
};

// False when the name ends in none of VS, PS and CS.
bool programStage(const std::string& program, ProgramStage& stage);

}  // namespace Nimbra
