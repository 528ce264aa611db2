// Title, position, size and show state, as the headless screen shows them.
#include "headless_helpers.h"
#include "poll.h"

#include <gtest/gtest.h>

TEST(Title, SetAndGetTheLibrarysCopy) {
    int w = ZVCreateWindow(10, 10, 100, 80, "first");
    EXPECT_STREQ(ZVGetTitle(w), "first");
    EXPECT_EQ(ZVSetTitle(w, "second"), ZV_OK);
    EXPECT_STREQ(ZVGetTitle(w), "second");
    EXPECT_STREQ(screen_state_of(w).title, "second");
    EXPECT_EQ(ZVSetTitle(w, ""), ZV_OK);
    EXPECT_STREQ(ZVGetTitle(w), "");
}

TEST(Geometry, ANewWindowHasItsClientAreaWhereAsked) {
    int w = ZVCreateWindow(120, 90, 200, 100, "placed");
    headless_test_window_info state = screen_state_of(w);
    EXPECT_EQ(state.client.left, 120);
    EXPECT_EQ(state.client.top, 90);
    EXPECT_EQ(state.client.right - state.client.left, 200);
    EXPECT_EQ(state.client.bottom - state.client.top, 100);
    EXPECT_TRUE(state.visible);
    EXPECT_EQ(state.z_order, 0);
    EXPECT_EQ(ZVGetWindowX(w), 120);
    EXPECT_EQ(ZVGetWindowY(w), 90);
    EXPECT_EQ(ZVGetWidth(w), 200);
    EXPECT_EQ(ZVGetHeight(w), 100);
}

TEST(Geometry, MovePlacesTheFrameAndReportsTheClientArea) {
    int w = ZVCreateWindow(300, 300, 200, 100, "mover");
    headless_test_window_info before = screen_state_of(w);
    int border_left = before.client.left - before.frame.left;
    int border_top = before.client.top - before.frame.top;
    EXPECT_EQ(ZVMove(w, 100, 100), ZV_OK);
    headless_test_window_info after = screen_state_of(w);
    EXPECT_EQ(after.frame.left, 100);
    EXPECT_EQ(after.frame.top, 100);
    EXPECT_TRUE(poll_until([&] { return ZVGetWindowX(w) == 100 + border_left; }));
    EXPECT_EQ(ZVGetWindowY(w), 100 + border_top);
    EXPECT_EQ(ZVGetWidth(w), 200);
    // Moving to where the frame already is changes nothing.
    EXPECT_EQ(ZVMove(w, 100, 100), ZV_OK);
    EXPECT_EQ(screen_state_of(w).frame.left, 100);
}

TEST(Geometry, ResizeChangesTheClientSizeOnly) {
    int w = ZVCreateWindow(50, 60, 200, 100, "resizer");
    EXPECT_EQ(ZVResize(w, 300, 150), ZV_OK);
    EXPECT_EQ(ZVGetWidth(w), 300);
    EXPECT_EQ(ZVGetHeight(w), 150);
    headless_test_window_info state = screen_state_of(w);
    EXPECT_EQ(state.client.left, 50);
    EXPECT_EQ(state.client.top, 60);
    EXPECT_EQ(state.client.right - state.client.left, 300);
    EXPECT_EQ(state.client.bottom - state.client.top, 150);
    EXPECT_EQ(ZVResize(w, 300, 150), ZV_OK);
    EXPECT_EQ(ZVGetWidth(w), 300);
}

TEST(Geometry, ResizeRefusesSizesBelowOne) {
    int w = ZVCreateWindow(50, 60, 200, 100, "refuse");
    EXPECT_EQ(ZVResize(w, 0, 50), ZV_ERR_BAD_WIDTH);
    EXPECT_EQ(ZVResize(w, 50, -3), ZV_ERR_BAD_HEIGHT);
    EXPECT_EQ(ZVGetWidth(w), 200);
    EXPECT_EQ(ZVGetHeight(w), 100);
    EXPECT_EQ(screen_state_of(w).client.right - screen_state_of(w).client.left, 200);
}

TEST(Geometry, TheUsersDragSnapsBackToTheStoredSize) {
    int w = ZVCreateWindow(50, 60, 200, 100, "drag");
    HWND hwnd = hwnd_of(w);
    headless_test_window_info before = screen_state_of(w);
    int frame_width = before.frame.right - before.frame.left;
    int frame_height = before.frame.bottom - before.frame.top;
    // Two pixels larger each way is the size the buffer rectangle's edges would suggest; it
    // must snap back like any other.
    for (int grow : {80, 2}) {
        ASSERT_TRUE(headless_test_drag_border(hwnd, frame_width + grow, frame_height + grow));
        EXPECT_TRUE(poll_until([&] {
            headless_test_window_info now = screen_state_of(w);
            return now.frame.right - now.frame.left == frame_width &&
                   now.frame.bottom - now.frame.top == frame_height;
        })) << "grown by "
            << grow;
        EXPECT_EQ(ZVGetWidth(w), 200);
        EXPECT_EQ(ZVGetHeight(w), 100);
    }
}

TEST(Geometry, MaximisingKeepsTheFrameSize) {
    int w = ZVCreateWindow(50, 60, 200, 100, "maximise");
    headless_test_window_info before = screen_state_of(w);
    ASSERT_TRUE(headless_test_maximize(hwnd_of(w)));
    EXPECT_TRUE(poll_until([&] { return screen_state_of(w).maximized; }));
    headless_test_window_info after = screen_state_of(w);
    EXPECT_EQ(after.frame.right - after.frame.left, before.frame.right - before.frame.left);
    EXPECT_EQ(after.frame.bottom - after.frame.top, before.frame.bottom - before.frame.top);
    EXPECT_EQ(ZVGetWidth(w), 200);
}

TEST(ShowState, MinimiseRestoreAndBringToFront) {
    int a = ZVCreateWindow(50, 60, 200, 100, "a");
    int b = ZVCreateWindow(80, 90, 200, 100, "b");
    EXPECT_EQ(screen_state_of(b).z_order, 0);
    EXPECT_EQ(ZVMinimize(a), ZV_OK);
    EXPECT_TRUE(screen_state_of(a).minimized);
    // A minimised window is parked at (-32000, -32000), as Windows does, until it is restored.
    EXPECT_EQ(ZVGetWindowX(a), -32000);
    EXPECT_EQ(ZVGetWindowY(a), -32000);
    EXPECT_EQ(ZVRestore(a), ZV_OK);
    EXPECT_FALSE(screen_state_of(a).minimized);
    EXPECT_EQ(ZVGetWindowX(a), 50);
    EXPECT_EQ(ZVGetWindowY(a), 60);
    EXPECT_EQ(ZVGetWidth(a), 200);
    headless_test_window_info restored = screen_state_of(a);
    EXPECT_EQ(restored.client.right - restored.client.left, 200);
    EXPECT_EQ(ZVBringWindowToFront(a), ZV_OK);
    EXPECT_EQ(screen_state_of(a).z_order, 0);
    EXPECT_EQ(GetForegroundWindow(), hwnd_of(a));
}
