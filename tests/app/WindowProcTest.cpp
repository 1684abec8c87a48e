#include <gtest/gtest.h>

#include "app/DemoWindow.h"
#include "tests/support/TestWindow.h"

namespace Nimbra {
namespace {

// A plain popup that uses the demo's window procedure, without any device.
class WindowProcTest : public testing::Test
{
protected:
    void SetUp() override
    {
        hwnd = openTestWindow(L"NimbraWindowProcTest", windowProc, WS_POPUP, {10, 20, 210, 120});
        ASSERT_NE(hwnd, nullptr);
    }

    void TearDown() override
    {
        if (IsWindow(hwnd))
            DestroyWindow(hwnd);
        discardMessages();
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

// Keys go to the default procedure until a list is given (demo.exe never gives one); then each
// WM_KEYDOWN is added with Shift as the thread's key state holds it and the auto-repeat bit.
TEST_F(WindowProcTest, CollectsKeysOnlyOnceAsked)
{
    std::vector<KeyDown> keys;
    SendMessageW(hwnd, WM_KEYDOWN, VK_SPACE, 1);
    collectKeys(hwnd, &keys);
    EXPECT_EQ(SendMessageW(hwnd, WM_KEYDOWN, VK_SPACE, 1), 0);
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_SHIFT] = 0x80;
    SetKeyboardState(state);
    SendMessageW(hwnd, WM_KEYDOWN, VK_RIGHT, 1 | (1 << 30));
    state[VK_SHIFT] = 0;
    SetKeyboardState(state);
    collectKeys(hwnd, nullptr);
    SendMessageW(hwnd, WM_KEYDOWN, VK_LEFT, 1);
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].virtualKey, uint32_t(VK_SPACE));
    EXPECT_FALSE(keys[0].shift || keys[0].repeat);
    EXPECT_EQ(keys[1].virtualKey, uint32_t(VK_RIGHT));
    EXPECT_TRUE(keys[1].shift && keys[1].repeat);
}

// A window with a caption, a system menu and a menu bar, whose procedure notes when a menu loop
// starts and hands everything else to the procedure under test. A timer ends any menu loop
// that does start, so a failing check cannot hang.
bool menuLoopEntered = false;
WNDPROC procedureUnderTest = nullptr;

LRESULT CALLBACK menuWatchingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ENTERMENULOOP)
        menuLoopEntered = true;
    return procedureUnderTest(hwnd, message, wParam, lParam);
}

VOID CALLBACK endMenuLoop(HWND, UINT, UINT_PTR, DWORD)
{
    EndMenu();
}

bool keyboardMenuOpens(WNDPROC procedure, WPARAM command, LPARAM key)
{
    procedureUnderTest = procedure;
    menuLoopEntered = false;
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, 1, L"&Open");
    AppendMenuW(bar, MF_POPUP, (UINT_PTR)file, L"&File");
    HWND hwnd = openTestWindow(L"NimbraMenuTest", menuWatchingProc, WS_OVERLAPPEDWINDOW, {0, 0, 200, 100}, bar);
    SetTimer(hwnd, 1, 100, endMenuLoop);
    SendMessageW(hwnd, WM_SYSCOMMAND, command, key);
    KillTimer(hwnd, 1);
    DestroyWindow(hwnd);
    discardMessages();
    return menuLoopEntered;
}

TEST_F(WindowProcTest, KeyboardMenuIsSwallowed)
{
    // Alt alone (key 0), Alt+letter and F10 variants: the low four bits of wParam are free.
    EXPECT_EQ(SendMessageW(hwnd, WM_SYSCOMMAND, SC_KEYMENU, 0), 0);
    EXPECT_EQ(SendMessageW(hwnd, WM_SYSCOMMAND, SC_KEYMENU | 0x3, 'f'), 0);
    EXPECT_FALSE(keyboardMenuOpens(windowProc, SC_KEYMENU, 0));
    EXPECT_FALSE(keyboardMenuOpens(windowProc, SC_KEYMENU | 0x3, 'f'));
    // The same request does open the menu under the default procedure, so the check sees it.
    EXPECT_TRUE(keyboardMenuOpens(DefWindowProcW, SC_KEYMENU, 0));
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
