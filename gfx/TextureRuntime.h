#pragma once
// A 1D, 2D or 3D texture with its views; 2D textures can be drawn into.
#include "gfx/Resource.h"
#include "gfx/TextureFormat.h"

#include <cstdint>

namespace Nimbra {
namespace Gfx {

struct TextureDesc {
    int32_t dimension = Texture2D;
    int32_t width = 2;       // 0 is created as 1
    int32_t height = 2;      // 0 is created as 1
    int32_t depth = 0;       // 3D slices; 0 is created as 1
    bool fixedSize = false;  // false: width and height are already the screen size times scale
    float scale = 1.0f;
    bool mips = false;  // full mip chain, regenerated after every pass that writes it
    int32_t format = Rgba16Float;
    int32_t reservedA = 1;
    int32_t reservedB = 1;
};

// A 2D texture of this size and format without mips; the other fields keep their defaults.
inline TextureDesc textureDesc2D(int32_t width, int32_t height, int32_t format)
{
    TextureDesc desc;
    desc.width = width;
    desc.height = height;
    desc.format = format;
    return desc;
}

// The DXGI format of a TextureFormat; DXGI_FORMAT_UNKNOWN outside the table.
DXGI_FORMAT dxgiFormatOf(int32_t format);

class TextureRuntime : public Resource
{
public:
    TextureRuntime() = default;

    bool create(const TextureDesc& desc, bool doubleBuffered);

    bool create(const void* desc, bool doubleBuffered) override;
    bool createGpuObjects() override;
    bool release() override;
    ID3D11Resource* resource(bool readSide) override;
    ID3D11UnorderedAccessView* uav(bool readSide) override;
    ID3D11ShaderResourceView* srv(bool readSide) override;
    ID3D11RenderTargetView* rtv(bool readSide) override;
    ID3D11DepthStencilView* dsv() override;
    // Writes mip 0 of the first texture, whatever the parity.
    virtual void upload(const void* pixels, int32_t width, int32_t height, uint8_t bytesPerPixel);
    virtual void generateMips();

    int32_t dimension = Texture2D;
    int32_t width = 2;
    int32_t height = 2;
    int32_t depth = 0;
    bool fixedSize = false;
    float scale = 1.0f;
    bool mips = false;
    int32_t format = Rgba16Float;
    int32_t reservedA = 1;
    int32_t reservedB = 1;
    ID3D11Resource* texture[2] = {};
    ID3D11UnorderedAccessView* uavs[2] = {};
    ID3D11ShaderResourceView* srvs[2] = {};
    ID3D11RenderTargetView* rtvs[2] = {};
    ID3D11DepthStencilView* depthView = nullptr;  // depth formats only, of texture[0]

private:
    ID3D11Resource* createTexture(uint32_t mipLevels) const;
    void createViews(int index, uint32_t mipLevels);
};

}  // namespace Gfx
}  // namespace Nimbra
