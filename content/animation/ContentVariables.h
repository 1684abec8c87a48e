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

// The names alone, in the same order: the tracks a sync editor is asked for and saves.
const char* const* contentVariableNames();

// The index of the content variable called `name`, or contentVariableCount when there is none.
uint32_t contentVariableIndex(const char* name);

}  // namespace Nimbra
