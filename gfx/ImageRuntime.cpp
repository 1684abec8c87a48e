#include "gfx/ImageRuntime.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

#include <stb_image.h>

namespace Nimbra {
namespace Gfx {

namespace {

// Swaps rows in place so that the image's last row becomes the texture's first.
void flipRows(unsigned char* pixels, int width, int height)
{
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    for (int i = 0; i < height / 2; ++i) {
        unsigned char* top = pixels + rowBytes * static_cast<size_t>(i);
        unsigned char* bottom = pixels + rowBytes * static_cast<size_t>(height - 1 - i);
        std::swap_ranges(top, top + rowBytes, bottom);
    }
}

}  // namespace

bool ImageRuntime::create(const ImageDesc& desc)
{
    std::memcpy(path, desc.path, sizeof path);
    path[pathCapacity - 1] = '\0';
    data = desc.data;
    size = desc.size;

    int imageWidth = 0;
    int imageHeight = 0;
    int components = 0;
    unsigned char* pixels = nullptr;
    if (data != nullptr) {
        // stb_image takes an int length; larger blocks are not images we could decode anyway.
        if (size <= static_cast<uint32_t>(INT_MAX))
            pixels = stbi_load_from_memory(static_cast<const stbi_uc*>(data), static_cast<int>(size), &imageWidth,
                                           &imageHeight, &components, 4);
    } else {
        pixels = stbi_load(path, &imageWidth, &imageHeight, &components, 4);
    }
    if (pixels == nullptr)
        return false;

    TextureRuntime::create(textureDesc2D(imageWidth, imageHeight, Rgba8Unorm), false);

    flipRows(pixels, imageWidth, imageHeight);
    upload(pixels, imageWidth, imageHeight, 4);
    stbi_image_free(pixels);
    return true;
}

bool ImageRuntime::create(const void* desc, bool)
{
    return create(*static_cast<const ImageDesc*>(desc));
}

}  // namespace Gfx
}  // namespace Nimbra
