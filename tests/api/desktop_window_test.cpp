// Windows on a modern desktop: bad handles, the screen's size and fullscreen through the
// public header alone (Zelvan.dll's suite runs them too), and sizing by the user's hand,
// which only the headless screen plays here (tests/x11 play it under a window manager).
#include "headless_on_posix.h"
#include "poll.h"
#include "zelvan.h"

#include <gtest/gtest.h>

TEST(DesktopWindow, BadHandlesAndTheScreenSize) {
    EXPECT_EQ(ZVSetResizable(0, 1), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVWasResized(9999), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVSetFullscreen(-3, 1), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_WINDOW);
    EXPECT_GT(ZVGetScreenWidth(), 0);
    EXPECT_GT(ZVGetScreenHeight(), 0);
}

TEST(DesktopWindow, FullscreenTakesTheScreenSizeAndGivesTheOldSizeBack) {
    const ZVCOLOUR green = ZVGetRGBColour(0, 128, 0), yellow = ZVGetRGBColour(255, 255, 0);
    int w = ZVCreateWindow(30, 40, 160, 120, "fullscreen");
    ZVSetBackground(w, green);
    ZVSetPixel(w, 10, 10, yellow);
    int x = ZVGetWindowX(w), y = ZVGetWindowY(w);
    ASSERT_EQ(ZVSetFullscreen(w, 1), ZV_OK);
    EXPECT_EQ(ZVGetWidth(w), ZVGetScreenWidth());
    EXPECT_EQ(ZVGetHeight(w), ZVGetScreenHeight());
    EXPECT_EQ(ZVWasResized(w), 1);
    EXPECT_EQ(ZVWasResized(w), 0);
    EXPECT_EQ(ZVGetPixel(w, 10, 10), yellow);
    EXPECT_EQ(ZVGetPixel(w, ZVGetWidth(w) - 1, ZVGetHeight(w) - 1), green);
    EXPECT_EQ(ZVSetFullscreen(w, 1), ZV_OK); // already there: nothing changes
    EXPECT_EQ(ZVWasResized(w), 0);

    ASSERT_EQ(ZVSetFullscreen(w, 0), ZV_OK);
    EXPECT_EQ(ZVGetWidth(w), 160);
    EXPECT_EQ(ZVGetHeight(w), 120);
    EXPECT_EQ(ZVGetWindowX(w), x);
    EXPECT_EQ(ZVGetWindowY(w), y);
    EXPECT_EQ(ZVWasResized(w), 1);
    EXPECT_EQ(ZVResize(w, 100, 90), ZV_OK); // the program's own size is not reported
    EXPECT_EQ(ZVWasResized(w), 0);
    ZVDestroyWindow(w);
}

// A resizable window narrower than the system's smallest titled window (about 110 pixels)
// keeps the sizes the program gives it, and gets them back from fullscreen.
TEST(DesktopWindow, AResizableWindowOfAnyWidthComesBackFromFullscreenAtItsSize) {
    for (int width : {40, 70, 109, 300}) {
        int w = ZVCreateWindow(30, 40, width, 60, "narrow");
        ASSERT_EQ(ZVSetResizable(w, 1), ZV_OK);
        EXPECT_EQ(ZVGetWidth(w), width);
        ASSERT_EQ(ZVSetFullscreen(w, 1), ZV_OK);
        EXPECT_EQ(ZVGetWidth(w), ZVGetScreenWidth());
        ASSERT_EQ(ZVSetFullscreen(w, 0), ZV_OK);
        EXPECT_TRUE(poll_until([&] { return ZVGetWidth(w) == width; }))
            << width << " came back " << ZVGetWidth(w);
        EXPECT_EQ(ZVGetHeight(w), 60);
        ASSERT_EQ(ZVResize(w, 12, 10), ZV_OK);
        EXPECT_TRUE(poll_until([&] { return ZVGetWidth(w) == 12; })) << ZVGetWidth(w);
        ZVDestroyWindow(w);
    }
}

#ifndef _WIN32
// Drags the frame's corner so that the client area becomes width x height.
static void drag_client_to(int w, int width, int height) {
    headless_test_window_info state = screen_state_of(w);
    int across = (state.frame.right - state.frame.left) - (state.client.right - state.client.left);
    int down = (state.frame.bottom - state.frame.top) - (state.client.bottom - state.client.top);
    ASSERT_TRUE(headless_test_drag_border(hwnd_of(w), width + across, height + down));
}

// One window through the user's hands: fixed, then allowed to size, then fixed again.
TEST(UserSizing, OnlyAResizableWindowTakesTheUsersSizeAndKeepsItsPicture) {
    ASSERT_TRUE(headless_test_activate());
    int w = ZVCreateWindow(40, 40, 120, 90, "sized by hand");
    auto client_width = [&] {
        return screen_state_of(w).client.right - screen_state_of(w).client.left;
    };
    RECT before = screen_state_of(w).frame;
    drag_client_to(w, 300, 200);
    ASSERT_TRUE(headless_test_maximize(hwnd_of(w)));
    flush_input(w);
    RECT after = screen_state_of(w).frame;
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
    EXPECT_EQ(ZVGetWidth(w), 120);
    EXPECT_EQ(ZVWasResized(w), 0);
    ASSERT_TRUE(headless_test_restore(hwnd_of(w)));

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
    EXPECT_EQ(ZVGetWidth(w), client_width());
    EXPECT_GT(ZVGetWidth(w), 200);
    ASSERT_TRUE(headless_test_restore(hwnd_of(w)));
    ASSERT_TRUE(poll_until([&] { return ZVGetWidth(w) == 200; }));

    // Taken back: the size the user gave stays, and the window is fixed again.
    ZVSetResizable(w, 0);
    drag_client_to(w, 300, 200);
    flush_input(w);
    EXPECT_EQ(ZVGetWidth(w), 200);
    EXPECT_EQ(client_width(), 200);
    ZVDestroyWindow(w);
}
// At scale 2 a size the user gives is kept to the screen pixel, however odd: the drawing is
// what whole drawing pixels of it fill. Moving the window to fit its buffers would overtake
// a request of the program's that the display has yet to answer.
TEST(UserSizing, AtScaleTwoTheWindowKeepsTheUsersOddSize) {
    setenv("ZELVAN_SCALE", "2", 1);
    int w = ZVCreateWindow(40, 40, 60, 50, "odd by hand");
    unsetenv("ZELVAN_SCALE");
    ASSERT_EQ(ZVGetScale(w), 2);
    ASSERT_EQ(ZVSetResizable(w, 1), ZV_OK);
    drag_client_to(w, 201, 151);
    ASSERT_TRUE(poll_until([&] { return ZVWasResized(w) == 1; }));
    EXPECT_EQ(ZVGetWidth(w), 100);
    EXPECT_EQ(ZVGetHeight(w), 75);
    flush_input(w);
    headless_test_window_info state = screen_state_of(w);
    EXPECT_EQ(state.client.right - state.client.left, 201);
    EXPECT_EQ(state.client.bottom - state.client.top, 151);
    // The user may size it down to one drawing pixel.
    drag_client_to(w, 2, 2);
    EXPECT_TRUE(poll_until([&] { return ZVGetWidth(w) == 1 && ZVGetHeight(w) == 1; }))
        << ZVGetWidth(w) << "x" << ZVGetHeight(w);
    ZVDestroyWindow(w);
}
#endif
