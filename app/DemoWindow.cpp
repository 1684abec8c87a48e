#include "app/DemoWindow.h"

#include <dcomp.h>

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
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
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
    window.hwnd = CreateWindowExW(0, windowClassName, shape.title, WS_POPUP | WS_VISIBLE, 0, 0, screenWidth,
                                  screenHeight, nullptr, nullptr, window.windowClass.hInstance, nullptr);
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

// The DXGI device, the adapter and the factory stay referenced for the whole run, like every
// object made here.
IDXGIFactory2* factoryOf(ID3D11Device* device)
{
    IDXGIDevice* dxgiDevice = nullptr;
    IDXGIAdapter* adapter = nullptr;
    IDXGIFactory2* factory = nullptr;
    device->QueryInterface(__uuidof(IDXGIDevice), (void**)&dxgiDevice);
    if (dxgiDevice)
        dxgiDevice->GetAdapter(&adapter);
    if (adapter)
        adapter->GetParent(__uuidof(IDXGIFactory2), (void**)&factory);
    return factory;
}

// Shows the swap chain in the window through a composition visual on a topmost target.
// The composition objects stay referenced for the whole run: the swap chain is on screen only
// while the target and the visual live.
bool showThroughComposition(HWND hwnd, IDXGISwapChain1* swapChain)
{
    IDCompositionDevice* composition = nullptr;
    IDCompositionTarget* target = nullptr;
    IDCompositionVisual* visual = nullptr;
    if (FAILED(DCompositionCreateDevice(nullptr, __uuidof(IDCompositionDevice), (void**)&composition)) || !composition)
        return false;
    if (FAILED(composition->CreateTargetForHwnd(hwnd, TRUE, &target)) || FAILED(composition->CreateVisual(&visual)) ||
        FAILED(visual->SetContent(swapChain)) || FAILED(target->SetRoot(visual)) || FAILED(composition->Commit())) {
        if (visual)
            visual->Release();
        if (target)
            target->Release();
        composition->Release();
        return false;
    }
    return true;
}

// The flip-model swap chain: through composition where the system has it, otherwise for the
// window itself with the same description, alpha ignored (Wine, and systems without
// DirectComposition).
IDXGISwapChain1* createSwapChain(DemoWindow& window)
{
    IDXGIFactory2* factory = factoryOf(window.device);
    if (!factory)
        return nullptr;
    DXGI_SWAP_CHAIN_DESC1 desc = swapChainDescription();
    IDXGISwapChain1* swapChain = nullptr;
    if (SUCCEEDED(factory->CreateSwapChainForComposition(window.device, &desc, nullptr, &swapChain)) && swapChain) {
        if (showThroughComposition(window.hwnd, swapChain))
            return swapChain;
        swapChain->Release();
        swapChain = nullptr;
    }
    desc.AlphaMode = DXGI_ALPHA_MODE_IGNORE;
    if (FAILED(factory->CreateSwapChainForHwnd(window.device, window.hwnd, &desc, nullptr, nullptr, &swapChain)))
        return nullptr;
    refuseAltEnter(swapChain, window.hwnd);
    return swapChain;
}

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

    window.swapChain = createSwapChain(window);
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

void refuseAltEnter(IDXGISwapChain1* swapChain, HWND hwnd)
{
    // The association counts only on the factory that created the swap chain: its parent.
    IDXGIFactory* factory = nullptr;
    if (FAILED(swapChain->GetParent(__uuidof(IDXGIFactory), (void**)&factory)) || !factory)
        return;
    factory->MakeWindowAssociation(hwnd, DXGI_MWA_NO_ALT_ENTER);
    factory->Release();
}

void collectKeys(HWND hwnd, std::vector<KeyDown>* keys)
{
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, LONG_PTR(keys));
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_KEYDOWN: {
        // Bit 30 of lParam: the key was down before (auto-repeat). GetKeyState reads Shift as it
        // was when this message was posted.
        auto* keys = reinterpret_cast<std::vector<KeyDown>*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (!keys)
            break;
        keys->push_back({uint32_t(wParam), GetKeyState(VK_SHIFT) < 0, (lParam & (LPARAM(1) << 30)) != 0});
        return 0;
    }
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_SIZE: return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_KEYMENU)
            return 0;
        break;
    default: break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace Nimbra
