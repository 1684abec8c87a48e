#pragma once
// One instanced draw without vertex buffers into one or more texture targets.
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

enum BlendMode : int32_t {
    BlendAdd = 0,          // one + one
    BlendAlpha = 1,        // alpha over, alpha accumulates towards opaque
    BlendAlphaKeep = 2,    // alpha over, the source's alpha replaces the target's
    BlendMultiplyInv = 3,  // darkens by the source colour
};

enum Topology : int32_t {
    PointList = 0,
    LineList = 1,
    LineStrip = 2,
    TriangleList = 3,
    TriangleStrip = 4,
};

struct DrawPassDesc : ShaderDesc {
    float clearColor[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    bool clear = true;      // clear the targets (and the depth target) before drawing
    bool useDepth = false;  // bind depthTarget's depth view
    bool cullBack = false;  // false culls nothing
    bool blend = false;
    int32_t blendMode = BlendAdd;
    int32_t topology = TriangleList;
    uint32_t vertexCount = 3;
    uint32_t instanceCount = 1;
    int32_t enableMode = EnableAlways;
    float startTime = 0.0f;
    float endTime = 100000.0f;
    GrowArray<TargetBinding> targets;
    Resource* depthTarget = nullptr;  // a texture of a depth format
    bool reservedDepthFlag = true;    // carried, never read
    GrowArray<ResourceBinding> inputs;

    // Frees the strings and lists (a consumed description).
    void releaseContents();
};

class DrawPass : public DrawPassDesc
{
public:
    DrawPass() = default;
    DrawPass(const DrawPass&) = delete;
    DrawPass& operator=(const DrawPass&) = delete;

    // Copies and consumes the description and creates the shaders; always true (a shader the
    // device refuses leaves the pass skipped).
    bool initialize(DrawPassDesc& desc);
    // `constantData` holds `constantSize` bytes: the ContextBuffer and the packed variables.
    // Does nothing when either shader is missing.
    void execute(const void* constantData, uint32_t constantSize);

    // The vertex and the pixel stage, each with what the pass binds at each register.
    std::vector<PassStage> stages();

    ShaderProgram program;
};

}  // namespace Gfx
}  // namespace Nimbra
