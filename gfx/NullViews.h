#pragma once
// Shared arrays of null views that passes unbind their registers with. Their lengths are the
// register counts of feature level 11_0; a pass binds nothing beyond them.
#include <d3d11.h>

#include <cstdint>

namespace Nimbra {
namespace Gfx {

constexpr uint32_t inputRegisterCount = D3D11_COMMONSHADER_INPUT_RESOURCE_SLOT_COUNT;  // t0..t127
constexpr uint32_t unorderedRegisterCount = D3D11_PS_CS_UAV_REGISTER_COUNT;            // u0..u7
constexpr uint32_t renderTargetCount = D3D11_SIMULTANEOUS_RENDER_TARGET_COUNT;         // 8

extern ID3D11ShaderResourceView* const nullShaderResources[inputRegisterCount];
extern ID3D11UnorderedAccessView* const nullUnorderedAccess[unorderedRegisterCount];
extern ID3D11RenderTargetView* const nullRenderTargets[renderTargetCount];

}  // namespace Gfx
}  // namespace Nimbra
