// An idle library with open windows sleeps instead of spinning.
#include "../api/headless_helpers.h"
#include "idle_threads.h"

#include <gtest/gtest.h>

#include <vector>

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
