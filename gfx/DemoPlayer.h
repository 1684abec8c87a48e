#pragma once
// Owns one presentation's variables, resources and passes, and renders a frame of it.
#include "core/DemoVariable.h"
#include "core/GrowArray.h"
#include "core/IdMap.h"
#include "gfx/ComputePass.h"
#include "gfx/DrawPass.h"
#include "gfx/Resource.h"
#include "gfx/VariableBlock.h"

#include <cstdint>

namespace Nimbra {
namespace Gfx {

enum PassKind : int32_t {
    ComputePassKind = 0,
    DrawPassKind = 1,
};

struct PassEntry {
    int32_t kind = DrawPassKind;  // ComputePassKind or DrawPassKind; others are skipped
    void* pass = nullptr;         // a ComputePass or a DrawPass, by kind
};

// Told where each pass of a frame ends, in list order (the capture puts a GPU timestamp there).
class PassObserver
{
public:
    virtual ~PassObserver() = default;
    virtual void passesBegin() = 0;
    virtual void passDone(uint32_t index) = 0;  // index into DemoPlayer::passes, run or skipped
    virtual void passesEnd() = 0;
};

class DemoPlayer
{
public:
    DemoPlayer() = default;
    DemoPlayer(const DemoPlayer&) = delete;
    DemoPlayer& operator=(const DemoPlayer&) = delete;

    // Adds the screen-sized texture and the final copy pass that brings `output` into it.
    // Called once, after the content has been built.
    bool initialize();
    // Runs every enabled pass with this frame's constant data and returns `output`.
    Resource* render(PassObserver* observer = nullptr);
    // The bytes render uploads at b8: the ContextBuffer and the packed variables, padded.
    uint32_t constantBytes() const;

    GrowArray<DemoVariable> variables;
    GrowArray<uint64_t> reservedListA;  // never filled or read
    GrowArray<uint64_t> reservedListB;  // never filled or read
    int32_t reservedValue = 1;          // never read
    IdMap<Resource> resources;
    IdMap<DrawPass> drawPasses;
    IdMap<ComputePass> computePasses;
    Resource* output = nullptr;
    GrowArray<PassEntry> passes;
    bool firstFrame = false;  // true from the end of construction until the first render
    VariableBlock variableBlock;
};

}  // namespace Gfx
}  // namespace Nimbra
