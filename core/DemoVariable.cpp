#include "core/DemoVariable.h"

#include <cstring>

namespace Nimbra {

uint32_t variableTypeSize(int32_t type)
{
    switch (static_cast<VariableType>(type)) {
    case VariableType::Float2: return 8;
    case VariableType::Float3: return 12;
    case VariableType::Float4: return 16;
    default: return 4;
    }
}

DemoVariable makeDemoVariable(const char* name, VariableType type, float v0, float v1, float v2, float v3)
{
    DemoVariable variable;
    std::memset(&variable, 0, sizeof variable);
    size_t length = std::strlen(name);
    if (length > variableNameSize - 1)
        length = variableNameSize - 1;
    std::memcpy(variable.name, name, length);
    variable.type = static_cast<int32_t>(type);
    variable.value[0] = v0;
    variable.value[1] = v1;
    variable.value[2] = v2;
    variable.value[3] = v3;
    return variable;
}

}  // namespace Nimbra
