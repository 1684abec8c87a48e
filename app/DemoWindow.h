#pragma once
// The window the presentation draws into, with the Direct3D 11 device and the swap chain.
#include <windows.h>
#include <d3d11.h>
#include <dxgi1_2.h>

#include <vector>

#include "app/WindowInput.h"

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
// that inside size and the cursor kept, for working beside other programs (the sync build). The framed window can
// be moved and minimised, not resized or maximised: its inside is the picture, pixel for pixel.
struct WindowShape {
    bool framed = false;
    const wchar_t* title = L"demo";
};

// WS_POPUP, or for the framed window a caption, a system menu and a minimise box, but neither a
// sizing frame nor a maximise box; visible either way.
DWORD windowStyle(const WindowShape& shape);

// Opens the window, a feature level 11_0 device and a flip-model swap chain via DirectComposition (or for the window
// itself without it); borderless hides the console. A failed step leaves its and later objects null; the window shows.
void createWindowAndDevice(DemoWindow& window, const WindowShape& shape = WindowShape());

// DCompositionCreateDevice's signature: the call goes through this seam so that a model of the
// system can answer it (Wine has no DirectComposition).
using CompositionDeviceFunction = HRESULT(WINAPI*)(IDXGIDevice*, REFIID, void**);

// What a swap chain is made from: the device, its DXGI device and the factory reached from it.
struct SwapChainSource {
    ID3D11Device* device = nullptr;
    IDXGIDevice* dxgiDevice = nullptr;
    IDXGIFactory2* factory = nullptr;
    HWND hwnd = nullptr;
    CompositionDeviceFunction createComposition = nullptr;  // null: DCompositionCreateDevice
};

// The flip-model swap chain of screenWidth x screenHeight: through composition where the system
// has it, otherwise for the window itself with the same description, alpha ignored (Wine, and
// systems without DirectComposition). Each is asked for with FLIP_DISCARD and, where that is
// refused, once more with FLIP_SEQUENTIAL. Null when neither can be made.
IDXGISwapChain1* createSwapChain(const SwapChainSource& source);

// Tells DXGI not to answer Alt+Enter in `hwnd` for a swap chain made for that window: it would
// switch modes behind the frame loop's back, and nothing would resize the buffers after it.
void refuseAltEnter(IDXGISwapChain1* swapChain, HWND hwnd);

// From now on the input of `hwnd` goes to `input`, which must outlive the window: its hook sees
// every message first, then the keys pressed (WM_KEYDOWN, Escape among them) and released, the
// right button and the mouse are collected instead of going to the default procedure. The frame
// loop then leaves the session's key state alone: the program takes Escape from its own window.
// demo.exe never asks: Escape is its only key, read by the frame loop from the session.
void collectInput(HWND hwnd, WindowInput* input);
bool collectsInput(HWND hwnd);

// The window procedure: destruction becomes WM_QUIT, WM_SIZE is ignored (the swap chain keeps
// its size), a new DPI keeps the inside's size in pixels (WM_DPICHANGED), the keyboard menu (Alt,
// F10) is swallowed and, once asked for, the input is collected.
LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace Nimbra
