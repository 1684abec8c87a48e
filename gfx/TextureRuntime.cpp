#include "gfx/TextureRuntime.h"

#include "gfx/frame/GraphicsContext.h"

#include <algorithm>

namespace Nimbra {
namespace Gfx {

namespace {

constexpr DXGI_FORMAT dxgiFormats[textureFormatCount] = {
    DXGI_FORMAT_R32_FLOAT,           // R32Float
    DXGI_FORMAT_R8G8B8A8_UNORM,      // Rgba8Unorm
    DXGI_FORMAT_B8G8R8A8_UNORM,      // Bgra8Unorm
    DXGI_FORMAT_R16G16B16A16_FLOAT,  // Rgba16Float
    DXGI_FORMAT_R32G32B32A32_FLOAT,  // Rgba32Float
    DXGI_FORMAT_D24_UNORM_S8_UINT,   // Depth24Stencil8
    DXGI_FORMAT_D32_FLOAT,           // Depth32Float
    DXGI_FORMAT_R32_UINT,            // R32Uint
};

UINT atLeastOne(int32_t extent)
{
    return static_cast<UINT>(std::max(extent, 1));
}

}  // namespace

DXGI_FORMAT dxgiFormatOf(int32_t format)
{
    if (format < 0 || format >= textureFormatCount)
        return DXGI_FORMAT_UNKNOWN;
    return dxgiFormats[format];
}

bool TextureRuntime::create(const TextureDesc& desc, bool doubleBuffered_)
{
    dimension = desc.dimension;
    width = desc.width;
    height = desc.height;
    depth = desc.depth;
    fixedSize = desc.fixedSize;
    scale = desc.scale;
    mips = desc.mips;
    format = desc.format;
    reservedA = desc.reservedA;
    reservedB = desc.reservedB;
    doubleBuffered = doubleBuffered_;
    return createGpuObjects();
}

bool TextureRuntime::create(const void* desc, bool doubleBuffered_)
{
    return create(*static_cast<const TextureDesc*>(desc), doubleBuffered_);
}

ID3D11Resource* TextureRuntime::createTexture(uint32_t mipLevels) const
{
    ID3D11Device* device = graphicsContext.device;
    const DXGI_FORMAT fmt = dxgiFormatOf(format);
    const bool generate = mipLevels > 1;
    // 1D and 3D textures are only drawn into when GenerateMips needs it.
    UINT computeBinds = D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_UNORDERED_ACCESS;
    if (generate)
        computeBinds |= D3D11_BIND_RENDER_TARGET;
    const UINT miscFlags = generate ? UINT(D3D11_RESOURCE_MISC_GENERATE_MIPS) : 0u;

    if (dimension == Texture1D) {
        D3D11_TEXTURE1D_DESC desc = {};
        desc.Width = atLeastOne(width);
        desc.MipLevels = mipLevels;
        desc.ArraySize = 1;
        desc.Format = fmt;
        desc.Usage = D3D11_USAGE_DEFAULT;
        desc.BindFlags = computeBinds;
        desc.MiscFlags = miscFlags;
        ID3D11Texture1D* created = nullptr;
        device->CreateTexture1D(&desc, nullptr, &created);
        return created;
    }
    if (dimension == Texture2D) {
        D3D11_TEXTURE2D_DESC desc = {};
        desc.Width = atLeastOne(width);
        desc.Height = atLeastOne(height);
        desc.MipLevels = mipLevels;
        desc.ArraySize = 1;
        desc.Format = fmt;
        desc.SampleDesc.Count = 1;
        desc.Usage = D3D11_USAGE_DEFAULT;
        desc.BindFlags = isDepthFormat(format)
                             ? D3D11_BIND_DEPTH_STENCIL
                             : D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_RENDER_TARGET | D3D11_BIND_UNORDERED_ACCESS;
        desc.MiscFlags = miscFlags;
        ID3D11Texture2D* created = nullptr;
        device->CreateTexture2D(&desc, nullptr, &created);
        return created;
    }
    if (dimension == Texture3D) {
        D3D11_TEXTURE3D_DESC desc = {};
        desc.Width = atLeastOne(width);
        desc.Height = atLeastOne(height);
        desc.Depth = atLeastOne(depth);
        desc.MipLevels = mipLevels;
        desc.Format = fmt;
        desc.Usage = D3D11_USAGE_DEFAULT;
        desc.BindFlags = computeBinds;
        desc.MiscFlags = miscFlags;
        ID3D11Texture3D* created = nullptr;
        device->CreateTexture3D(&desc, nullptr, &created);
        return created;
    }
    return nullptr;
}

void TextureRuntime::createViews(int index, uint32_t mipLevels)
{
    ID3D11Device* device = graphicsContext.device;
    ID3D11Resource* target = texture[index];
    if (target == nullptr)
        return;
    const DXGI_FORMAT fmt = dxgiFormatOf(format);

    D3D11_UNORDERED_ACCESS_VIEW_DESC uavDesc = {};
    uavDesc.Format = fmt;
    D3D11_SHADER_RESOURCE_VIEW_DESC srvDesc = {};
    srvDesc.Format = fmt;
    if (dimension == Texture1D) {
        uavDesc.ViewDimension = D3D11_UAV_DIMENSION_TEXTURE1D;
        uavDesc.Texture1D.MipSlice = 0;
        srvDesc.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE1D;
        srvDesc.Texture1D.MipLevels = mipLevels;
    } else if (dimension == Texture2D) {
        uavDesc.ViewDimension = D3D11_UAV_DIMENSION_TEXTURE2D;
        uavDesc.Texture2D.MipSlice = 0;
        srvDesc.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2D;
        srvDesc.Texture2D.MipLevels = mipLevels;
    } else {
        uavDesc.ViewDimension = D3D11_UAV_DIMENSION_TEXTURE3D;
        uavDesc.Texture3D.MipSlice = 0;
        uavDesc.Texture3D.FirstWSlice = 0;
        uavDesc.Texture3D.WSize = static_cast<UINT>(depth);
        srvDesc.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE3D;
        srvDesc.Texture3D.MipLevels = mipLevels;
    }
    device->CreateUnorderedAccessView(target, &uavDesc, &uavs[index]);
    device->CreateShaderResourceView(target, &srvDesc, &srvs[index]);

    if (dimension == Texture2D) {
        D3D11_RENDER_TARGET_VIEW_DESC rtvDesc = {};
        rtvDesc.Format = fmt;
        rtvDesc.ViewDimension = D3D11_RTV_DIMENSION_TEXTURE2D;
        rtvDesc.Texture2D.MipSlice = 0;
        device->CreateRenderTargetView(target, &rtvDesc, &rtvs[index]);
    }
}

bool TextureRuntime::createGpuObjects()
{
    if (dimension < Texture1D || dimension > Texture3D)
        return true;  // no such texture: everything stays null
    const uint32_t mipLevels = mipLevelCount(dimension, width, height, depth, mips, format);
    texture[0] = createTexture(mipLevels);
    if (doubleBuffered)
        texture[1] = createTexture(mipLevels);

    if (isDepthFormat(format)) {
        // Depth textures are only ever depth targets: one view of the first texture.
        if (texture[0] != nullptr) {
            D3D11_DEPTH_STENCIL_VIEW_DESC dsvDesc = {};
            dsvDesc.Format = dxgiFormatOf(format);
            dsvDesc.ViewDimension = D3D11_DSV_DIMENSION_TEXTURE2D;
            dsvDesc.Texture2D.MipSlice = 0;
            graphicsContext.device->CreateDepthStencilView(texture[0], &dsvDesc, &depthView);
        }
        return true;
    }
    createViews(0, mipLevels);
    if (doubleBuffered)
        createViews(1, mipLevels);
    return true;
}

bool TextureRuntime::release()
{
    releaseAndClear(texture[0]);
    releaseAndClear(uavs[0]);
    releaseAndClear(srvs[0]);
    releaseAndClear(rtvs[0]);
    releaseAndClear(depthView);
    releaseAndClear(texture[1]);
    releaseAndClear(uavs[1]);
    releaseAndClear(srvs[1]);
    releaseAndClear(rtvs[1]);
    return true;
}

ID3D11Resource* TextureRuntime::resource(bool readSide)
{
    return texture[side(readSide)];
}

ID3D11UnorderedAccessView* TextureRuntime::uav(bool readSide)
{
    return uavs[side(readSide)];
}

ID3D11ShaderResourceView* TextureRuntime::srv(bool readSide)
{
    return srvs[side(readSide)];
}

ID3D11RenderTargetView* TextureRuntime::rtv(bool readSide)
{
    return rtvs[side(readSide)];
}

ID3D11DepthStencilView* TextureRuntime::dsv()
{
    return depthView;
}

void TextureRuntime::upload(const void* pixels, int32_t width_, int32_t height_, uint8_t bytesPerPixel)
{
    if (texture[0] == nullptr)
        return;
    D3D11_BOX box = {};
    box.right = static_cast<UINT>(width_);
    box.bottom = static_cast<UINT>(height_);
    box.back = 1;
    graphicsContext.context->UpdateSubresource(texture[0], 0, &box, pixels, static_cast<UINT>(width_) * bytesPerPixel,
                                               0);
}

void TextureRuntime::generateMips()
{
    if (!mips)
        return;
    if (srvs[0] != nullptr)
        graphicsContext.context->GenerateMips(srvs[0]);
    if (srvs[1] != nullptr)
        graphicsContext.context->GenerateMips(srvs[1]);
}

}  // namespace Gfx
}  // namespace Nimbra
