// The calls beyond the original set in Zelvan.dll, fed with the Win32 messages that the
// system delivers for the mouse, the wheel, the keyboard and the close box: posted to the
// library's window, found by its class and title.
#include "poll.h"
#include "zelvan.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

HWND library_window(const char *title) {
    HWND found = nullptr;
    poll_until([&] { return (found = FindWindowA("ZelvanClass", title)) != nullptr; });
    return found;
}

} // namespace

TEST(WindowsInput, ADragHoldsTheCaptureUntilEveryButtonIsUp) {
    int w = ZVCreateWindow(100, 100, 200, 150, "drag");
    HWND hwnd = library_window("drag");
    ASSERT_NE(hwnd, nullptr);
    PostMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(10, 20));
    EXPECT_TRUE(poll_until([&] { return ZVGetMouseButtons(w) == (ZV_MOUSE_LEFT | ZV_MOD_SHIFT); }));
    // Far outside the client area the drag still counts: the window holds the capture.
    PostMessageA(hwnd, WM_MOUSEMOVE, MK_LBUTTON | MK_MBUTTON, MAKELPARAM(-40, 500));
    EXPECT_TRUE(
        poll_until([&] { return ZVGetMouseButtons(w) == (ZV_MOUSE_LEFT | ZV_MOUSE_MIDDLE); }));
    PostMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(-40, 500));
    EXPECT_TRUE(poll_until([&] { return ZVGetMouseButtons(w) == 0; }));
    // The original record of the press is there as ever.
    EXPECT_EQ(ZVCaptureLastLeftMouseClick(w), ZV_OK);
    EXPECT_EQ(ZVGetLastLeftMouseClickX(w), 10);
    ZVDestroyWindow(w);
}

TEST(WindowsInput, WheelKeysAndTheCloseBox) {
    int w = ZVCreateWindow(100, 100, 200, 150, "keys");
    HWND hwnd = library_window("keys");
    ASSERT_NE(hwnd, nullptr);
    PostMessageA(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 3 * WHEEL_DELTA), MAKELPARAM(150, 150));
    PostMessageA(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(150, 150));
    PostMessageA(hwnd, WM_KEYDOWN, VK_CONTROL, 1);
    PostMessageA(hwnd, WM_KEYDOWN, 'S', 1);
    PostMessageA(hwnd, WM_KEYDOWN, VK_LEFT, 2); // two presses in one, by auto-repeat
    EXPECT_TRUE(poll_until([&] { return ZVIsKeyDown(w, ZV_KEY_LEFT) == 1; }));
    EXPECT_EQ(ZVGetMouseWheel(w), 2);
    EXPECT_EQ(ZVIsKeyDown(w, 's'), 1);
    EXPECT_EQ(ZVIsKeyDown(w, ZV_KEY_CTRL), 1);
    EXPECT_EQ(ZVReadKey(w), 's' | ZV_MOD_CTRL << 16);
    EXPECT_EQ(ZVReadKey(w), ZV_KEY_LEFT | ZV_MOD_CTRL << 16);
    EXPECT_EQ(ZVReadKey(w), ZV_KEY_LEFT | ZV_MOD_CTRL << 16);
    EXPECT_EQ(ZVReadKey(w), 0);
    PostMessageA(hwnd, WM_KEYUP, VK_CONTROL, 0xC0000001);
    EXPECT_TRUE(poll_until([&] { return ZVIsKeyDown(w, ZV_KEY_CTRL) == 0; }));

    // The close box and Alt+F4 (whose default handling is SC_CLOSE) are counted, not obeyed.
    PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageA(hwnd, WM_SYSKEYDOWN, VK_F4, 1 | 1 << 29);
    EXPECT_TRUE(poll_until([&] { return ZVCloseRequested(w) == 1; }));
    EXPECT_TRUE(poll_until([&] { return ZVCloseRequested(w) == 1; }));
    EXPECT_EQ(ZVCloseRequested(w), 0);
    EXPECT_EQ(ZVReadKey(w), ZV_KEY_F4);
    EXPECT_TRUE(IsWindow(hwnd));
    ZVDestroyWindow(w);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(ZVIsWindow(w), ZV_ERR_BAD_WINDOW);
}

// The library's windows are Unicode windows: WM_CHAR brings UTF-16, a surrogate pair joins into
// one character, and a character posted in the ANSI code page arrives as the one it means.
TEST(WindowsInput, TypedCharactersArriveAsCodePoints) {
    int w = ZVCreateWindow(100, 100, 200, 150, "typed");
    HWND hwnd = library_window("typed");
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(IsWindowUnicode(hwnd));
    for (WPARAM unit : {0x436, 0x3BB, 0x20AC, 0xD83D, 0xDE00}) PostMessageW(hwnd, WM_CHAR, unit, 1);
    PostMessageA(hwnd, WM_CHAR, 0xE9, 1); // "é" in Windows-1252
    EXPECT_TRUE(poll_until([&] { return ZV_kbhit(w) == 1; }));
    int read[5] = {};
    for (int &c : read) EXPECT_TRUE(poll_until([&] { return (c = ZVReadUnicode(w)) != 0; }));
    EXPECT_EQ(read[0], 0x436);
    EXPECT_EQ(read[1], 0x3BB);
    EXPECT_EQ(read[2], 0x20AC);
    EXPECT_EQ(read[3], 0x1F600);
    EXPECT_EQ(read[4], 0xE9);
    PostMessageW(hwnd, WM_CHAR, 0x20AC, 1);
    PostMessageW(hwnd, WM_CHAR, 0x436, 1);
    char western[2] = {};
    for (char &c : western)
        EXPECT_TRUE(poll_until([&] { return ZV_kbhit(w) == 1 && (c = ZVReadChar(w)) != 0; }));
    EXPECT_EQ(western[0], '\x80');
    EXPECT_EQ(western[1], '?');
    ZVDestroyWindow(w);
}

// ZVSetIcon gives the window an icon of the bitmap's size for both of its sizes; the cursor
// call and the display's name need no screen to answer.
TEST(WindowsInput, IconCursorAndDisplayKind) {
    int w = ZVCreateWindow(100, 100, 64, 48, "icon");
    HWND hwnd = library_window("icon");
    ASSERT_NE(hwnd, nullptr);
    int bitmap = ZVCopyBitmap(w, 0, 0, 32, 24);
    ASSERT_GT(bitmap, 0);
    EXPECT_EQ(ZVSetIcon(w, bitmap), ZV_OK);
    HICON big = reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0));
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0)), big);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(big, &info));
    BITMAP colour{};
    GetObjectA(info.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(colour.bmWidth, 32);
    EXPECT_EQ(colour.bmHeight, 24);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    EXPECT_EQ(ZVSetIcon(w, bitmap), ZV_OK) << "a second icon replaces the first";
    EXPECT_EQ(ZVShowCursor(w, 0), ZV_OK);
    EXPECT_EQ(ZVShowCursor(w, 1), ZV_OK);
    EXPECT_STREQ(ZVGetDisplayKind(), "windows");
    ZVDiscardBitmap(bitmap);
    ZVDestroyWindow(w);
}
