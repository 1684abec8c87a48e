#pragma once
// Compiler messages, one each, with the place they name, whichever compiler wrote them:
//   vkd3d-compiler        /src/combinePS.hlsl:19:30: E5017: Aborting due to ...
//   D3DCompile and fxc    C:\src\combinePS.hlsl(19,30-40): error X3000: syntax error ...
// The message's code is left out; a line that names no place is kept as it is; blank lines are dropped.
#include <cstdint>
#include <string>
#include <vector>

namespace Nimbra {

struct CompilerMessage {
    std::string file;  // empty when the line names no place
    uint32_t line = 0;
    std::string text;

    bool operator==(const CompilerMessage& other) const
    {
        return file == other.file && line == other.line && text == other.text;
    }
};

std::vector<CompilerMessage> compilerMessages(const std::string& output);

}  // namespace Nimbra
