// Canvases seen from inside: no platform window and no timer, whatever is called on them.
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
    {
        window_ref canvas(c);
        ASSERT_NE(canvas.record, nullptr);
        EXPECT_TRUE(canvas->canvas);
        EXPECT_EQ(canvas->hwnd, nullptr);
        EXPECT_EQ(canvas->refresh_timer.load(), 0u);
    }
    ZVDestroyWindow(c);
}
