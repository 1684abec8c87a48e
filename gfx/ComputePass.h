#pragma once
// One dispatch of a compute shader over shader-resource inputs and unordered-access outputs.
#include "core/GrowArray.h"
#include "gfx/Bindings.h"
#include "gfx/PassSchedule.h"
#include "gfx/PassSetUp.h"
#include "gfx/PassSlots.h"
#include "gfx/ShaderDesc.h"
#include "gfx/ShaderProgram.h"

#include <cstdint>
#include <vector>

namespace Nimbra {
namespace Gfx {

struct ComputePassDesc : ShaderDesc {
    uint32_t sizeX = 8;  // work size; the shaders run 8 threads a group on each axis
    uint32_t sizeY = 8;
    uint32_t sizeZ = 0;
    int32_t enableMode = EnableAlways;
    float startTime = 0.0f;
    float endTime = 100000.0f;
    GrowArray<ResourceBinding> outputs;  // u(inputs.count + j)
    GrowArray<ResourceBinding> inputs;   // t(i)

    // Frees the strings and lists (a consumed description).
    void releaseContents();
};

class ComputePass : public ComputePassDesc
{
public:
    ComputePass() = default;
    ComputePass(const ComputePass&) = delete;
    ComputePass& operator=(const ComputePass&) = delete;

    // Copies and consumes the description and creates the shader; always true (a shader the
    // device refuses leaves the pass skipped).
    bool initialize(ComputePassDesc& desc);
    // Does nothing when the compute shader is missing.
    void execute(const void* constantData, uint32_t constantSize);

    // The compute stage, with what the pass binds at each register.
    std::vector<PassStage> stages();

    ShaderProgram program;
};

}  // namespace Gfx
}  // namespace Nimbra
