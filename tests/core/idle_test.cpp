// An idle library with open windows sleeps instead of spinning.
#include "../api/headless_helpers.h"
#include "idle_threads.h"
#include "platform/posix/user/wm_internal.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// How many timers the window manager runs for the window.
size_t timers_of(HWND hwnd) {
    wm_lock();
    wm_window *window = wm_find(hwnd);
    size_t timers = window != nullptr ? window->timers.size() : 0;
    wm_unlock();
    return timers;
}

// The colour the screen shows at the top-left pixel of the window's client area.
ZVCOLOUR shown_first_pixel(HWND hwnd) {
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    if (!headless_test_read_client(hwnd, &pixels, &width, &height) || pixels.empty())
        return CLR_INVALID;
    uint32_t bgrx = pixels[0];
    return (bgrx >> 16 & 0xFF) | (bgrx & 0xFF00) | (bgrx & 0xFF) << 16;
}

} // namespace

// An open window that shows all it holds runs no timer, so nothing wakes for it. A change
// starts its refresh timer, which brings the change to the screen and stops once there is
// nothing left to show.
TEST(Idle, ARefreshTimerRunsOnlyWhileAChangeWaitsForTheScreen) {
    std::vector<int> windows;
    for (int i = 0; i < 20; ++i) windows.push_back(ZVCreateWindow(10 + i, 10, 60, 40, "timers"));
    HWND hwnd = hwnd_of(windows[0]);
    for (int w : windows)
        EXPECT_TRUE(poll_until([&] { return timers_of(hwnd_of(w)) == 0; })) << "window " << w;
    for (ZVCOLOUR colour : {0x0000FFu, 0x00FF00u}) {
        ZVSetPixel(windows[0], 0, 0, colour);
        EXPECT_TRUE(poll_until([&] { return shown_first_pixel(hwnd) == colour; }));
        EXPECT_TRUE(poll_until([&] { return timers_of(hwnd) == 0; })) << "the timer ran on";
    }
    // At a period the host set, every change of a stream of them shows, and the timer stops
    // after the last.
    EXPECT_EQ(ZVSetAutoRedraw(windows[0], 30), 30);
    for (int i = 0; i < 20; ++i) {
        ZVCOLOUR colour = i % 2 ? 0xFF0000u : 0x00FFFFu;
        ZVSetPixel(windows[0], 0, 0, colour);
        ASSERT_TRUE(poll_until([&] { return shown_first_pixel(hwnd) == colour; })) << i;
    }
    EXPECT_TRUE(poll_until([&] { return timers_of(hwnd) == 0; }));
    for (int w : windows) ZVDestroyWindow(w);
}

TEST(Idle, OpenWindowsCostAlmostNoCpu) {
    int windows[3];
    for (int &w : windows) {
        w = ZVCreateWindow(10, 10, 200, 150, "idle");
        ASSERT_NE(w, 0);
    }
    HWND hwnd = hwnd_of(windows[0]);
    // Each window has its refresh timer.
    expect_idle_over_ticks(windows[0], 3, [&](ZVCOLOUR colour) {
        std::vector<uint32_t> pixels;
        int width = 0, height = 0;
        if (!headless_test_read_client(hwnd, &pixels, &width, &height) || pixels.empty())
            return false;
        uint32_t bgrx = pixels[0];
        return ((bgrx >> 16 & 0xFF) | (bgrx & 0xFF00) | (bgrx & 0xFF) << 16) == colour;
    });
    for (int w : windows) ZVDestroyWindow(w);
}
