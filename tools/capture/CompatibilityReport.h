#pragma once
// The verdict of demo-capture --report, one greppable line: "compatibility: ok", or "compatibility: problem: " and
// the problems joined by "; ": no Direct3D 11 device at feature level 11_0, no sound device, or an error or
// corruption the debug layer saw in the frames.
#include <cstdint>
#include <string>
#include <vector>

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

// One adapter as DXGI lists it (IDXGIFactory1::EnumAdapters1).
struct AdapterFacts {
    std::string name;
    uint32_t vendor = 0;
    uint32_t device = 0;
    uint64_t ownMemory = 0;     // DedicatedVideoMemory, bytes
    uint64_t sharedMemory = 0;  // SharedSystemMemory, bytes
    bool software = false;      // DXGI_ADAPTER_FLAG_SOFTWARE: the Basic Render Driver
    bool used = false;          // the device was made on it
};

// A line per adapter, "adapter 1: NAME (vendor 0x10de, device 0x25a2), 4096 MiB of its own
// memory, 7975 MiB shared", the device's marked "<- the device"; then, where the device is not on
// the hardware adapter with the most memory of its own (a two-GPU laptop's integrated GPU), a
// line that says which that is and where Windows chooses a program's GPU.
std::string adapterLines(const std::vector<AdapterFacts>& adapters);

// The output that holds the primary screen.
struct OutputFacts {
    std::string name;  // "\\.\DISPLAY1"
    size_t adapter = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t refreshHz = 0;  // 0: not reported
    uint32_t dpi = 96;
    bool monitorDpi = true;  // false: the system's DPI, where the monitor's cannot be asked
};

// "output: NAME (the primary screen, on adapter 1), 1920 x 1080, 60 Hz, 144 dpi (scaling 150 %)";
// null: no adapter's output holds the primary screen.
std::string outputLine(const OutputFacts* primary);

// Every problem, joined by "; "; empty when there is none.
std::string compatibilityProblems(const CompatibilityFacts& facts);
std::string compatibilityLine(const CompatibilityFacts& facts);

}  // namespace Nimbra
