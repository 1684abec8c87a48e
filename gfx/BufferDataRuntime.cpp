#include "gfx/BufferDataRuntime.h"

#include "gfx/NumberFile.h"

#include <cstdlib>
#include <cstring>

namespace Nimbra {
namespace Gfx {

bool BufferDataRuntime::create(const BufferDataDesc& desc)
{
    elementType = desc.elementType;
    std::memcpy(path, desc.path, sizeof path);
    path[pathCapacity - 1] = '\0';
    data = desc.data;
    count = desc.count;
    if (data == nullptr)
        loadFromFile();

    constantBuffer = false;
    stride = static_cast<int32_t>(elementSize(elementType));
    // A count beyond int32 cannot be a buffer; saturating makes Direct3D refuse it.
    countX = count > static_cast<uint32_t>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(count);
    countY = 1;
    countZ = 1;
    initialData = data;
    doubleBuffered = false;
    createGpuObjects();
    return true;
}

bool BufferDataRuntime::create(const void* desc, bool)
{
    return create(*static_cast<const BufferDataDesc*>(desc));
}

void BufferDataRuntime::loadFromFile()
{
    void* parsed = nullptr;
    uint32_t parsedCount = 0;
    if (!loadNumberFile(path, elementType, parsed, parsedCount))
        return;
    std::free(ownedData);
    ownedData = parsed;
    data = parsed;
    count = parsedCount;
}

bool BufferDataRuntime::release()
{
    if (ownedData != nullptr) {
        std::free(ownedData);
        ownedData = nullptr;
        data = nullptr;
        initialData = nullptr;
    }
    return BufferRuntime::release();
}

}  // namespace Gfx
}  // namespace Nimbra
