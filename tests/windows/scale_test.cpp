// Zelvan.dll on a desktop of 192 dpi (a Wine prefix of its own with LogPixels 192): windows
// are enlarged twice in exact blocks, input is divided back, fullscreen covers the monitor, a
// screen of another density changes the scale, ZELVAN_SCALE wins.
#include "poll.h"
#include "zelvan.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <thread>
#include <vector>

namespace {

// The test reads windows in screen pixels, as the library's own thread sees them.
void see_screen_pixels() {
    using set_context = HANDLE(WINAPI *)(HANDLE);
    FARPROC found = GetProcAddress(GetModuleHandleA("user32.dll"), "SetThreadDpiAwarenessContext");
    auto set = reinterpret_cast<set_context>(reinterpret_cast<void (*)()>(found));
    ASSERT_NE(set, nullptr);
    set(reinterpret_cast<HANDLE>(static_cast<intptr_t>(-3))); // per-monitor aware
}

HWND window_titled(const char *title) {
    HWND hwnd = nullptr;
    poll_until([&] { return (hwnd = FindWindowA("ZelvanClass", title)) != nullptr; });
    return hwnd;
}

SIZE client_size(HWND hwnd) {
    RECT client{};
    GetClientRect(hwnd, &client);
    return SIZE{client.right, client.bottom};
}

// The window's client pixels (0x00RRGGBB), copied from its DC.
std::vector<DWORD> shown(HWND hwnd, int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void *bits = nullptr;
    HDC window_dc = GetDC(hwnd), copy_dc = CreateCompatibleDC(window_dc);
    HBITMAP copy = CreateDIBSection(copy_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(copy_dc, copy);
    BitBlt(copy_dc, 0, 0, width, height, window_dc, 0, 0, SRCCOPY);
    std::vector<DWORD> pixels(static_cast<DWORD *>(bits),
                              static_cast<DWORD *>(bits) + width * height);
    SelectObject(copy_dc, previous);
    DeleteObject(copy);
    DeleteDC(copy_dc);
    ReleaseDC(hwnd, window_dc);
    for (DWORD &p : pixels) p &= 0xFFFFFF;
    return pixels;
}

} // namespace

TEST(WindowsScale, TwiceTheSizeInExactBlocksInputDividedBackFullscreenAndTheEnvironmentWins) {
    see_screen_pixels();
    int w = ZVCreateWindow(60, 50, 100, 80, "scaled");
    ASSERT_EQ(ZVGetScale(w), 2);
    HWND hwnd = window_titled("scaled");
    EXPECT_EQ(client_size(hwnd).cx, 200);
    EXPECT_EQ(client_size(hwnd).cy, 160);
    std::vector<DWORD> expected;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 100; ++x) ZVSetPixelFast(w, x, y, RGB(x * 2, y * 3, (x + y) % 2 * 255));
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 200; ++x)
            expected.push_back(x / 2 * 2 << 16 | y / 2 * 3 << 8 | (x / 2 + y / 2) % 2 * 255);
    // Asked again while it waits, as a frame loop would: in a Wine prefix made moments before,
    // the window sometimes keeps the last rows of an earlier, half-drawn paint although the
    // buffer is whole and no repaint is pending; the next repaint shows them.
    std::vector<DWORD> seen;
    EXPECT_TRUE(poll_until(
        [&] {
            ZVRedraw(w);
            return (seen = shown(hwnd, 200, 160)) == expected;
        },
        20.0));
    for (size_t i = 0; i < seen.size() && seen != expected; ++i)
        if (seen[i] != expected[i]) { // where the picture went wrong, for the log
            ADD_FAILURE() << "first wrong pixel at (" << i % 200 << ", " << i / 200
                          << "): " << std::hex << seen[i] << " instead of " << expected[i];
            break;
        }

    PostMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(75, 43));
    PostMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(75, 43));
    ASSERT_TRUE(poll_until([&] { return ZVCaptureLastLeftMouseClick(w) == ZV_OK; }));
    EXPECT_EQ(ZVGetLastLeftMouseClickX(w), 37);
    EXPECT_EQ(ZVGetLastLeftMouseClickY(w), 21);
    // A resize from a thread unaware of the density keeps the window at twice the new size.
    std::thread([&] { EXPECT_EQ(ZVResize(w, 150, 100), ZV_OK); }).join();
    EXPECT_EQ(client_size(hwnd).cx, 300);

    // Fullscreen covers the monitor's screen pixels, which are twice the drawing size.
    ASSERT_EQ(ZVSetFullscreen(w, 1), ZV_OK);
    EXPECT_EQ(ZVGetWidth(w), ZVGetScreenWidth());
    EXPECT_EQ(ZVGetHeight(w), ZVGetScreenHeight());
    EXPECT_EQ(client_size(hwnd).cx, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(client_size(hwnd).cx, 2 * ZVGetWidth(w));
    ASSERT_EQ(ZVSetFullscreen(w, 0), ZV_OK);
    EXPECT_EQ(ZVGetWidth(w), 150);
    EXPECT_EQ(client_size(hwnd).cx, 300);
    // Moved to a screen of 288 dpi, the window takes scale 3 and keeps its drawing size.
    RECT suggested{40, 30, 600, 400};
    SendMessageA(hwnd, WM_DPICHANGED, MAKEWPARAM(288, 288), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(ZVGetScale(w), 3);
    EXPECT_EQ(client_size(hwnd).cx, 450);
    ZVDestroyWindow(w);

    SetEnvironmentVariableA("ZELVAN_SCALE", "3");
    w = ZVCreateWindow(60, 50, 100, 60, "chosen");
    SetEnvironmentVariableA("ZELVAN_SCALE", nullptr);
    EXPECT_EQ(ZVGetScale(w), 3);
    EXPECT_EQ(client_size(window_titled("chosen")).cx, 300);
    ZVDestroyWindow(w);
}
