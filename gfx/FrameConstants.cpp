#include "gfx/FrameConstants.h"

namespace Nimbra {
namespace Gfx {

BufferRuntime frameConstants;

void refreshFrameConstants(const void* data, uint32_t size)
{
    const int32_t wanted = static_cast<int32_t>(size);
    // The buffer's own size is checked too: the record alone could match a buffer made at
    // another size, and the upload would then read past the end of `data`.
    if (frameConstants.buffer[0] == nullptr || frameConstantsDesc.stride != wanted ||
        frameConstants.stride != wanted) {
        frameConstantsDesc.stride = wanted;
        frameConstantsDesc.constantBuffer = true;
        frameConstants.release();
        frameConstants.create(frameConstantsDesc, false);
    }
    if (frameConstants.buffer[0] != nullptr)
        graphicsContext.context->UpdateSubresource(frameConstants.buffer[0], 0, nullptr, data, 0, 0);
}

} // namespace Gfx
} // namespace Nimbra
