#pragma once
// The one constant buffer every pass binds at b8: the frame's ContextBuffer followed by the
// packed variable values.
#include "gfx/frame/GraphicsContext.h"
#include "gfx/BufferRuntime.h"

#include <cstdint>

namespace Nimbra {
namespace Gfx {

// Register b8 of every shader: the ContextBuffer.hlsli declaration binds the block there.
constexpr UINT frameConstantsSlot = 8;

extern BufferRuntime frameConstants;

// Re-creates the buffer when it is missing or the recorded size differs from `size` (the frame
// context resets the record to the header's 608 bytes every frame, so the first pass of a frame
// re-creates it at the full size) or the buffer itself has another size, then uploads all of
// `data`.
void refreshFrameConstants(const void* data, uint32_t size);

} // namespace Gfx
} // namespace Nimbra
