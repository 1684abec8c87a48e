#pragma once
// The description of an ordinary 2D texture: one mip level, one layer, no multisampling. Used by
// the capture's frame target and the shader tests; the content's own textures follow
// TextureRuntime's description instead.
#include <d3d11.h>

namespace Nimbra {
namespace Gfx {

inline D3D11_TEXTURE2D_DESC plainTextureDesc(UINT width, UINT height, DXGI_FORMAT format, UINT bindFlags,
                                             D3D11_USAGE usage = D3D11_USAGE_DEFAULT)
{
    D3D11_TEXTURE2D_DESC desc = {};
    desc.Width = width;
    desc.Height = height;
    desc.MipLevels = 1;
    desc.ArraySize = 1;
    desc.Format = format;
    desc.SampleDesc.Count = 1;
    desc.Usage = usage;
    desc.BindFlags = bindFlags;
    return desc;
}

}  // namespace Gfx
}  // namespace Nimbra
