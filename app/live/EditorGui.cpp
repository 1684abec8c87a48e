#include "app/live/EditorGui.h"

#include "app/PerformanceCounter.h"
#include "gfx/KeptPipeline.h"

#include "imgui.h"
#include "imgui_impl_dx11.h"
#include "imgui_impl_win32.h"

#include <windowsx.h>

#include <algorithm>
#include <cfloat>
#include <iterator>

// imgui_impl_win32.h leaves the declaration of its message handler to its caller, so that the
// header needs no <windows.h>: this is it, as the library defines it.
IMGUI_IMPL_API LRESULT ImGui_ImplWin32_WndProcHandler(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

namespace Nimbra {

EditorGui::~EditorGui()
{
    destroy();
}

bool EditorGui::create(HWND window_, ID3D11Device* device, ID3D11DeviceContext* context_)
{
    destroy();
    if (window_ == nullptr || device == nullptr || context_ == nullptr)
        return false;
    window = window_;
    context = context_;
    gui = ImGui::CreateContext();
    ImGui::SetCurrentContext(gui);
    ImGuiIO& io = ImGui::GetIO();
    // demo-sync writes no file of ImGui's: neither its window layout nor a log.
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    platformReady = ImGui_ImplWin32_Init(window);
    rendererReady = platformReady && ImGui_ImplDX11_Init(device, context);
    // The back end would make its programs and font at the first frame and ignore a failure.
    const bool ready = rendererReady && ImGui_ImplDX11_CreateDeviceObjects() && io.Fonts->TexID != nullptr;
    if (!ready)
        destroy();
    return ready;
}

void EditorGui::destroy()
{
    if (gui == nullptr)
        return;
    ImGui::SetCurrentContext(gui);
    if (frameOpen)
        ImGui::EndFrame();
    if (rendererReady)
        ImGui_ImplDX11_Shutdown();
    if (platformReady)
        ImGui_ImplWin32_Shutdown();
    ImGui::DestroyContext(gui);
    gui = nullptr;
    window = nullptr;
    context = nullptr;
    lastFrameMicroseconds = 0;
    platformReady = rendererReady = frameOpen = keyboardWanted = mouseWanted = mouseInWindow = false;
}

namespace {

bool isKeyUp(UINT message)
{
    return message == WM_KEYUP || message == WM_SYSKEYUP;
}

bool isKeyDown(UINT message)
{
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
}

// The mouse button a message presses (1 to 3) or lets go (-1 to -3); 0 for any other.
int buttonOf(UINT message)
{
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: return 1;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK: return 2;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK: return 3;
    case WM_LBUTTONUP: return -1;
    case WM_RBUTTONUP: return -2;
    case WM_MBUTTONUP: return -3;
    default: return 0;
    }
}

}  // namespace

bool EditorGui::takeMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (gui == nullptr)
        return false;
    ImGui::SetCurrentContext(gui);
    // ImGui reads a key or a button by its state when a frame begins: one let go before the next
    // frame would never be seen pressed, as happens when a frame takes longer than a press (the
    // software rasteriser). So its release waits for the frame after the one that sees it down.
    const int button = buttonOf(message);
    const bool keyFromThisFrame = (isKeyDown(message) || isKeyUp(message)) && wParam < 256;
    if (keyFromThisFrame && isKeyDown(message))
        keysDown[wParam] = true;
    if (button > 0)
        buttonsDown[button - 1] = true;
    const bool defer =
        (keyFromThisFrame && isKeyUp(message) && keysDown[wParam]) || (button < 0 && buttonsDown[-button - 1]);
    if (defer)
        laterReleases.push_back({message, wParam, lParam});
    const bool handled = !defer && ImGui_ImplWin32_WndProcHandler(window, message, wParam, lParam) != 0;
    // Where the mouse is, as the window's messages say in their order (the wheel's in screen
    // coordinates); the back end would read the cursor as it is when the frame begins.
    if (message == WM_MOUSELEAVE) {
        mouseInWindow = false;
    } else if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST && message != WM_MOUSEWHEEL &&
               message != WM_MOUSEHWHEEL) {
        mouse = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        mouseInWindow = true;
    }
    if (message >= WM_KEYFIRST && message <= WM_KEYLAST)
        return handled || keyboardWanted;
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST)
        return handled || mouseWanted;
    return handled;
}

void EditorGui::beginFrame(uint32_t width, uint32_t height)
{
    if (gui == nullptr)
        return;
    ImGui::SetCurrentContext(gui);
    if (frameOpen)
        ImGui::EndFrame();
    // The releases held back for a frame go in now; those of this frame's presses wait for the next.
    for (const Release& release : releases)
        ImGui_ImplWin32_WndProcHandler(window, release.message, release.wParam, release.lParam);
    releases.swap(laterReleases);
    laterReleases.clear();
    std::fill(std::begin(keysDown), std::end(keysDown), false);
    std::fill(std::begin(buttonsDown), std::end(buttonsDown), false);
    ImGui_ImplDX11_NewFrame();
    // Not the Win32 back end's frame start: it asks for the foreground window and the cursor's
    // place, a round trip to the display server under Wine (2 ms a frame here), although the
    // window's own mouse messages say where the mouse is. ImGui lays out in the target's pixels.
    ImGuiIO& io = ImGui::GetIO();
    const uint64_t now = performanceCounterMicroseconds();
    io.DeltaTime =
        lastFrameMicroseconds == 0 ? 1.0f / 60.0f : std::max(1e-6f, float(now - lastFrameMicroseconds) * 1e-6f);
    lastFrameMicroseconds = now;
    RECT client = {};
    GetClientRect(window, &client);
    io.DisplaySize = ImVec2(float(width), float(height));
    const float scaleX = client.right > 0 ? io.DisplaySize.x / float(client.right) : 1.0f;
    const float scaleY = client.bottom > 0 ? io.DisplaySize.y / float(client.bottom) : 1.0f;
    io.MousePos = mouseInWindow ? ImVec2(float(mouse.x) * scaleX, float(mouse.y) * scaleY) : ImVec2(-FLT_MAX, -FLT_MAX);
    ImGui::NewFrame();
    frameOpen = true;
    keyboardWanted = io.WantCaptureKeyboard;
    mouseWanted = io.WantCaptureMouse;
}

void EditorGui::draw(ID3D11RenderTargetView* target)
{
    if (gui == nullptr || !frameOpen)
        return;
    ImGui::SetCurrentContext(gui);
    ImGui::Render();
    frameOpen = false;
    if (target == nullptr)
        return;
    Gfx::KeptPipeline kept(context);
    context->OMSetRenderTargets(1, &target, nullptr);
    ImGui_ImplDX11_RenderDrawData(ImGui::GetDrawData());
}

}  // namespace Nimbra
