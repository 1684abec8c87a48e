#pragma once
// What demo-capture --report says about the PC: the adapter, its driver's version and the
// feature level, the first output's size, refresh rate and DPI, and whether the default sound
// device takes the demo's stream format.
#include <d3d11.h>

#include <cstdint>
#include <string>

namespace Nimbra {

struct SystemReport {
    std::string text;  // the detail lines
    bool output = false;
    int32_t outputWidth = 0;
    int32_t outputHeight = 0;
    bool soundDevice = false;
};

// `device` may be null (then only the sound device is looked at). The process should be DPI
// aware by now, so that the output's size and DPI are the display's own.
SystemReport describeSystem(ID3D11Device* device, D3D_FEATURE_LEVEL level);

}  // namespace Nimbra
