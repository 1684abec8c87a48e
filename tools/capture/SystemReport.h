#pragma once
// What demo-capture --report says about the PC: every adapter with its memory and the one the
// device is on, the driver's version and the feature levels, the output that holds the primary
// screen with its size, refresh rate and own DPI, and whether the default sound device takes the
// demo's stream format.
#include "tools/capture/CompatibilityReport.h"

#include <d3d11.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Nimbra {

struct SystemReport {
    std::string text;  // the detail lines
    bool output = false;
    int32_t outputWidth = 0;
    int32_t outputHeight = 0;
    bool soundDevice = false;
};

// `device` may be null (then the adapters are listed with none marked). `level` is the device's,
// `highestLevel` the adapter's best (highestFeatureLevel). The process should be DPI aware by
// now, so that the output's size and DPI are the display's own.
SystemReport describeSystem(ID3D11Device* device, D3D_FEATURE_LEVEL level, uint32_t highestLevel);

// GetDpiForMonitor's signature (shcore.dll, Windows 8.1 on); a seam so that a test can answer.
using MonitorDpiFunction = HRESULT(WINAPI*)(HMONITOR, int type, UINT* dpiX, UINT* dpiY);

// The adapters of `factory`, the one whose LUID is `used` marked, and the output whose monitor
// is `primary` with the DPI `dpiOf` gives it (the system's where it is null or fails).
struct DisplayListing {
    std::vector<AdapterFacts> adapters;
    bool primaryFound = false;
    OutputFacts primary;
};
DisplayListing listDisplays(IDXGIFactory1* factory, const LUID* used, HMONITOR primary, MonitorDpiFunction dpiOf);

}  // namespace Nimbra
