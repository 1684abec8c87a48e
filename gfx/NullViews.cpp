#include "gfx/NullViews.h"

namespace Nimbra {
namespace Gfx {

ID3D11ShaderResourceView* const nullShaderResources[inputRegisterCount] = {};
ID3D11UnorderedAccessView* const nullUnorderedAccess[unorderedRegisterCount] = {};
ID3D11RenderTargetView* const nullRenderTargets[renderTargetCount] = {};

}  // namespace Gfx
}  // namespace Nimbra
