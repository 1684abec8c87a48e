#include "app/DemoWindow.h"

#include <dcomp.h>
#include <windowsx.h>

#include <algorithm>
#include <iterator>

#include "gfx/frame/Screen.h"

namespace Nimbra {

namespace {

const wchar_t windowClassName[] = L"Vellinor";

void registerWindowClass(DemoWindow& window, const WindowShape& shape)
{
    WNDCLASSEXW& wc = window.windowClass;
    wc.cbSize = sizeof(WNDCLASSEXW);
    wc.style = CS_CLASSDC;
    wc.lpfnWndProc = windowProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(demoIconResource));
    // The borderless window has no class cursor: the cursor is hidden over it.
    wc.hCursor = shape.framed ? LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)) : nullptr;  // IDC_ARROW
    wc.hbrBackground = nullptr;
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = windowClassName;
    wc.hIconSm = nullptr;
    RegisterClassExW(&wc);
}

void openFramedWindow(DemoWindow& window, const WindowShape& shape)
{
    const DWORD style = windowStyle(shape);
    RECT outside = {0, 0, screenWidth, screenHeight};
    AdjustWindowRect(&outside, style, FALSE);
    window.hwnd = CreateWindowExW(0, windowClassName, shape.title, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  outside.right - outside.left, outside.bottom - outside.top, nullptr, nullptr,
                                  window.windowClass.hInstance, nullptr);
    // AdjustWindowRect measures the frame at the system's DPI; a per-monitor aware window on a
    // monitor of another scale has a frame of that monitor's size, so the inside is measured once
    // made and the window grown or shrunk by the difference.
    RECT inside = {};
    RECT frame = {};
    if (!window.hwnd || !GetClientRect(window.hwnd, &inside) || !GetWindowRect(window.hwnd, &frame))
        return;
    if (inside.right != screenWidth || inside.bottom != screenHeight)
        SetWindowPos(window.hwnd, nullptr, 0, 0, frame.right - frame.left + screenWidth - inside.right,
                     frame.bottom - frame.top + screenHeight - inside.bottom,
                     SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

void openWindow(DemoWindow& window, const WindowShape& shape)
{
    if (shape.framed) {
        openFramedWindow(window, shape);
        return;
    }
    window.hwnd = CreateWindowExW(0, windowClassName, shape.title, windowStyle(shape), 0, 0, screenWidth, screenHeight,
                                  nullptr, nullptr, window.windowClass.hInstance, nullptr);
    // Centre on the desktop; with a screen-sized window this keeps it at (0, 0).
    RECT desktop = {};
    GetClientRect(GetDesktopWindow(), &desktop);
    SetWindowPos(window.hwnd, nullptr, (desktop.right - screenWidth) / 2, (desktop.bottom - screenHeight) / 2, 0, 0,
                 SWP_NOZORDER | SWP_NOSIZE);
}

DXGI_SWAP_CHAIN_DESC1 swapChainDescription()
{
    DXGI_SWAP_CHAIN_DESC1 desc = {};
    desc.Width = (UINT)screenWidth;
    desc.Height = (UINT)screenHeight;
    desc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    desc.Stereo = FALSE;
    desc.SampleDesc.Count = 1;
    desc.SampleDesc.Quality = 0;
    desc.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
    desc.BufferCount = 2;
    desc.Scaling = DXGI_SCALING_STRETCH;
    desc.SwapEffect = DXGI_SWAP_EFFECT_FLIP_DISCARD;
    desc.AlphaMode = DXGI_ALPHA_MODE_PREMULTIPLIED;
    desc.Flags = 0;
    return desc;
}

// What the swap chain is made from: the DXGI device, its adapter and the factory, reached from
// the device and referenced for the whole run like every object made here.
SwapChainSource sourceOf(const DemoWindow& window)
{
    SwapChainSource source;
    source.device = window.device;
    source.hwnd = window.hwnd;
    IDXGIAdapter* adapter = nullptr;
    window.device->QueryInterface(__uuidof(IDXGIDevice), (void**)&source.dxgiDevice);
    if (source.dxgiDevice)
        source.dxgiDevice->GetAdapter(&adapter);
    if (adapter)
        adapter->GetParent(__uuidof(IDXGIFactory2), (void**)&source.factory);
    return source;
}

// Shows the swap chain in the window through a composition visual on a topmost target. The
// composition device is made on the swap chain's DXGI device: only Windows 8.1's version of the
// function accepts none. The composition objects stay referenced for the whole run: the swap
// chain is on screen only while the target and the visual live.
bool showThroughComposition(const SwapChainSource& source, IDXGISwapChain1* swapChain)
{
    IDCompositionDevice* composition = nullptr;
    IDCompositionTarget* target = nullptr;
    IDCompositionVisual* visual = nullptr;
    const CompositionDeviceFunction create =
        source.createComposition ? source.createComposition : DCompositionCreateDevice;
    if (FAILED(create(source.dxgiDevice, __uuidof(IDCompositionDevice), (void**)&composition)) || !composition)
        return false;
    if (FAILED(composition->CreateTargetForHwnd(source.hwnd, TRUE, &target)) ||
        FAILED(composition->CreateVisual(&visual)) || FAILED(visual->SetContent(swapChain)) ||
        FAILED(target->SetRoot(visual)) || FAILED(composition->Commit())) {
        if (visual)
            visual->Release();
        if (target)
            target->Release();
        composition->Release();
        return false;
    }
    return true;
}

// FLIP_DISCARD is Windows 10's: where it is refused (Windows 8.1), the same swap chain is asked
// for once more with FLIP_SEQUENTIAL, the flip model Windows 8 already has.
template <typename Create>
IDXGISwapChain1* createFlipping(DXGI_SWAP_CHAIN_DESC1& desc, Create create)
{
    for (const DXGI_SWAP_EFFECT effect : {DXGI_SWAP_EFFECT_FLIP_DISCARD, DXGI_SWAP_EFFECT_FLIP_SEQUENTIAL}) {
        desc.SwapEffect = effect;
        IDXGISwapChain1* swapChain = nullptr;
        if (SUCCEEDED(create(&desc, &swapChain)) && swapChain)
            return swapChain;
    }
    return nullptr;
}

}  // namespace

IDXGISwapChain1* createSwapChain(const SwapChainSource& source)
{
    IDXGIFactory2* factory = source.factory;
    if (!factory)
        return nullptr;
    DXGI_SWAP_CHAIN_DESC1 desc = swapChainDescription();
    IDXGISwapChain1* swapChain = createFlipping(desc, [&](DXGI_SWAP_CHAIN_DESC1* d, IDXGISwapChain1** made) {
        return factory->CreateSwapChainForComposition(source.device, d, nullptr, made);
    });
    if (swapChain) {
        if (showThroughComposition(source, swapChain))
            return swapChain;
        swapChain->Release();
    }
    desc.AlphaMode = DXGI_ALPHA_MODE_IGNORE;
    swapChain = createFlipping(desc, [&](DXGI_SWAP_CHAIN_DESC1* d, IDXGISwapChain1** made) {
        return factory->CreateSwapChainForHwnd(source.device, source.hwnd, d, nullptr, nullptr, made);
    });
    if (swapChain)
        refuseAltEnter(swapChain, source.hwnd);
    return swapChain;
}

namespace {

// At most one frame queued ahead of the screen: DXGI's default of three would let the picture
// trail the music by three refreshes. Present still paces the loop.
void limitFrameLatency(ID3D11Device* device)
{
    IDXGIDevice1* dxgiDevice = nullptr;
    if (FAILED(device->QueryInterface(__uuidof(IDXGIDevice1), (void**)&dxgiDevice)) || !dxgiDevice)
        return;
    dxgiDevice->SetMaximumFrameLatency(1);
    dxgiDevice->Release();
}

// AdjustWindowRectExForDpi, from Windows 10 1607 on; null before.
using AdjustForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

AdjustForDpiFunction adjustForDpi()
{
    static const auto function = reinterpret_cast<AdjustForDpiFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
    return function;
}

// WM_DPICHANGED: the window goes where the system suggests, but its inside keeps its size in
// pixels, since the swap chain and every texture keep theirs. The frame is measured for the new
// DPI; before Windows 10 1607 a per-monitor window's frame does not scale, so it keeps its size.
void keepInsideSize(HWND hwnd, UINT dpi, const RECT& suggested)
{
    RECT inside = {};
    RECT frame = {};
    if (!GetClientRect(hwnd, &inside) || !GetWindowRect(hwnd, &frame))
        return;
    RECT outside = inside;
    const AdjustForDpiFunction adjust = adjustForDpi();
    if (!adjust || !adjust(&outside, DWORD(GetWindowLongW(hwnd, GWL_STYLE)), GetMenu(hwnd) != nullptr,
                           DWORD(GetWindowLongW(hwnd, GWL_EXSTYLE)), dpi))
        outside = {0, 0, frame.right - frame.left, frame.bottom - frame.top};
    SetWindowPos(hwnd, nullptr, suggested.left, suggested.top, outside.right - outside.left,
                 outside.bottom - outside.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void createWindowAndDevice(DemoWindow& window, const WindowShape& shape)
{
    registerWindowClass(window, shape);
    openWindow(window, shape);

    const D3D_FEATURE_LEVEL wanted[] = {D3D_FEATURE_LEVEL_11_0};
    D3D_FEATURE_LEVEL obtained = {};
    if (FAILED(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, wanted, 1, D3D11_SDK_VERSION,
                                 &window.device, &obtained, &window.immediateContext)))
        return;
    limitFrameLatency(window.device);

    window.swapChain = createSwapChain(sourceOf(window));
    if (!window.swapChain)
        return;

    ID3D11Texture2D* backBuffer = nullptr;
    window.swapChain->GetBuffer(0, __uuidof(ID3D11Texture2D), (void**)&backBuffer);
    if (backBuffer)
        window.device->CreateRenderTargetView(backBuffer, nullptr, &window.backBufferView);

    ShowWindow(window.hwnd, SW_SHOWDEFAULT);
    UpdateWindow(window.hwnd);
    // The framed window works beside a console that shows the program's log.
    if (!shape.framed) {
        ShowCursor(FALSE);
        ShowWindow(GetConsoleWindow(), SW_HIDE);
    }
}

DWORD windowStyle(const WindowShape& shape)
{
    // Moved and minimised, never resized or maximised: every texture of the content has the
    // inside's size, and composition shows the buffer pixel for pixel, so a larger inside would
    // leave a strip unpainted and a smaller one would cut the picture (the status line first).
    if (shape.framed)
        return (WS_OVERLAPPEDWINDOW & ~(WS_THICKFRAME | WS_MAXIMIZEBOX)) | WS_VISIBLE;
    return WS_POPUP | WS_VISIBLE;
}

void refuseAltEnter(IDXGISwapChain1* swapChain, HWND hwnd)
{
    // The association counts only on the factory that created the swap chain: its parent.
    IDXGIFactory* factory = nullptr;
    if (FAILED(swapChain->GetParent(__uuidof(IDXGIFactory), (void**)&factory)) || !factory)
        return;
    factory->MakeWindowAssociation(hwnd, DXGI_MWA_NO_ALT_ENTER);
    factory->Release();
}

void collectInput(HWND hwnd, WindowInput* input)
{
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, LONG_PTR(input));
}

bool collectsInput(HWND hwnd)
{
    return hwnd && GetWindowLongPtrW(hwnd, GWLP_USERDATA) != 0;
}

namespace {

// The input a collecting window takes; false leaves the message to the default procedure.
bool collect(WindowInput& input, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_KEYDOWN:
        // Bit 30 of lParam: the key was down before (auto-repeat). GetKeyState reads Shift and
        // Ctrl as they were when this message was posted.
        input.keys.push_back({uint32_t(wParam), GetKeyState(VK_SHIFT) < 0, (lParam & (LPARAM(1) << 30)) != 0,
                              GetKeyState(VK_CONTROL) < 0});
        if (wParam < virtualKeyCount)
            input.held[wParam] = true;
        return true;
    case WM_KEYUP:
        if (wParam < virtualKeyCount)
            input.held[wParam] = false;
        return true;
    case WM_KILLFOCUS:
        // Keys let go elsewhere send their WM_KEYUP elsewhere.
        std::fill(std::begin(input.held), std::end(input.held), false);
        input.looking = false;
        return false;
    case WM_RBUTTONDOWN:
        input.looking = true;
        input.mouseX = GET_X_LPARAM(lParam);  // the look starts here
        input.mouseY = GET_Y_LPARAM(lParam);
        SetCapture(hwnd);  // and goes on when the mouse leaves the window
        return true;
    case WM_RBUTTONUP:
        input.looking = false;
        ReleaseCapture();
        return true;
    case WM_MOUSEMOVE: {
        const int32_t x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        if (input.looking) {
            input.lookX += x - input.mouseX;
            input.lookY += y - input.mouseY;
        }
        input.mouseX = x;
        input.mouseY = y;
        return true;
    }
    default: return false;
    }
}

}  // namespace

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (auto* input = reinterpret_cast<WindowInput*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))) {
        if (input->takeFirst && input->takeFirst(message, wParam, lParam))
            return message == WM_SETCURSOR ? TRUE : 0;
        if (collect(*input, hwnd, message, wParam, lParam))
            return 0;
    }
    switch (message) {
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_SIZE: return 0;
    case WM_DPICHANGED: keepInsideSize(hwnd, LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_KEYMENU)
            return 0;
        break;
    default: break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace Nimbra
