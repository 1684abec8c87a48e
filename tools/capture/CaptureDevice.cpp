#include "tools/capture/CaptureDevice.h"

#include <dxgi.h>

namespace Nimbra {

CaptureDevice createCaptureDevice(const CaptureDeviceRequest& request)
{
    static const D3D_FEATURE_LEVEL levels[] = {D3D_FEATURE_LEVEL_11_0, D3D_FEATURE_LEVEL_10_1, D3D_FEATURE_LEVEL_10_0};
    const UINT levelCount = request.lowerLevels ? 3 : 1;
    CaptureDevice made;
    UINT flags = request.debugLayer ? D3D11_CREATE_DEVICE_DEBUG : 0;
    HRESULT result = request.create(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, flags, levels, levelCount,
                                    D3D11_SDK_VERSION, &made.device, &made.level, &made.context);
    if (result == DXGI_ERROR_SDK_COMPONENT_MISSING && request.debugLayer) {
        made.debugLayer = DebugLayer::Missing;
        flags = 0;
        result = request.create(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, flags, levels, levelCount,
                                D3D11_SDK_VERSION, &made.device, &made.level, &made.context);
    } else if (request.debugLayer) {
        made.debugLayer = DebugLayer::On;
    }
    if (FAILED(result)) {
        made.device = nullptr;
        made.context = nullptr;
    }
    return made;
}

uint32_t highestFeatureLevel(CreateDeviceFunction create)
{
    static const D3D_FEATURE_LEVEL levels[] = {D3D_FEATURE_LEVEL_12_1, D3D_FEATURE_LEVEL_12_0, D3D_FEATURE_LEVEL_11_1,
                                               D3D_FEATURE_LEVEL_11_0, D3D_FEATURE_LEVEL_10_1, D3D_FEATURE_LEVEL_10_0};
    // The lists from 12_1, from 11_1 and from 11_0.
    for (const UINT first : {0u, 2u, 3u}) {
        D3D_FEATURE_LEVEL level = {};
        const HRESULT result =
            create(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, levels + first,
                   UINT(sizeof levels / sizeof levels[0]) - first, D3D11_SDK_VERSION, nullptr, &level, nullptr);
        if (result != E_INVALIDARG)
            return SUCCEEDED(result) ? uint32_t(level) : 0;
    }
    return 0;
}

std::string debugLayerNote(DebugLayer layer)
{
    switch (layer) {
    case DebugLayer::On: return "debug layer: the device was made with it";
    case DebugLayer::Missing:
        return "debug layer: not installed (DXGI_ERROR_SDK_COMPONENT_MISSING); going on without it. "
               "Windows installs it as the optional feature \"Graphics Tools\"";
    default: return "debug layer: off";
    }
}

}  // namespace Nimbra
