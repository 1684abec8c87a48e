#pragma once
// Compiler messages as one "file:line: message" line each, whichever compiler wrote them:
//   vkd3d-compiler        /src/combinePS.hlsl:19:30: E5017: Aborting due to ...
//   D3DCompile and fxc    C:\src\combinePS.hlsl(19,30-40): error X3000: syntax error ...
// A line that names no place is kept as it is; blank lines are dropped.
#include <string>
#include <vector>

namespace Nimbra {

std::vector<std::string> compilerMessages(const std::string& output);

}  // namespace Nimbra
