#pragma once
// A named animatable value. The main loop writes value[0] every frame; the shaders find the
// values by their position in the variable block, in the order the variables were registered.

#include <cstdint>

namespace Nimbra {

// The code is the value's byte size class in the variable block.
enum class VariableType : int32_t {
    Float = 0,   // 4 bytes
    Float2 = 1,  // 8 bytes
    Float3 = 2,  // 12 bytes
    Float4 = 3,  // 16 bytes
    Scalar = 4,  // 4 bytes, a non-float 4-byte scalar
};

constexpr uint32_t variableNameSize = 256;

struct DemoVariable {
    char name[variableNameSize];  // NUL-terminated, the rest zero
    int32_t type;                 // a VariableType code
    float value[4];               // value[0] is animated; the rest ride along for wider types
};

static_assert(sizeof(DemoVariable) == 276, "DemoVariable is packed behind the frame constants by position");

// Bytes the value takes in the variable block; unknown codes take 4 like a scalar.
uint32_t variableTypeSize(int32_t type);

// Builds a variable record: the name copied with its NUL and zero-filled (names longer than
// 255 characters are cut to 255).
DemoVariable makeDemoVariable(const char* name, VariableType type, float v0, float v1 = 0.0f, float v2 = 0.0f,
                              float v3 = 0.0f);

}  // namespace Nimbra
