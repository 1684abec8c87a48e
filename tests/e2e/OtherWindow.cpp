// other-window: a plain window named "other window" on the same desktop as the program under
// test, as a console, an editor or a tracker beside it would be. It prints "key N" for every
// WM_KEYDOWN it gets (N the virtual-key code), at once, and never reads the session's key state.
// It ends when Q is pressed in it or its window is closed, and after two minutes at the latest,
// so that it cannot outlive a test.
#include <windows.h>

#include <cstdio>

namespace {

LRESULT CALLBACK otherProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_KEYDOWN:
        std::printf("key %u\n", unsigned(wParam));
        std::fflush(stdout);
        if (wParam == 'Q')
            DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace

int main()
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = otherProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"NimbraOtherWindow";
    if (!RegisterClassExW(&wc))
        return 1;
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"other window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                                  120, nullptr, nullptr, wc.hInstance, nullptr);
    if (!window)
        return 1;
    SetTimer(window, 1, 120000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER)
            DestroyWindow(window);
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
