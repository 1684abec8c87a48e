#include <gtest/gtest.h>

#include <cstring>

#include "app/DemoWindow.h"
#include "app/FrameLoop.h"
#include "gfx/frame/Screen.h"
#include "tests/support/FakeDxgiFactory.h"
#include "tests/support/FakeDxgiFactory2.h"
#include "tests/support/FakeSwapChain.h"

namespace Nimbra {
namespace {

// One window and device for the whole program, as in the demo.
class CreateWindowAndDevice : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        screenWidth = GetSystemMetrics(SM_CXSCREEN);
        screenHeight = GetSystemMetrics(SM_CYSCREEN);
        createWindowAndDevice(window);
    }

    static void TearDownTestSuite() { finishGpuWork(window); }

    static DemoWindow window;
};

DemoWindow CreateWindowAndDevice::window;

TEST_F(CreateWindowAndDevice, WindowIsABorderlessPopupCoveringTheScreen)
{
    ASSERT_NE(window.hwnd, nullptr);
    wchar_t text[64] = {};
    GetClassNameW(window.hwnd, text, 64);
    EXPECT_STREQ(text, L"Vellinor");
    GetWindowTextW(window.hwnd, text, 64);
    EXPECT_STREQ(text, L"demo");
    const LONG style = GetWindowLongW(window.hwnd, GWL_STYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_VISIBLE), (LONG)(WS_POPUP | WS_VISIBLE));
    EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU), 0);
    EXPECT_EQ(GetMenu(window.hwnd), nullptr);
    RECT rect = {};
    GetWindowRect(window.hwnd, &rect);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, screenWidth);
    EXPECT_EQ(rect.bottom, screenHeight);
    EXPECT_FALSE(window.quit);
}

TEST_F(CreateWindowAndDevice, ClassIsKeptAndRegistered)
{
    const WNDCLASSEXW& wc = window.windowClass;
    EXPECT_EQ(wc.cbSize, 80u);
    EXPECT_EQ(wc.style, (UINT)CS_CLASSDC);
    EXPECT_EQ(wc.lpfnWndProc, &windowProc);
    EXPECT_EQ(wc.hInstance, GetModuleHandleW(nullptr));
    EXPECT_NE(wc.hIcon, nullptr);
    EXPECT_EQ(wc.hCursor, nullptr);
    EXPECT_EQ(wc.hbrBackground, nullptr);
    WNDCLASSEXW registered = {};
    registered.cbSize = sizeof(registered);
    ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), L"Vellinor", &registered));
    EXPECT_EQ(registered.lpfnWndProc, &windowProc);
    EXPECT_EQ((LONG_PTR)GetWindowLongPtrW(window.hwnd, GWLP_WNDPROC), (LONG_PTR)&windowProc);
}

TEST_F(CreateWindowAndDevice, DeviceIsAtFeatureLevel11)
{
    ASSERT_NE(window.device, nullptr);
    ASSERT_NE(window.immediateContext, nullptr);
    EXPECT_EQ(window.device->GetFeatureLevel(), D3D_FEATURE_LEVEL_11_0);
}

// DXGI queues three frames unless told otherwise; the demo allows one (the default reads as 3).
TEST_F(CreateWindowAndDevice, DeviceQueuesAtMostOneFrame)
{
    ASSERT_NE(window.device, nullptr);
    IDXGIDevice1* dxgiDevice = nullptr;
    ASSERT_TRUE(SUCCEEDED(window.device->QueryInterface(__uuidof(IDXGIDevice1), (void**)&dxgiDevice)));
    UINT latency = 0;
    EXPECT_TRUE(SUCCEEDED(dxgiDevice->GetMaximumFrameLatency(&latency)));
    EXPECT_EQ(latency, 1u);
    dxgiDevice->Release();
}

TEST_F(CreateWindowAndDevice, SwapChainHasTheScreenSizedFlipDescription)
{
    ASSERT_NE(window.swapChain, nullptr);
    DXGI_SWAP_CHAIN_DESC1 desc = {};
    ASSERT_TRUE(SUCCEEDED(window.swapChain->GetDesc1(&desc)));
    EXPECT_EQ(desc.Width, (UINT)screenWidth);
    EXPECT_EQ(desc.Height, (UINT)screenHeight);
    EXPECT_EQ(desc.Format, DXGI_FORMAT_R8G8B8A8_UNORM);
    EXPECT_EQ(desc.SampleDesc.Count, 1u);
    EXPECT_NE(desc.BufferUsage & DXGI_USAGE_RENDER_TARGET_OUTPUT, 0u);
    EXPECT_EQ(desc.BufferCount, 2u);
    EXPECT_EQ(desc.Scaling, DXGI_SCALING_STRETCH);
    EXPECT_EQ(desc.SwapEffect, DXGI_SWAP_EFFECT_FLIP_DISCARD);
    // Through composition the chain has no window of its own and blends premultiplied;
    // the fallback made for the window ignores alpha.
    HWND target = nullptr;
    if (SUCCEEDED(window.swapChain->GetHwnd(&target)) && target) {
        EXPECT_EQ(target, window.hwnd);
        EXPECT_EQ(desc.AlphaMode, DXGI_ALPHA_MODE_IGNORE);
    } else {
        EXPECT_EQ(desc.AlphaMode, DXGI_ALPHA_MODE_PREMULTIPLIED);
    }
}

// Alt+Enter is refused on the factory that made the swap chain, for its window. (Wine does not
// switch modes on Alt+Enter, so only a model of the factory shows the call.)
TEST(AltEnter, IsRefusedByTheSwapChainsFactoryForItsWindow)
{
    FakeDxgiFactory factory;
    FakeSwapChain swapChain({});
    swapChain.parent = &factory;
    const HWND hwnd = reinterpret_cast<HWND>(0x1234);
    refuseAltEnter(&swapChain, hwnd);
    EXPECT_EQ(factory.associations, 1);
    EXPECT_EQ(factory.associatedWindow, hwnd);
    EXPECT_EQ(factory.associationFlags, UINT(DXGI_MWA_NO_ALT_ENTER));
}

// The composition path against a model factory (Wine has no DirectComposition): Windows 10, and
// Windows 8.1, which refuses FLIP_DISCARD. The composition device is asked for on the DXGI device
// and refused, as on a system without DirectComposition, so the window's own chain follows.
IDXGIDevice* compositionGot = nullptr;
int compositionCalls = 0;

HRESULT WINAPI refuseComposition(IDXGIDevice* dxgiDevice, REFIID, void** made)
{
    ++compositionCalls;
    compositionGot = dxgiDevice;
    *made = nullptr;
    return E_NOTIMPL;
}

TEST(SwapChainRoute, EachChainIsAskedOnceMoreWithFlipSequentialOnTheDxgiDevice)
{
    using Request = FakeDxgiFactory2::Request;
    const auto discard = DXGI_SWAP_EFFECT_FLIP_DISCARD;
    const auto sequential = DXGI_SWAP_EFFECT_FLIP_SEQUENTIAL;
    const struct {
        bool knowsFlipDiscard;
        std::vector<Request> requests;  // device left out: every one is the Direct3D device
    } systems[] = {
        {true, {{true, nullptr, discard}, {false, nullptr, discard}}},
        {false,
         {{true, nullptr, discard},
          {true, nullptr, sequential},
          {false, nullptr, discard},
          {false, nullptr, sequential}}},
    };
    for (const auto& system : systems) {
        FakeDxgiFactory2 factory;
        factory.knowsFlipDiscard = system.knowsFlipDiscard;
        // Stand-ins the code under test only passes on.
        SwapChainSource source;
        source.device = reinterpret_cast<ID3D11Device*>(uintptr_t(0x1000));
        source.dxgiDevice = reinterpret_cast<IDXGIDevice*>(uintptr_t(0x2000));
        source.factory = &factory;
        source.createComposition = refuseComposition;
        compositionCalls = 0;
        compositionGot = nullptr;
        EXPECT_EQ(createSwapChain(source), &factory.swapChain);
        EXPECT_EQ(compositionCalls, 1);
        EXPECT_EQ(compositionGot, source.dxgiDevice);
        ASSERT_EQ(factory.requests.size(), system.requests.size()) << system.knowsFlipDiscard;
        for (size_t i = 0; i < factory.requests.size(); ++i) {
            EXPECT_EQ(factory.requests[i].composition, system.requests[i].composition) << i;
            EXPECT_EQ(factory.requests[i].effect, system.requests[i].effect) << i;
            EXPECT_EQ(factory.requests[i].device, static_cast<IUnknown*>(source.device)) << i;
        }
    }
}

TEST_F(CreateWindowAndDevice, BackBufferViewShowsBufferZero)
{
    ASSERT_NE(window.backBufferView, nullptr);
    ID3D11Resource* viewed = nullptr;
    ID3D11Texture2D* buffer = nullptr;
    window.backBufferView->GetResource(&viewed);
    window.swapChain->GetBuffer(0, __uuidof(ID3D11Texture2D), (void**)&buffer);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ((void*)viewed, (void*)buffer);
    D3D11_TEXTURE2D_DESC desc = {};
    buffer->GetDesc(&desc);
    EXPECT_EQ(desc.Width, (UINT)screenWidth);
    EXPECT_EQ(desc.Height, (UINT)screenHeight);
    viewed->Release();
    buffer->Release();
}

TEST_F(CreateWindowAndDevice, ClearedBackBufferPresents)
{
    const float colour[4] = {0.25f, 0.5f, 0.75f, 1.0f};
    window.immediateContext->ClearRenderTargetView(window.backBufferView, colour);
    EXPECT_TRUE(SUCCEEDED(window.swapChain->Present(1, 0)));
}

TEST_F(CreateWindowAndDevice, CursorIsHidden)
{
    // The display counter is below zero once the cursor has been hidden.
    const int counter = ShowCursor(TRUE);
    ShowCursor(FALSE);
    EXPECT_LT(counter, 1);
}

// The icon group as the resource compiler stored it: GRPICONDIR and 14-byte entries.
TEST(DemoIcon, GroupHoldsA16AndA32ImageAt8Bits)
{
    HRSRC group =
        FindResourceW(nullptr, MAKEINTRESOURCEW(demoIconResource), MAKEINTRESOURCEW((ULONG_PTR)RT_GROUP_ICON));
    ASSERT_NE(group, nullptr);
    const uint8_t* dir = (const uint8_t*)LockResource(LoadResource(nullptr, group));
    ASSERT_NE(dir, nullptr);
    uint16_t count = 0;
    std::memcpy(&count, dir + 4, 2);
    ASSERT_EQ(count, 2);
    const int sizes[2] = {16, 32};
    for (int k = 0; k < 2; ++k) {
        const uint8_t* entry = dir + 6 + 14 * k;
        uint16_t bits = 0, id = 0;
        std::memcpy(&bits, entry + 6, 2);
        std::memcpy(&id, entry + 12, 2);
        EXPECT_EQ(entry[0], sizes[k]);
        EXPECT_EQ(entry[1], sizes[k]);
        EXPECT_EQ(bits, 8);
        HRSRC image = FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW((ULONG_PTR)RT_ICON));
        ASSERT_NE(image, nullptr);
        BITMAPINFOHEADER header = {};
        std::memcpy(&header, LockResource(LoadResource(nullptr, image)), sizeof(header));
        EXPECT_EQ(header.biWidth, sizes[k]);
        EXPECT_EQ(header.biBitCount, 8);
    }
    EXPECT_NE(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(demoIconResource)), nullptr);
}

}  // namespace
}  // namespace Nimbra
