// Sizing by the user's hand on the headless screen: a resizable window follows a drag and a
// maximise, a fixed one keeps its size.
#include "headless_helpers.h"
#include "poll.h"

namespace {

// Drags the frame's corner so that the client area becomes width x height.
void drag_client_to(int w, int width, int height) {
    headless_test_window_info state = screen_state_of(w);
    int across = (state.frame.right - state.frame.left) - (state.client.right - state.client.left);
    int down = (state.frame.bottom - state.frame.top) - (state.client.bottom - state.client.top);
    ASSERT_TRUE(headless_test_drag_border(hwnd_of(w), width + across, height + down));
}

} // namespace

TEST(UserSizing, AResizableWindowTakesTheDraggedSizeAndKeepsItsPicture) {
    headless_test_activate();
    int w = ZVCreateWindow(40, 40, 120, 90, "resizable");
    ZVSetBackground(w, ZVGetRGBColour(0, 0, 255));
    ZVSetPixel(w, 119, 89, ZVGetRGBColour(255, 0, 0));
    ASSERT_EQ(ZVSetResizable(w, 1), ZV_OK);
    EXPECT_EQ(ZVWasResized(w), 0);
    drag_client_to(w, 200, 150);
    ASSERT_TRUE(poll_until([&] { return ZVWasResized(w) == 1; }));
    EXPECT_EQ(ZVWasResized(w), 0); // once per change
    EXPECT_EQ(ZVGetWidth(w), 200);
    EXPECT_EQ(ZVGetHeight(w), 150);
    EXPECT_EQ(ZVGetPixel(w, 119, 89), ZVGetRGBColour(255, 0, 0));
    EXPECT_EQ(ZVGetPixel(w, 199, 149), ZVGetRGBColour(0, 0, 255));
    ASSERT_TRUE(headless_test_maximize(hwnd_of(w)));
    ASSERT_TRUE(poll_until([&] { return ZVWasResized(w) == 1; }));
    EXPECT_EQ(ZVGetWidth(w), screen_state_of(w).client.right - screen_state_of(w).client.left);
    EXPECT_GT(ZVGetWidth(w), 200);
    ZVDestroyWindow(w);
}

TEST(UserSizing, AFixedWindowKeepsItsSizeWhateverTheUserDoes) {
    headless_test_activate();
    int w = ZVCreateWindow(40, 40, 120, 90, "fixed");
    headless_test_window_info before = screen_state_of(w);
    drag_client_to(w, 300, 200);
    ASSERT_TRUE(headless_test_maximize(hwnd_of(w)));
    flush_input(w);
    headless_test_window_info after = screen_state_of(w);
    EXPECT_EQ(after.frame.right - after.frame.left, before.frame.right - before.frame.left);
    EXPECT_EQ(after.frame.bottom - after.frame.top, before.frame.bottom - before.frame.top);
    EXPECT_EQ(ZVGetWidth(w), 120);
    EXPECT_EQ(ZVWasResized(w), 0);

    // Allowed, then taken back: the size the user gave stays, and the window is fixed again.
    ASSERT_TRUE(headless_test_restore(hwnd_of(w)));
    ZVSetResizable(w, 1);
    drag_client_to(w, 150, 100);
    ASSERT_TRUE(poll_until([&] { return ZVGetWidth(w) == 150; }));
    ZVSetResizable(w, 0);
    drag_client_to(w, 300, 200);
    flush_input(w);
    EXPECT_EQ(ZVGetWidth(w), 150);
    EXPECT_EQ(screen_state_of(w).client.right - screen_state_of(w).client.left, 150);
    ZVDestroyWindow(w);
}
