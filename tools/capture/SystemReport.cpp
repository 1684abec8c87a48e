#include "tools/capture/SystemReport.h"

#include "audio/AudioStream.h"

#include <dxgi.h>

#include <memory>

namespace Nimbra {

namespace {

constexpr int effectiveDpi = 0;  // MDT_EFFECTIVE_DPI

std::string utf8(const wchar_t* text)
{
    char buffer[512] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer - 1, nullptr, nullptr);
    return buffer;
}

bool sameLuid(const LUID& a, const LUID& b)
{
    return a.LowPart == b.LowPart && a.HighPart == b.HighPart;
}

uint32_t systemDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen)
        ReleaseDC(nullptr, screen);
    return uint32_t(dpi);
}

OutputFacts describeOutput(const DXGI_OUTPUT_DESC& desc, size_t adapter, MonitorDpiFunction dpiOf)
{
    OutputFacts output;
    output.name = utf8(desc.DeviceName);
    output.adapter = adapter;
    output.width = desc.DesktopCoordinates.right - desc.DesktopCoordinates.left;
    output.height = desc.DesktopCoordinates.bottom - desc.DesktopCoordinates.top;
    DEVMODEW mode = {};
    mode.dmSize = sizeof mode;
    // 0 and 1 stand for the hardware's default rate.
    if (EnumDisplaySettingsW(desc.DeviceName, ENUM_CURRENT_SETTINGS, &mode) && mode.dmDisplayFrequency > 1)
        output.refreshHz = mode.dmDisplayFrequency;
    UINT x = 0;
    UINT y = 0;
    output.monitorDpi = dpiOf && SUCCEEDED(dpiOf(desc.Monitor, effectiveDpi, &x, &y)) && x > 0;
    output.dpi = output.monitorDpi ? x : systemDpi();
    return output;
}

// GetDpiForMonitor, from shcore.dll, which Windows has from 8.1 on: loaded here, so that the
// report still starts on an older system and says what it finds there.
MonitorDpiFunction monitorDpiFunction()
{
    HMODULE shcore = LoadLibraryW(L"shcore.dll");
    return shcore ? reinterpret_cast<MonitorDpiFunction>(
                        reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                  : nullptr;
}

// The driver's version and the feature levels, for the adapter the device is on.
void describeDriver(IDXGIAdapter* adapter, D3D_FEATURE_LEVEL level, uint32_t highestLevel, SystemReport& report)
{
    // IDXGIDevice's interface gives the user-mode driver's version, which all of a driver
    // package's parts share since WDDM 2.3.
    LARGE_INTEGER version = {};
    if (SUCCEEDED(adapter->CheckInterfaceSupport(__uuidof(IDXGIDevice), &version)))
        report.text += "driver: " + driverVersionName(static_cast<uint64_t>(version.QuadPart)) + "\n";
    else
        report.text += "driver: version not reported\n";
    report.text += "feature level: " + (highestLevel ? featureLevelName(highestLevel) : std::string("unknown")) +
                   " (the demo's device: " + featureLevelName(static_cast<uint32_t>(level)) + ")\n";
}

}  // namespace

DisplayListing listDisplays(IDXGIFactory1* factory, const LUID* used, HMONITOR primary, MonitorDpiFunction dpiOf)
{
    DisplayListing listing;
    IDXGIAdapter1* adapter = nullptr;
    for (UINT i = 0; SUCCEEDED(factory->EnumAdapters1(i, &adapter)) && adapter; ++i) {
        DXGI_ADAPTER_DESC1 desc = {};
        adapter->GetDesc1(&desc);
        AdapterFacts facts;
        facts.name = utf8(desc.Description);
        facts.vendor = desc.VendorId;
        facts.device = desc.DeviceId;
        facts.ownMemory = desc.DedicatedVideoMemory;
        facts.sharedMemory = desc.SharedSystemMemory;
        facts.software = (desc.Flags & DXGI_ADAPTER_FLAG_SOFTWARE) != 0;
        facts.used = used && sameLuid(*used, desc.AdapterLuid);
        listing.adapters.push_back(facts);
        // An adapter may have no output at all (a laptop's discrete GPU, a render-only adapter).
        IDXGIOutput* output = nullptr;
        for (UINT o = 0; !listing.primaryFound && SUCCEEDED(adapter->EnumOutputs(o, &output)) && output; ++o) {
            DXGI_OUTPUT_DESC outputDesc = {};
            if (SUCCEEDED(output->GetDesc(&outputDesc)) && outputDesc.Monitor == primary) {
                listing.primaryFound = true;
                listing.primary = describeOutput(outputDesc, i, dpiOf);
            }
            output->Release();
        }
        adapter->Release();
        adapter = nullptr;
    }
    return listing;
}

SystemReport describeSystem(ID3D11Device* device, D3D_FEATURE_LEVEL level, uint32_t highestLevel)
{
    SystemReport report;
    // The factory the device was made through, so that DXGI 1.0 and 1.1 objects are not mixed;
    // without a device a factory of its own lists what there is.
    IDXGIDevice* dxgiDevice = nullptr;
    IDXGIAdapter* adapter = nullptr;
    IDXGIFactory1* factory = nullptr;
    DXGI_ADAPTER_DESC usedDesc = {};
    if (device && SUCCEEDED(device->QueryInterface(__uuidof(IDXGIDevice), reinterpret_cast<void**>(&dxgiDevice))) &&
        SUCCEEDED(dxgiDevice->GetAdapter(&adapter)) && SUCCEEDED(adapter->GetDesc(&usedDesc)))
        adapter->GetParent(__uuidof(IDXGIFactory1), reinterpret_cast<void**>(&factory));
    if (!factory)
        CreateDXGIFactory1(__uuidof(IDXGIFactory1), reinterpret_cast<void**>(&factory));
    if (!device)
        report.text += "adapter: no Direct3D 11 device\n";
    if (factory) {
        // The primary screen's monitor is the one whose top left is (0, 0).
        const DisplayListing listing =
            listDisplays(factory, adapter ? &usedDesc.AdapterLuid : nullptr,
                         MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), monitorDpiFunction());
        factory->Release();
        report.text += adapterLines(listing.adapters);
        if (adapter)
            describeDriver(adapter, level, highestLevel, report);
        report.text += outputLine(listing.primaryFound ? &listing.primary : nullptr);
        report.output = listing.primaryFound;
        report.outputWidth = listing.primary.width;
        report.outputHeight = listing.primary.height;
    } else {
        report.text += "adapter: not reported\n";
    }
    if (adapter)
        adapter->Release();
    if (dxgiDevice)
        dxgiDevice->Release();
    // The demo's own opening of the device, with its stream format; closed at once, before
    // anything is written, so nothing is heard.
    auto stream = std::make_unique<AudioStream>();
    report.soundDevice = defaultAudioOutput().open(*stream);
    if (report.soundDevice)
        waveOutClose(stream->device);
    report.text +=
        report.soundDevice
            ? "sound: the default device opened for 32-bit float stereo at 44100 Hz (closed again, nothing played)\n"
            : "sound: no device opened for 32-bit float stereo at 44100 Hz\n";
    return report;
}

}  // namespace Nimbra
