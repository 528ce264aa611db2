// What reaches the headless screen, and when: the refresh timer or an explicit redraw brings
// the view buffer there; drawing never paints by itself.
#include "core/window_table.h"
#include "drawing_support.h"
#include "platform/posix/display/headless/headless_test.h"
#include "poll.h"

#include <gtest/gtest.h>

namespace {

// The colour the screen shows at client (x, y) of window `w`, or CLR_INVALID.
ZVCOLOUR shown_at(int w, int x, int y) {
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    window_ref window(w);
    if (!window.record || !headless_test_read_client(window->hwnd, &pixels, &width, &height) ||
        x >= width || y >= height)
        return CLR_INVALID;
    uint32_t pixel = pixels[static_cast<size_t>(y) * width + x]; // 0x00RRGGBB
    return (pixel & 0xFF) << 16 | (pixel & 0xFF00) | (pixel >> 16 & 0xFF);
}

bool shows(int w, int x, int y, ZVCOLOUR colour) {
    return poll_until([&] { return shown_at(w, x, y) == colour; });
}

int open_window(const char *title) {
    headless_test_activate();
    return ZVCreateWindow(40, 40, 80, 60, title);
}

} // namespace

TEST(Refresh, DrawingReachesTheScreenWithNoFurtherCall) {
    int w = open_window("fresh");
    // The window's first paint copies the buffer without any timer: it is over once the
    // screen shows a pixel drawn before it could have started.
    ZVSetPixel(w, 5, 5, k_red);
    ASSERT_TRUE(shows(w, 5, 5, k_red));
    EXPECT_EQ(shown_at(w, 20, 20), k_white);
    ZVFillRectangle(w, 10, 10, 30, 30);
    EXPECT_TRUE(shows(w, 20, 20, k_black));
    EXPECT_EQ(window_ref(w)->buffer_dirty[0].load(), 0) << "the paint took the mark away";
    // A block marks the buffer as the drawing calls do.
    ZVCOLOUR red = k_red;
    EXPECT_EQ(ZVPutPixels(w, 20, 20, 1, 1, &red, 1), ZV_OK);
    EXPECT_TRUE(shows(w, 20, 20, k_red));
}

// Only the view buffer is painted: a drawing in the other buffer stays off the screen
// through repaints, shows at once on a switch, and by copy at the next tick.
TEST(Refresh, HiddenBufferNeverReachesTheScreen) {
    int w = open_window("hidden");
    ZVSetDoubleBuffer(w, 1);
    ZVSwitchDrawBuffer(w);
    ZVClearDrawBuffer(w);
    ZVFillRectangle(w, 10, 10, 20, 20);
    ZVSwitchDrawBuffer(w);
    ZVFillRectangle(w, 40, 10, 50, 20);
    ASSERT_TRUE(shows(w, 45, 15, k_black)) << "the view buffer is painted";
    EXPECT_EQ(shown_at(w, 15, 15), k_white) << "the hidden buffer is not";
    EXPECT_EQ(ZVSwitchViewBuffer(w), 1);
    EXPECT_TRUE(shows(w, 15, 15, k_black));
    EXPECT_TRUE(shows(w, 45, 15, k_white));

    ZVSetBackground(w, k_green);
    ZVClearDrawBuffer(w); // buffer 0
    EXPECT_EQ(ZVCopyDrawBufferToView(w), ZV_OK);
    EXPECT_TRUE(shows(w, 15, 15, k_green));
    // Switched off with draw 0 and view 1: buffer 0, changed and now on view, is painted.
    ZVSetBackground(w, k_blue);
    ZVClearDrawBuffer(w);
    EXPECT_EQ(ZVSetDoubleBuffer(w, 0), 0);
    EXPECT_TRUE(shows(w, 15, 15, k_blue));
}

// With the timer stopped nothing reaches the screen until ZVRedraw. A second window whose
// own refreshes are watched marks the time: three of them show the GUI thread kept going.
TEST(Refresh, StoppedTimerHoldsTheScreenUntilRedraw) {
    int clock = open_window("clock");
    int ticks = 0;
    auto tick = [&] {
        ZVCOLOUR colour = ++ticks % 2 ? k_red : k_blue;
        ZVSetPixel(clock, ticks, 0, colour);
        return shows(clock, ticks, 0, colour);
    };
    int w = open_window("stopped");
    ZVPlot(w, 1, 1);
    ASSERT_TRUE(shows(w, 1, 1, k_black)) << "the painting that creation asked for is over";
    EXPECT_EQ(ZVSetAutoRedraw(w, 0), 0);
    ASSERT_TRUE(tick()) << "a refresh under way when the timer stopped has ended";
    ZVFillRectangle(w, 10, 10, 30, 30);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(tick());
    EXPECT_EQ(shown_at(w, 20, 20), k_white);
    EXPECT_EQ(ZVRedraw(w), ZV_OK);
    EXPECT_TRUE(shows(w, 20, 20, k_black));

    EXPECT_EQ(ZVSetAutoRedraw(w, 15), 15); // running again, it brings drawing by itself
    ZVPlot(w, 50, 50);
    EXPECT_TRUE(shows(w, 50, 50, k_black));
}
