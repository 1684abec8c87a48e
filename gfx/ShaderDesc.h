#pragma once
// Precompiled shader bytecode for a pass, with the entry names it was compiled from.
#include "core/GrowString.h"

#include <cstdint>

namespace Nimbra {
namespace Gfx {

enum ShaderKind : int32_t {
    VertexPixelShaders = 0,
    ComputeShader = 1,
};

// The stages of a pass: what it binds its constants and inputs in, and which program it runs.
enum PassStages : uint32_t {
    VertexStage = 1,
    PixelStage = 2,
    ComputeStage = 4,
};

struct ShaderDesc {
    int32_t kind = VertexPixelShaders;  // set by the pass, not by the caller
    GrowString vertexEntry{"vertex_main"};
    GrowString pixelEntry{"pixel_main"};
    GrowString kernelEntry{"kernel_main"};
    GrowString reservedEntry;               // carried, never read
    const void* reservedPointer = nullptr;  // carried, never read
    const void* vertexCode = nullptr;       // DXBC, not owned
    const void* pixelCode = nullptr;
    const void* kernelCode = nullptr;
    uint32_t vertexCodeSize = 0;
    uint32_t pixelCodeSize = 0;
    uint32_t kernelCodeSize = 0;
    // The name of the program at each stage (the content's, as the live shaders know it); null
    // when it has none. Not owned.
    const char* vertexProgram = nullptr;
    const char* pixelProgram = nullptr;
    const char* kernelProgram = nullptr;

    // The name recorded for `stage`, null for none.
    const char* programName(uint32_t stage) const
    {
        return stage == VertexStage    ? vertexProgram
               : stage == PixelStage   ? pixelProgram
               : stage == ComputeStage ? kernelProgram
                                       : nullptr;
    }

    // The bytecode of `stage` and its size; null and 0 for none.
    const void* code(uint32_t stage) const
    {
        return stage == VertexStage    ? vertexCode
               : stage == PixelStage   ? pixelCode
               : stage == ComputeStage ? kernelCode
                                       : nullptr;
    }
    uint32_t codeSize(uint32_t stage) const
    {
        return stage == VertexStage    ? vertexCodeSize
               : stage == PixelStage   ? pixelCodeSize
               : stage == ComputeStage ? kernelCodeSize
                                       : 0;
    }

    // Points the bytecode of `stage` at `code`.
    void setCode(uint32_t stage, const void* code, uint32_t size)
    {
        if (stage == VertexStage) {
            vertexCode = code;
            vertexCodeSize = size;
        } else if (stage == PixelStage) {
            pixelCode = code;
            pixelCodeSize = size;
        } else if (stage == ComputeStage) {
            kernelCode = code;
            kernelCodeSize = size;
        }
    }

    // Frees the four strings (a consumed description).
    void releaseStrings()
    {
        vertexEntry.release();
        pixelEntry.release();
        kernelEntry.release();
        reservedEntry.release();
    }
};

}  // namespace Gfx
}  // namespace Nimbra
