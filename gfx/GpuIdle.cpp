#include "gfx/GpuIdle.h"

#include <windows.h>

namespace Nimbra::Gfx {

void waitForGpuIdle(ID3D11Device* device, ID3D11DeviceContext* context, uint32_t limitMs)
{
    if (!device || !context)
        return;
    D3D11_QUERY_DESC desc = {};
    desc.Query = D3D11_QUERY_EVENT;
    ID3D11Query* done = nullptr;
    if (FAILED(device->CreateQuery(&desc, &done)) || !done)
        return;
    context->End(done);
    context->Flush();
    BOOL finished = FALSE;
    const DWORD start = GetTickCount();
    while (context->GetData(done, &finished, sizeof(finished), 0) == S_FALSE && GetTickCount() - start < limitMs)
        Sleep(1);
    done->Release();
}

}  // namespace Nimbra::Gfx
