#pragma once
// The 64 animatable variables of the presentation with the values they are registered with.
// Curve i of the timeline drives variable i.

#include <cstdint>

namespace Nimbra {

struct ContentVariable {
    const char* name;
    float defaultValue;
};

constexpr uint32_t contentVariableCount = 64;

extern const ContentVariable contentVariables[contentVariableCount];

} // namespace Nimbra
