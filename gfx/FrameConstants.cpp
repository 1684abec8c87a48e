#include "gfx/FrameConstants.h"

namespace Nimbra {
namespace Gfx {

BufferRuntime frameConstants;

void refreshFrameConstants(const void* data, uint32_t size)
{
    if (frameConstants.buffer[0] == nullptr || frameConstantsDesc.stride != static_cast<int32_t>(size)) {
        frameConstantsDesc.stride = static_cast<int32_t>(size);
        frameConstantsDesc.constantBuffer = true;
        frameConstants.release();
        frameConstants.create(frameConstantsDesc, false);
    }
    if (frameConstants.buffer[0] != nullptr)
        graphicsContext.context->UpdateSubresource(frameConstants.buffer[0], 0, nullptr, data, 0, 0);
}

} // namespace Gfx
} // namespace Nimbra
