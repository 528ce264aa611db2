// Zelvan.dll on a desktop that states 192 dpi (the test runs in a Wine prefix of its own with
// LogPixels 192): windows are enlarged twice in exact blocks and input is divided back.
#include "poll.h"
#include "zelvan.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <thread>
#include <vector>

namespace {

HWND library_window(const char *title) {
    HWND found = nullptr;
    poll_until([&] { return (found = FindWindowA("ZelvanClass", title)) != nullptr; });
    return found;
}

// The test reads the window in screen pixels, as the library's own thread sees it.
void see_screen_pixels() {
    using set_context = HANDLE(WINAPI *)(HANDLE);
    FARPROC found = GetProcAddress(GetModuleHandleA("user32.dll"), "SetThreadDpiAwarenessContext");
    auto set = reinterpret_cast<set_context>(reinterpret_cast<void (*)()>(found));
    ASSERT_NE(set, nullptr);
    set(reinterpret_cast<HANDLE>(static_cast<intptr_t>(-3))); // per-monitor aware
}

COLORREF pattern(int x, int y) {
    return RGB(x * 2, y * 3, (x + y) % 2 ? 255 : 0);
}

// What the window shows over its client area, copied from its DC, as COLORREFs.
std::vector<COLORREF> shown(HWND hwnd, int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HDC window_dc = GetDC(hwnd);
    HDC copy_dc = CreateCompatibleDC(window_dc);
    HBITMAP copy = CreateDIBSection(copy_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(copy_dc, copy);
    BitBlt(copy_dc, 0, 0, width, height, window_dc, 0, 0, SRCCOPY);
    GdiFlush();
    std::vector<COLORREF> pixels;
    for (int i = 0; i < width * height; ++i) {
        DWORD p = static_cast<const DWORD *>(bits)[i];
        pixels.push_back(RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF));
    }
    SelectObject(copy_dc, previous);
    DeleteObject(copy);
    DeleteDC(copy_dc);
    ReleaseDC(hwnd, window_dc);
    return pixels;
}

} // namespace

TEST(WindowsScale, TwiceTheSizeInExactBlocksAndClicksDividedBack) {
    see_screen_pixels();
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
    std::vector<COLORREF> seen;
    EXPECT_TRUE(poll_until([&] { return (seen = shown(hwnd, 200, 160)) == expected; }, 20.0));
    for (size_t i = 0; i < seen.size(); ++i)
        if (seen[i] != expected[i]) {
            ADD_FAILURE() << "first wrong pixel " << i % 200 << "," << i / 200 << ": " << std::hex
                          << seen[i] << " for " << expected[i];
            break;
        }

    PostMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(75, 43));
    PostMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(75, 43));
    ASSERT_TRUE(poll_until([&] { return ZVCaptureLastLeftMouseClick(w) == ZV_OK; }));
    EXPECT_EQ(ZVGetLastLeftMouseClickX(w), 37);
    EXPECT_EQ(ZVGetLastLeftMouseClickY(w), 21);
    EXPECT_EQ(ZVGetMouseX(w), 37);
    // A resize from a thread unaware of the density keeps the window at twice the new size.
    int resized = 0;
    std::thread([&] { resized = ZVResize(w, 150, 100); }).join();
    ASSERT_EQ(resized, ZV_OK);
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 200);
    ZVDestroyWindow(w);
}

TEST(WindowsScale, TheEnvironmentWinsOverTheDesktop) {
    see_screen_pixels();
    SetEnvironmentVariableA("ZELVAN_SCALE", "3");
    int w = ZVCreateWindow(60, 50, 100, 60, "chosen");
    SetEnvironmentVariableA("ZELVAN_SCALE", nullptr);
    EXPECT_EQ(ZVGetScale(w), 3);
    RECT client{};
    GetClientRect(library_window("chosen"), &client);
    EXPECT_EQ(client.right, 300);
    ZVDestroyWindow(w);
    EXPECT_EQ(ZVGetScale(w), ZV_ERR_BAD_WINDOW);
}
