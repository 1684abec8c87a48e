#pragma once
// demo-sync's editor interface over the picture: Dear ImGui on the window and its device, with
// no settings or log file of its own. The window procedure hands it every message first; each
// turn the views are built between beginFrame and draw, which draws them into the back buffer
// after the final copy and puts the pipeline back as the passes left it (KeptPipeline).
// Windows only; ImGui calls go to the context of the last EditorGui that began a frame.
#include <windows.h>
#include <d3d11.h>

#include <cstdint>
#include <vector>

struct ImGuiContext;

namespace Nimbra {

class EditorGui
{
public:
    EditorGui() = default;
    ~EditorGui();
    EditorGui(const EditorGui&) = delete;
    EditorGui& operator=(const EditorGui&) = delete;

    // ImGui with its Win32 back end over `window` and its Direct3D 11 back end on the device,
    // whose two programs (compiled by D3DCompile) and font are made here; false, with nothing
    // kept, when any of it fails.
    bool create(HWND window, ID3D11Device* device, ID3D11DeviceContext* context);
    void destroy();

    // A message of the window, handed to ImGui: true when ImGui takes it and the window should
    // leave it alone (keys while ImGui wants the keyboard, such as a text field with focus; the
    // mouse over a view; the cursor shape ImGui set).
    bool takeMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Opens the turn's frame for a target of width x height pixels (the back buffer, which the
    // window may show stretched: the mouse is scaled from the window's client area to it), with
    // the mouse where the window's last message put it. ImGui's widget calls then build it, until
    // draw.
    void beginFrame(uint32_t width, uint32_t height);
    // Draws the open frame into `target` and closes it; nothing when no frame is open.
    void draw(ID3D11RenderTargetView* target);

    // Whether ImGui wants the keyboard (a text field has focus) or the mouse, as of the frame
    // begun last: the transport keys and the window's own mouse use give way while it does.
    bool wantsKeyboard() const { return keyboardWanted; }
    bool wantsMouse() const { return mouseWanted; }

private:
    ImGuiContext* gui = nullptr;
    HWND window = nullptr;
    ID3D11DeviceContext* context = nullptr;
    bool platformReady = false;
    bool rendererReady = false;
    bool frameOpen = false;
    bool keyboardWanted = false;
    bool mouseWanted = false;
    bool mouseInWindow = false;  // since a mouse message, until WM_MOUSELEAVE
    POINT mouse = {};            // in the client area
    uint64_t lastFrameMicroseconds = 0;
    // Keys and buttons pressed since the frame began, and the releases held back.
    struct Release {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    bool keysDown[256] = {};
    bool buttonsDown[3] = {};
    std::vector<Release> releases;       // for the frame after this one's
    std::vector<Release> laterReleases;  // of presses since this frame began
};

}  // namespace Nimbra
