#pragma once
// The one constant buffer every pass binds at b8 (frameConstantsRegister): the frame's
// ContextBuffer followed by the packed variable values.
#include "gfx/frame/GraphicsContext.h"
#include "gfx/frame/ShaderRegisters.h"
#include "gfx/BufferRuntime.h"

#include <cstdint>

namespace Nimbra {
namespace Gfx {

extern BufferRuntime frameConstants;
// What `frameConstants` is created from; only refreshFrameConstants writes it.
extern BufferDesc frameConstantsDesc;

// Creates the buffer at `size` bytes when it is missing or has another size (the constant data
// keeps its size from frame to frame, so that is once), then uploads all of `data`.
void refreshFrameConstants(const void* data, uint32_t size);

}  // namespace Gfx
}  // namespace Nimbra
