#pragma once
// Precompiled shader bytecode for a pass, with the entry names it was compiled from.
#include "core/GrowString.h"

#include <cstdint>

namespace Nimbra {
namespace Gfx {

enum ShaderKind : int32_t
{
    VertexPixelShaders = 0,
    ComputeShader = 1,
};

struct ShaderDesc
{
    int32_t kind = VertexPixelShaders; // set by the pass, not by the caller
    GrowString vertexEntry{"vertex_main"};
    GrowString pixelEntry{"pixel_main"};
    GrowString kernelEntry{"kernel_main"};
    GrowString reservedEntry;             // carried, never read
    const void* reservedPointer = nullptr; // carried, never read
    const void* vertexCode = nullptr;      // DXBC, not owned
    const void* pixelCode = nullptr;
    const void* kernelCode = nullptr;
    uint32_t vertexCodeSize = 0;
    uint32_t pixelCodeSize = 0;
    uint32_t kernelCodeSize = 0;

    // Frees the four strings (a consumed description).
    void releaseStrings()
    {
        vertexEntry.release();
        pixelEntry.release();
        kernelEntry.release();
        reservedEntry.release();
    }
};

} // namespace Gfx
} // namespace Nimbra
