#pragma once
// Small windows of the tests' own: a class registered once per name, a window of it, and the
// message queue emptied after a test.
#include <windows.h>

namespace Nimbra {

inline HWND openTestWindow(const wchar_t* className, WNDPROC procedure, DWORD style, RECT place, HMENU menu = nullptr)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    RegisterClassExW(&wc);  // a second registration of the name fails and changes nothing
    return CreateWindowExW(0, className, className, style, place.left, place.top, place.right - place.left,
                           place.bottom - place.top, nullptr, menu, GetModuleHandleW(nullptr), nullptr);
}

inline void discardMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

}  // namespace Nimbra
