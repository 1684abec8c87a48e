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

// Input goes to the default procedure until it is asked for (demo.exe never asks); then each
// WM_KEYDOWN is added with Shift and Ctrl as the thread's key state holds them and the
// auto-repeat bit, Escape among them (the program ends its run itself), keys are held until
// their WM_KEYUP, and the mouse moves the look only while the right button is held.
TEST_F(WindowProcTest, CollectsInputOnlyOnceAsked)
{
    WindowInput input;
    SendMessageW(hwnd, WM_KEYDOWN, VK_SPACE, 1);
    EXPECT_FALSE(collectsInput(hwnd));
    collectInput(hwnd, &input);
    EXPECT_TRUE(collectsInput(hwnd));
    EXPECT_EQ(SendMessageW(hwnd, WM_KEYDOWN, VK_SPACE, 1), 0);
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_SHIFT] = 0x80;
    SetKeyboardState(state);
    SendMessageW(hwnd, WM_KEYDOWN, VK_RIGHT, 1 | (1 << 30));
    state[VK_SHIFT] = 0;
    state[VK_CONTROL] = 0x80;
    SetKeyboardState(state);
    SendMessageW(hwnd, WM_KEYDOWN, 'Z', 1);
    state[VK_CONTROL] = 0;
    SetKeyboardState(state);
    WPARAM code = 99;
    EXPECT_EQ(SendMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 1), 0);
    EXPECT_FALSE(quitWasPosted(&code));
    SendMessageW(hwnd, WM_KEYUP, VK_SPACE, 1);

    SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    SendMessageW(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 30));
    SendMessageW(hwnd, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(25, 27));
    SendMessageW(hwnd, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(27, 20));
    SendMessageW(hwnd, WM_RBUTTONUP, 0, MAKELPARAM(27, 20));
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(90, 90));

    // A message the hook takes goes no further.
    input.takeFirst = [](uint32_t message, uintptr_t, intptr_t) { return message == WM_KEYDOWN; };
    SendMessageW(hwnd, WM_KEYDOWN, VK_HOME, 1);
    input.takeFirst = nullptr;
    collectInput(hwnd, nullptr);
    EXPECT_FALSE(collectsInput(hwnd));
    SendMessageW(hwnd, WM_KEYDOWN, VK_LEFT, 1);

    ASSERT_EQ(input.keys.size(), 4u);
    EXPECT_EQ(input.keys[0].virtualKey, uint32_t(VK_SPACE));
    EXPECT_FALSE(input.keys[0].shift || input.keys[0].repeat || input.keys[0].ctrl);
    EXPECT_EQ(input.keys[1].virtualKey, uint32_t(VK_RIGHT));
    EXPECT_TRUE(input.keys[1].shift && input.keys[1].repeat);
    EXPECT_EQ(input.keys[2].virtualKey, uint32_t('Z'));
    EXPECT_TRUE(input.keys[2].ctrl && !input.keys[2].shift);
    EXPECT_EQ(input.keys[3].virtualKey, uint32_t(VK_ESCAPE));
    EXPECT_FALSE(input.held[VK_SPACE]);
    EXPECT_TRUE(input.held[VK_RIGHT] && input.held['Z'] && input.held[VK_ESCAPE]);
    EXPECT_FALSE(input.looking);
    // From (20, 30), where the button went down, to (27, 20); the moves before and after count not.
    EXPECT_EQ(input.lookX, 7);
    EXPECT_EQ(input.lookY, -10);
    EXPECT_FALSE(input.held[VK_HOME]);
}

// A new DPI (a move to a monitor of another scale) moves the window where the system suggests,
// with its inside kept pixel for pixel: the frame around it is the system's for that DPI. A
// framed window (demo-sync's) and the borderless one (demo.exe's) alike.
TEST_F(WindowProcTest, ANewDpiKeepsTheInsideSize)
{
    WindowShape framed;
    framed.framed = true;
    // Hidden: a visible window of this test, moved while the device's window is on screen, can
    // hang Wine's X11 driver.
    for (const DWORD style : {windowStyle(framed) & ~WS_VISIBLE, windowStyle(WindowShape()) & ~WS_VISIBLE}) {
        HWND window = openTestWindow(L"NimbraDpiTest", windowProc, style, {40, 30, 360, 250});
        ASSERT_NE(window, nullptr);
        RECT inside = {};
        GetClientRect(window, &inside);
        for (const UINT dpi : {96u, 144u}) {
            // What the system suggests scales the whole window by the DPI's step.
            RECT suggested = {500, 400, 500 + 480, 400 + 330};
            EXPECT_EQ(SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), LPARAM(&suggested)), 0);
            RECT frame = {};
            RECT now = {};
            GetWindowRect(window, &frame);
            GetClientRect(window, &now);
            RECT expected = inside;
            AdjustWindowRectExForDpi(&expected, style, FALSE, 0, dpi);
            EXPECT_EQ(frame.left, 500) << style << " at " << dpi;
            EXPECT_EQ(frame.top, 400) << style << " at " << dpi;
            EXPECT_EQ(frame.right - frame.left, expected.right - expected.left) << style << " at " << dpi;
            EXPECT_EQ(frame.bottom - frame.top, expected.bottom - expected.top) << style << " at " << dpi;
            if (dpi == 96) {
                EXPECT_TRUE(EqualRect(&now, &inside)) << style;
            }
        }
        DestroyWindow(window);
    }
    discardMessages();
}

// demo-sync's framed window is moved and minimised, never resized or maximised: its edges and
// corners are plain border, not sizing handles, and its caption has no maximise box.
TEST_F(WindowProcTest, TheFramedWindowCannotBeResized)
{
    WindowShape framed;
    framed.framed = true;
    const DWORD style = windowStyle(framed);
    HWND window = openTestWindow(L"NimbraFramedTest", windowProc, style & ~WS_VISIBLE, {40, 30, 360, 250});
    ASSERT_NE(window, nullptr);
    RECT frame = {};
    GetWindowRect(window, &frame);
    const LRESULT corner = SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(frame.right - 1, frame.bottom - 1));
    const LRESULT edge =
        SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(frame.right - 1, (frame.top + frame.bottom) / 2));
    for (const LRESULT hit : {corner, edge})
        EXPECT_TRUE(hit < HTSIZEFIRST || hit > HTSIZELAST) << hit;
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0u);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX), DWORD(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX));
    DestroyWindow(window);
    discardMessages();
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
