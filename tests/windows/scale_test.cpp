// Zelvan.dll on a desktop that states 192 dpi (the test runs in a Wine prefix of its own with
// LogPixels 192): windows are enlarged twice in exact blocks and input is divided back.
#include "poll.h"
#include "zelvan.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

namespace {

HWND library_window(const char *title) {
    HWND found = nullptr;
    poll_until([&] { return (found = FindWindowA("ZelvanClass", title)) != nullptr; });
    return found;
}

COLORREF pattern(int x, int y) {
    return RGB(x * 2, y * 3, (x + y) % 2 ? 255 : 0);
}

// What the window shows over its client area, read back from its DC.
std::vector<COLORREF> shown(HWND hwnd, int width, int height) {
    std::vector<COLORREF> pixels;
    HDC dc = GetDC(hwnd);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixels.push_back(GetPixel(dc, x, y));
    ReleaseDC(hwnd, dc);
    return pixels;
}

} // namespace

TEST(WindowsScale, TwiceTheSizeInExactBlocksAndClicksDividedBack) {
    int w = ZVCreateWindow(60, 50, 100, 80, "scaled");
    ASSERT_GT(w, 0);
    ASSERT_EQ(ZVGetScale(w), 2);
    EXPECT_EQ(ZVGetWidth(w), 100);
    HWND hwnd = library_window("scaled");
    ASSERT_NE(hwnd, nullptr);
    RECT client{};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 160);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 100; ++x) ZVSetPixelFast(w, x, y, pattern(x, y));
    ZVRedraw(w);
    std::vector<COLORREF> expected;
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 200; ++x) expected.push_back(pattern(x / 2, y / 2));
    EXPECT_TRUE(poll_until([&] { return shown(hwnd, 200, 160) == expected; }));

    PostMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(75, 43));
    PostMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(75, 43));
    ASSERT_TRUE(poll_until([&] { return ZVCaptureLastLeftMouseClick(w) == ZV_OK; }));
    EXPECT_EQ(ZVGetLastLeftMouseClickX(w), 37);
    EXPECT_EQ(ZVGetLastLeftMouseClickY(w), 21);
    EXPECT_EQ(ZVGetMouseX(w), 37);
    ZVDestroyWindow(w);
}

TEST(WindowsScale, TheEnvironmentWinsOverTheDesktop) {
    SetEnvironmentVariableA("ZELVAN_SCALE", "3");
    int w = ZVCreateWindow(60, 50, 40, 30, "chosen");
    SetEnvironmentVariableA("ZELVAN_SCALE", nullptr);
    EXPECT_EQ(ZVGetScale(w), 3);
    RECT client{};
    GetClientRect(library_window("chosen"), &client);
    EXPECT_EQ(client.right, 120);
    ZVDestroyWindow(w);
    EXPECT_EQ(ZVGetScale(w), ZV_ERR_BAD_WINDOW);
}
