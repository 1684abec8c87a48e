#pragma once
// The verdict of demo-capture --report, one greppable line: "compatibility: ok", or "compatibility: problem: " and
// the problems joined by "; ": no Direct3D 11 device at feature level 11_0, no sound device, or an error or
// corruption the debug layer saw in the frames.
#include <cstdint>
#include <string>

namespace Nimbra {

struct CompatibilityFacts {
    bool device = false;
    uint32_t featureLevel = 0;  // D3D_FEATURE_LEVEL, e.g. 0xb000 for 11_0
    bool soundDevice = false;
    uint32_t debugFailures = 0;  // the debug layer's error and corruption messages
};

// The D3D11_MESSAGE_SEVERITY values that fail a run under the debug layer: corruption (0) and
// error (1); warnings (2), information (3) and messages (4) are printed only.
bool debugSeverityFails(uint32_t severity);

// "11_0" for 0xb000.
std::string featureLevelName(uint32_t level);

// The user-mode driver version from IDXGIAdapter::CheckInterfaceSupport as Windows shows it:
// four 16-bit parts, "31.0.15.5222".
std::string driverVersionName(uint64_t version);

// Every problem, joined by "; "; empty when there is none.
std::string compatibilityProblems(const CompatibilityFacts& facts);
std::string compatibilityLine(const CompatibilityFacts& facts);

}  // namespace Nimbra
