#pragma once
// demo-capture's Direct3D 11 device at feature level 11_0 (for --report the best of 11_0, 10_1, 10_0, so an older
// adapter is named, not missing). Without the debug layer (Windows lacking Graphics Tools) creation answers
// DXGI_ERROR_SDK_COMPONENT_MISSING; the device is then made without it.
#include <d3d11.h>

#include <cstdint>
#include <string>

namespace Nimbra {

// D3D11CreateDevice's signature: the call goes through this seam so that a test can answer
// as a system without the debug layer would.
using CreateDeviceFunction = HRESULT(WINAPI*)(IDXGIAdapter*, D3D_DRIVER_TYPE, HMODULE, UINT, const D3D_FEATURE_LEVEL*,
                                              UINT, UINT, ID3D11Device**, D3D_FEATURE_LEVEL*, ID3D11DeviceContext**);

enum class DebugLayer { Off, On, Missing };

struct CaptureDevice {
    ID3D11Device* device = nullptr;  // null when no device could be made
    ID3D11DeviceContext* context = nullptr;
    D3D_FEATURE_LEVEL level = D3D_FEATURE_LEVEL_11_0;
    DebugLayer debugLayer = DebugLayer::Off;
};

struct CaptureDeviceRequest {
    bool debugLayer = false;
    bool lowerLevels = false;  // accept 10_1 and 10_0 too
    CreateDeviceFunction create = D3D11CreateDevice;
};

CaptureDevice createCaptureDevice(const CaptureDeviceRequest& request);

// The highest feature level of the default adapter, up to 12_1, for the report's line only (the
// demo's device keeps 11_0): asked without making a device. A runtime that does not know a level
// of the list refuses the whole list (E_INVALIDARG: 12_x before Windows 10, 11_1 on Direct3D
// 11.0), so it is asked again without them. 0 when the adapter offers none of 10_0 and above.
uint32_t highestFeatureLevel(CreateDeviceFunction create = D3D11CreateDevice);

// One line on the layer for the console: on, off, or not installed (and how to install it).
std::string debugLayerNote(DebugLayer layer);

}  // namespace Nimbra
