#pragma once
// A program's interface read from its DXBC with D3DReflect, from the system's
// d3dcompiler_47.dll, loaded when first needed.
#include "gfx/live/ProgramInterface.h"

#include <cstddef>

namespace Nimbra {
namespace Gfx {

// False, with the reason in `why`, when the bytecode cannot be read.
bool reflectProgram(const void* bytecode, size_t size, ProgramInterface& program, std::string& why);

}  // namespace Gfx
}  // namespace Nimbra
