#include <gtest/gtest.h>

#include "app/DemoWindow.h"

namespace Nimbra {
namespace {

// A plain popup that uses the demo's window procedure, without any device.
class WindowProcTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = windowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"NimbraWindowProcTest";
        RegisterClassExW(&wc);
    }

    void SetUp() override
    {
        hwnd = CreateWindowExW(0, L"NimbraWindowProcTest", L"test", WS_POPUP, 10, 20,
                               200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(hwnd, nullptr);
    }

    void TearDown() override
    {
        if (IsWindow(hwnd))
            DestroyWindow(hwnd);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    bool quitWasPosted(WPARAM* code)
    {
        MSG msg = {};
        if (!PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
            return false;
        *code = msg.wParam;
        return true;
    }

    HWND hwnd = nullptr;
};

TEST_F(WindowProcTest, SizeIsAnsweredWithZeroAndChangesNothing)
{
    RECT before = {}, after = {};
    GetWindowRect(hwnd, &before);
    EXPECT_EQ(SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(50, 40)), 0);
    EXPECT_EQ(SendMessageW(hwnd, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(640, 360)), 0);
    GetWindowRect(hwnd, &after);
    EXPECT_TRUE(EqualRect(&before, &after));
}

TEST_F(WindowProcTest, KeyboardMenuIsSwallowed)
{
    // Alt alone (lParam 0) and Alt+letter / F10 variants: the low four bits of wParam are free.
    EXPECT_EQ(SendMessageW(hwnd, WM_SYSCOMMAND, SC_KEYMENU, 0), 0);
    EXPECT_EQ(SendMessageW(hwnd, WM_SYSCOMMAND, SC_KEYMENU | 0x3, 'f'), 0);
    EXPECT_EQ(SendMessageW(hwnd, WM_SYSCOMMAND, SC_KEYMENU, VK_SPACE), 0);
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetGUIThreadInfo(GetCurrentThreadId(), &info));
    EXPECT_EQ(info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE), 0u);
    EXPECT_TRUE(IsWindow(hwnd));
}

TEST_F(WindowProcTest, DestructionPostsQuitWithCodeZero)
{
    WPARAM code = 99;
    EXPECT_FALSE(quitWasPosted(&code));
    DestroyWindow(hwnd);
    ASSERT_TRUE(quitWasPosted(&code));
    EXPECT_EQ(code, 0u);
}

TEST_F(WindowProcTest, OtherSystemCommandsReachTheDefaultProcedure)
{
    // SC_CLOSE is what Alt+F4 becomes: the default procedure closes and destroys the window.
    SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    WPARAM code = 99;
    EXPECT_TRUE(quitWasPosted(&code));
}

TEST_F(WindowProcTest, OtherMessagesReachTheDefaultProcedure)
{
    EXPECT_EQ(SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(110, 70)), HTCLIENT);
    SetWindowTextW(hwnd, L"renamed");
    wchar_t title[32] = {};
    GetWindowTextW(hwnd, title, 32);
    EXPECT_STREQ(title, L"renamed");
}

}  // namespace
}  // namespace Nimbra
