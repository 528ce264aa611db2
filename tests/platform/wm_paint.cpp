// Invalidation, WM_PAINT, device contexts, and what reaches the screen.
#include "wm_test_support.h"

using namespace wm_test;

namespace {

class wm_Paint : public wm_fixture {};

const uint32_t red = 0x00FF0000u; // BGRX in memory: the colour RGB(255, 0, 0)
const uint32_t blue = 0x000000FFu;

HWND shown_window(int width = 120, int height = 80) {
    RECT frame{200, 150, 200 + width, 150 + height};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND hwnd =
        create_window(frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top);
    ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

uint32_t shown_pixel(HWND hwnd, int x, int y) {
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    if (!headless_test_read_client(hwnd, &pixels, &width, &height)) return 0xDEADBEEF;
    if (x >= width || y >= height) return 0xDEADBEEF;
    return pixels[static_cast<size_t>(y) * width + x];
}

// Fills the client area through GetDC and ReleaseDC.
void fill_through_window_dc(HWND hwnd, COLORREF colour) {
    HDC dc = GetDC(hwnd);
    ASSERT_NE(dc, nullptr);
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &client, brush);
    EXPECT_EQ(ReleaseDC(hwnd, dc), 1);
    DeleteObject(brush);
}

bool paint_pending(HWND hwnd) {
    MSG msg;
    return PeekMessageA(&msg, hwnd, WM_PAINT, WM_PAINT, PM_NOREMOVE);
}

} // namespace

TEST_F(wm_Paint, PaintComesOnlyWhileInvalidAndBeginPaintValidates) {
    HWND hwnd = shown_window();
    EXPECT_TRUE(paint_pending(hwnd)); // showing invalidated it
    EXPECT_TRUE(pump_until([&] { return log().count(WM_PAINT, hwnd) == 1; }));
    EXPECT_FALSE(paint_pending(hwnd));
    pump_until([] { return false; }, 60);
    EXPECT_EQ(log().count(WM_PAINT, hwnd), 1u);

    RECT a{10, 10, 20, 20}, b{30, 5, 40, 15};
    InvalidateRect(hwnd, &a, FALSE);
    InvalidateRect(hwnd, &b, FALSE);
    RECT painted{};
    hook() = [&](HWND h, UINT message, WPARAM, LPARAM, LRESULT *) {
        if (message != WM_PAINT) return false;
        PAINTSTRUCT ps;
        BeginPaint(h, &ps);
        painted = ps.rcPaint;
        EXPECT_FALSE(paint_pending(h)); // validated by BeginPaint itself
        EndPaint(h, &ps);
        return true;
    };
    EXPECT_TRUE(pump_until([&] { return log().count(WM_PAINT, hwnd) == 2; }));
    EXPECT_EQ(painted.left, 10);
    EXPECT_EQ(painted.top, 5);
    EXPECT_EQ(painted.right, 40);
    EXPECT_EQ(painted.bottom, 20);
    DestroyWindow(hwnd);
}

TEST_F(wm_Paint, AnUnvalidatedWindowKeepsAskingAndValidateRectStopsIt) {
    HWND hwnd = shown_window();
    hook() = [](HWND, UINT message, WPARAM, LPARAM, LRESULT *result) {
        *result = 0;
        return message == WM_PAINT; // handled without BeginPaint
    };
    MSG msg;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.message, UINT(WM_PAINT));
        DispatchMessageA(&msg);
    }
    EXPECT_TRUE(ValidateRect(hwnd, nullptr));
    EXPECT_FALSE(paint_pending(hwnd));
    DestroyWindow(hwnd);
}

TEST_F(wm_Paint, PaintWaitsBehindPostedMessagesAndGoesBeforeTimers) {
    HWND hwnd = shown_window();
    SetTimer(hwnd, 1, 10, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    PostMessageA(hwnd, WM_USER + 1, 0, 0);
    MSG msg;
    std::vector<UINT> order;
    for (int i = 0; i < 3 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        order.push_back(msg.message);
        if (msg.message == WM_PAINT) ValidateRect(hwnd, nullptr);
    }
    EXPECT_EQ(order, (std::vector<UINT>{WM_USER + 1, WM_PAINT, WM_TIMER}));
    DestroyWindow(hwnd);
}

TEST_F(wm_Paint, HiddenWindowsAreNotPainted) {
    HWND hwnd = create_window();
    EXPECT_TRUE(InvalidateRect(hwnd, nullptr, TRUE));
    EXPECT_FALSE(paint_pending(hwnd));
    ShowWindow(hwnd, SW_SHOW);
    EXPECT_TRUE(paint_pending(hwnd));
    ShowWindow(hwnd, SW_HIDE);
    EXPECT_FALSE(paint_pending(hwnd));
    DestroyWindow(hwnd);
}

TEST_F(wm_Paint, UpdateWindowPaintsAtOnce) {
    HWND hwnd = shown_window();
    EXPECT_TRUE(UpdateWindow(hwnd));
    EXPECT_EQ(log().count(WM_PAINT, hwnd), 1u); // sent, not waiting in the queue
    EXPECT_FALSE(paint_pending(hwnd));
    EXPECT_TRUE(UpdateWindow(hwnd)); // nothing invalid: no paint
    EXPECT_EQ(log().count(WM_PAINT, hwnd), 1u);
    DestroyWindow(hwnd);
}

TEST_F(wm_Paint, WhatIsPaintedReachesTheScreenAtEndPaint) {
    HWND hwnd = shown_window(100, 60);
    hook() = [](HWND h, UINT message, WPARAM, LPARAM, LRESULT *) {
        if (message != WM_PAINT) return false;
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dc, &ps.rcPaint, brush);
        DeleteObject(brush);
        EXPECT_NE(shown_pixel(h, 50, 30), red); // not on screen before EndPaint
        EndPaint(h, &ps);
        return true;
    };
    ASSERT_TRUE(pump_until([&] { return log().count(WM_PAINT, hwnd) == 1; }));
    EXPECT_EQ(shown_pixel(hwnd, 0, 0), red);
    EXPECT_EQ(shown_pixel(hwnd, 99, 59), red);
    DestroyWindow(hwnd);
}

TEST_F(wm_Paint, OwnDcIsTheSameDcEverywhereAndReleaseDcPresents) {
    HWND hwnd = shown_window(100, 60);
    HDC a = GetDC(hwnd);
    HDC b = GetDC(hwnd);
    EXPECT_EQ(a, b);
    PAINTSTRUCT ps;
    EXPECT_EQ(BeginPaint(hwnd, &ps), a);
    EndPaint(hwnd, &ps);
    ReleaseDC(hwnd, a);
    ReleaseDC(hwnd, b);
    fill_through_window_dc(hwnd, RGB(0, 0, 255));
    EXPECT_EQ(shown_pixel(hwnd, 10, 10), blue);
    EXPECT_EQ(ReleaseDC(hwnd, reinterpret_cast<HDC>(0x1234)), 0); // not this window's DC
    DestroyWindow(hwnd);
}

TEST_F(wm_Paint, ADcReleasedOnAnotherThreadIsPresentedByTheOwner) {
    gui_thread gui;
    gui.start([] { return shown_window(100, 60); });
    // The surface has no lock of its own: draw only once the owner has finished painting.
    ASSERT_TRUE(log().wait_count(WM_PAINT, 1, gui.window));
    gui.run([] {});
    fill_through_window_dc(gui.window, RGB(255, 0, 0));
    EXPECT_TRUE(wait_until([&] { return shown_pixel(gui.window, 5, 5) == red; }));
}

TEST_F(wm_Paint, AResizedWindowDrawsOnItsNewSize) {
    HWND hwnd = shown_window(200, 60);
    RECT frame;
    GetWindowRect(hwnd, &frame);
    MoveWindow(hwnd, frame.left, frame.top, frame.right - frame.left + 50,
               frame.bottom - frame.top + 40, TRUE);
    fill_through_window_dc(hwnd, RGB(255, 0, 0));
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    ASSERT_TRUE(headless_test_read_client(hwnd, &pixels, &width, &height));
    EXPECT_EQ(width, 250);
    EXPECT_EQ(height, 100);
    EXPECT_EQ(pixels.back(), red);
    DestroyWindow(hwnd);
}

TEST_F(wm_Paint, ClassesWithoutOwnDcHandOutFreshDcs) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = logging_proc;
    wc.lpszClassName = "WmTestPlainDc";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, "WmTestPlainDc", "plain", WS_OVERLAPPEDWINDOW, 0, 0, 200, 150,
                                nullptr, nullptr, nullptr, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    HDC dc = GetDC(hwnd);
    ASSERT_NE(dc, nullptr);
    RECT r{0, 0, 4, 4};
    HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &r, brush);
    DeleteObject(brush);
    EXPECT_EQ(ReleaseDC(hwnd, dc), 1);
    EXPECT_EQ(ReleaseDC(hwnd, dc), 0); // released once only
    EXPECT_EQ(shown_pixel(hwnd, 1, 1), red);
    DestroyWindow(hwnd);
}
