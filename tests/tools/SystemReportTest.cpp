// The report's adapters and primary output against a model factory of a two-GPU laptop, which
// Wine cannot show: the integrated GPU holds the built-in screen, the discrete one an external
// monitor and the device; the primary screen is the external one, at 150 %.
#include "tools/capture/SystemReport.h"
#include "tests/support/FakeDxgiFactory2.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace Nimbra {
namespace {

const HMONITOR builtIn = reinterpret_cast<HMONITOR>(uintptr_t(0x10));
const HMONITOR external = reinterpret_cast<HMONITOR>(uintptr_t(0x20));

DXGI_OUTPUT_DESC outputDesc(const wchar_t* name, HMONITOR monitor, RECT place)
{
    DXGI_OUTPUT_DESC desc = {};
    std::wcsncpy(desc.DeviceName, name, 31);
    desc.DesktopCoordinates = place;
    desc.AttachedToDesktop = TRUE;
    desc.Monitor = monitor;
    return desc;
}

DXGI_ADAPTER_DESC1 adapterDesc(const wchar_t* name, UINT vendor, SIZE_T ownMiB, DWORD luid)
{
    DXGI_ADAPTER_DESC1 desc = {};
    std::wcsncpy(desc.Description, name, 127);
    desc.VendorId = vendor;
    desc.DeviceId = 0x1234;
    desc.DedicatedVideoMemory = ownMiB << 20;
    desc.SharedSystemMemory = SIZE_T(2048) << 20;
    desc.AdapterLuid.LowPart = luid;
    return desc;
}

HRESULT WINAPI dpiOfMonitors(HMONITOR monitor, int type, UINT* x, UINT* y)
{
    if (type != 0)  // MDT_EFFECTIVE_DPI
        return E_INVALIDARG;
    *x = *y = monitor == external ? 144 : 96;
    return S_OK;
}

struct Laptop {
    FakeDxgiOutput screen{outputDesc(L"\\\\.\\DISPLAY1", builtIn, {-1920, 0, 0, 1080})};
    FakeDxgiOutput monitor{outputDesc(L"\\\\.\\DISPLAY2", external, {0, 0, 2560, 1440})};
    FakeDxgiAdapter integrated{adapterDesc(L"Integrated GPU", 0x8086, 128, 7), {&screen}};
    FakeDxgiAdapter discrete{adapterDesc(L"Discrete GPU", 0x10de, 4096, 9), {&monitor}};
    FakeDxgiFactory2 factory;
    Laptop() { factory.adapters = {&integrated, &discrete}; }
};

TEST(SystemReport, ListsBothAdaptersMarksTheDevicesAndFindsThePrimaryScreen)
{
    Laptop laptop;
    LUID onDiscrete = {9, 0};
    const DisplayListing listing = listDisplays(&laptop.factory, &onDiscrete, external, dpiOfMonitors);
    ASSERT_EQ(listing.adapters.size(), 2u);
    EXPECT_EQ(listing.adapters[0].name, "Integrated GPU");
    EXPECT_EQ(listing.adapters[0].ownMemory, 128ull << 20);
    EXPECT_FALSE(listing.adapters[0].used);
    EXPECT_EQ(listing.adapters[1].name, "Discrete GPU");
    EXPECT_EQ(listing.adapters[1].vendor, 0x10deu);
    EXPECT_EQ(listing.adapters[1].sharedMemory, 2048ull << 20);
    EXPECT_TRUE(listing.adapters[1].used);
    ASSERT_TRUE(listing.primaryFound);
    EXPECT_EQ(listing.primary.name, "\\\\.\\DISPLAY2");
    EXPECT_EQ(listing.primary.adapter, 1u);
    EXPECT_EQ(listing.primary.width, 2560);
    EXPECT_EQ(listing.primary.height, 1440);
    EXPECT_EQ(listing.primary.dpi, 144u);
    EXPECT_TRUE(listing.primary.monitorDpi);

    // The built-in screen as the primary one, the device on the integrated GPU.
    LUID onIntegrated = {7, 0};
    const DisplayListing other = listDisplays(&laptop.factory, &onIntegrated, builtIn, dpiOfMonitors);
    EXPECT_TRUE(other.adapters[0].used);
    EXPECT_FALSE(other.adapters[1].used);
    EXPECT_EQ(other.primary.name, "\\\\.\\DISPLAY1");
    EXPECT_EQ(other.primary.adapter, 0u);
    EXPECT_EQ(other.primary.dpi, 96u);
}

TEST(SystemReport, WithoutTheMonitorsDpiTheSystemsIsSaid)
{
    Laptop laptop;
    const DisplayListing listing = listDisplays(&laptop.factory, nullptr, external, nullptr);
    EXPECT_FALSE(listing.adapters[0].used || listing.adapters[1].used);
    ASSERT_TRUE(listing.primaryFound);
    EXPECT_FALSE(listing.primary.monitorDpi);
    EXPECT_GT(listing.primary.dpi, 0u);
    // A monitor no output holds (a screen on an adapter DXGI does not list).
    EXPECT_FALSE(
        listDisplays(&laptop.factory, nullptr, reinterpret_cast<HMONITOR>(uintptr_t(0x30)), nullptr).primaryFound);
}

}  // namespace
}  // namespace Nimbra
