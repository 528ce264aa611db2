// Canvases seen from inside: no platform window and no timer, whatever is called on them:
// drawing never asks the GUI thread for a refresh, which would go to a window that is not there.
#include "headless_helpers.h"

#include <gtest/gtest.h>

TEST(Canvas, HasNoPlatformWindowOrTimer) {
    int c = ZVCreateCanvas(20, 10);
    ASSERT_GT(c, 0);
    ZVSetTitle(c, "never shown");
    ZVSetAutoRedraw(c, 20);
    ZVResize(c, 30, 30);
    ZVSetDoubleBuffer(c, 1);
    ZVPresent(c);
    ZVSwitchViewBuffer(c);
    ZVRedraw(c);
    ZVSetPixel(c, 1, 1, 0x0000FF);
    ZVCopyDrawBufferToView(c);
    ZVSetDoubleBuffer(c, 0);
    {
        window_ref canvas(c);
        ASSERT_NE(canvas.record, nullptr);
        EXPECT_TRUE(canvas->canvas);
        EXPECT_EQ(canvas->hwnd, nullptr);
        EXPECT_EQ(canvas->refresh_period.load(), 0);
        EXPECT_EQ(canvas->refresh_wanted.load(), 0);
        EXPECT_EQ(canvas->refresh_timer_period, 0);
    }
    ZVDestroyWindow(c);
}
