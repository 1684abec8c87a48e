#pragma once
// A 2D RGBA8 texture decoded from an encoded image (PNG for the content), from memory or a file.
#include "gfx/ResourcePath.h"
#include "gfx/TextureRuntime.h"

#include <cstdint>

namespace Nimbra {
namespace Gfx {

struct ImageDesc {
    char path[pathCapacity] = {};  // read when data is null
    const void* data = nullptr;    // size bytes of an encoded image; not owned
    uint32_t size = 0;
};

class ImageRuntime : public TextureRuntime
{
public:
    ImageRuntime() = default;

    // False, with nothing created, when the image cannot be read or decoded. Never
    // double-buffered.
    bool create(const ImageDesc& desc);

    bool create(const void* desc, bool doubleBuffered) override;

    char path[pathCapacity] = {};
    const void* data = nullptr;
    uint32_t size = 0;
};

}  // namespace Gfx
}  // namespace Nimbra
