#include "gfx/FrameConstants.h"

namespace Nimbra {
namespace Gfx {

BufferRuntime frameConstants;
BufferDesc frameConstantsDesc;

void refreshFrameConstants(const void* data, uint32_t size)
{
    const int32_t wanted = static_cast<int32_t>(size);
    // The buffer's own size decides: the upload would read past the end of `data` into a larger
    // buffer.
    if (frameConstants.buffer[0] == nullptr || frameConstants.stride != wanted) {
        frameConstantsDesc.stride = wanted;
        frameConstantsDesc.constantBuffer = true;
        frameConstantsDesc.countX = 1;
        frameConstants.release();
        frameConstants.create(frameConstantsDesc, false);
    }
    if (frameConstants.buffer[0] != nullptr)
        graphicsContext.context->UpdateSubresource(frameConstants.buffer[0], 0, nullptr, data, 0, 0);
}

}  // namespace Gfx
}  // namespace Nimbra
