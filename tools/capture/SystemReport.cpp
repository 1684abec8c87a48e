#include "tools/capture/SystemReport.h"

#include "audio/AudioStream.h"
#include "tools/capture/CompatibilityReport.h"

#include <dxgi.h>

#include <memory>

namespace Nimbra {

namespace {

std::string utf8(const wchar_t* text)
{
    char buffer[512] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer - 1, nullptr, nullptr);
    return buffer;
}

void describeOutput(IDXGIAdapter* adapter, SystemReport& report)
{
    IDXGIOutput* output = nullptr;
    // An adapter may have no output at all (a render-only adapter, or a translation layer).
    if (FAILED(adapter->EnumOutputs(0, &output))) {
        report.text += "output: none on this adapter\n";
        return;
    }
    DXGI_OUTPUT_DESC desc = {};
    output->GetDesc(&desc);
    output->Release();
    report.output = true;
    report.outputWidth = desc.DesktopCoordinates.right - desc.DesktopCoordinates.left;
    report.outputHeight = desc.DesktopCoordinates.bottom - desc.DesktopCoordinates.top;
    DEVMODEW mode = {};
    mode.dmSize = sizeof mode;
    // 0 and 1 stand for the hardware's default rate.
    const bool rate =
        EnumDisplaySettingsW(desc.DeviceName, ENUM_CURRENT_SETTINGS, &mode) && mode.dmDisplayFrequency > 1;
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    report.text += "output: " + utf8(desc.DeviceName) + ", " + std::to_string(report.outputWidth) + " x " +
                   std::to_string(report.outputHeight) + ", " +
                   (rate ? std::to_string(mode.dmDisplayFrequency) + " Hz" : std::string("refresh rate not reported")) +
                   ", " + std::to_string(dpi) + " dpi (scaling " + std::to_string(dpi * 100 / 96) + " %)\n";
}

void describeAdapter(ID3D11Device* device, D3D_FEATURE_LEVEL level, SystemReport& report)
{
    IDXGIDevice* dxgiDevice = nullptr;
    IDXGIAdapter* adapter = nullptr;
    if (FAILED(device->QueryInterface(__uuidof(IDXGIDevice), reinterpret_cast<void**>(&dxgiDevice))) ||
        FAILED(dxgiDevice->GetAdapter(&adapter))) {
        report.text += "adapter: not reported\n";
        if (dxgiDevice)
            dxgiDevice->Release();
        return;
    }
    dxgiDevice->Release();
    DXGI_ADAPTER_DESC desc = {};
    adapter->GetDesc(&desc);
    char ids[64];
    std::snprintf(ids, sizeof ids, "vendor 0x%04x, device 0x%04x", desc.VendorId, desc.DeviceId);
    report.text += "adapter: " + utf8(desc.Description) + " (" + ids + "), " +
                   std::to_string(desc.DedicatedVideoMemory >> 20) + " MiB of its own memory\n";
    // IDXGIDevice's interface gives the user-mode driver's version, which all of a driver
    // package's parts share since WDDM 2.3.
    LARGE_INTEGER version = {};
    if (SUCCEEDED(adapter->CheckInterfaceSupport(__uuidof(IDXGIDevice), &version)))
        report.text += "driver: " + driverVersionName(static_cast<uint64_t>(version.QuadPart)) + "\n";
    else
        report.text += "driver: version not reported\n";
    report.text += "feature level: " + featureLevelName(static_cast<uint32_t>(level)) + "\n";
    describeOutput(adapter, report);
    adapter->Release();
}

}  // namespace

SystemReport describeSystem(ID3D11Device* device, D3D_FEATURE_LEVEL level)
{
    SystemReport report;
    if (device)
        describeAdapter(device, level, report);
    else
        report.text += "adapter: no Direct3D 11 device\n";
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
