#pragma once
// The window the presentation draws into, with the Direct3D 11 device and the swap chain.
#include <windows.h>
#include <d3d11.h>
#include <dxgi1_2.h>

#include <vector>

#include "app/KeyDown.h"

namespace Nimbra {

// Icon group of the executable (16 x 16 and 32 x 32, 8 bits per pixel).
constexpr int demoIconResource = 101;

struct DemoWindow {
    bool quit = false;  // set by the frame loop on WM_QUIT or Escape, never cleared
    ID3D11Device* device = nullptr;
    ID3D11DeviceContext* immediateContext = nullptr;
    IDXGISwapChain1* swapChain = nullptr;
    ID3D11RenderTargetView* backBufferView = nullptr;  // view of buffer 0 of the swap chain
    HWND hwnd = nullptr;
    WNDCLASSEXW windowClass = {};
};

// Always screenWidth x screenHeight pixels: borderless over the whole screen with the cursor hidden, or framed with
// that inside size and the cursor kept, for working beside other programs (the sync build).
struct WindowShape {
    bool framed = false;
    const wchar_t* title = L"demo";
};

// Opens the window, a feature level 11_0 device and a flip-model swap chain via DirectComposition (or for the window
// itself without it); borderless hides the console. A failed step leaves its and later objects null; the window shows.
void createWindowAndDevice(DemoWindow& window, const WindowShape& shape = WindowShape());

// Tells DXGI not to answer Alt+Enter in `hwnd` for a swap chain made for that window: it would
// switch modes behind the frame loop's back, and nothing would resize the buffers after it.
void refuseAltEnter(IDXGISwapChain1* swapChain, HWND hwnd);

// From now on the keys pressed in `hwnd` (WM_KEYDOWN) are added to `keys`, which must outlive the
// window, instead of going to the default procedure. demo.exe never asks: Escape is its only key,
// read by the frame loop.
void collectKeys(HWND hwnd, std::vector<KeyDown>* keys);

// The window procedure: destruction becomes WM_QUIT, WM_SIZE is ignored (the swap chain keeps
// its size), the keyboard menu (Alt, F10) is swallowed and, once asked for, keys are collected.
LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace Nimbra
