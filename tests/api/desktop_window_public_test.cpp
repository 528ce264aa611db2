// Fullscreen, the screen's size and ZVWasResized through the public header alone.
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
    int w = ZVCreateWindow(30, 40, 160, 120, "fullscreen");
    ZVSetBackground(w, ZVGetRGBColour(0, 128, 0));
    ZVSetPixel(w, 10, 10, ZVGetRGBColour(255, 255, 0));
    int x = ZVGetWindowX(w), y = ZVGetWindowY(w);
    ASSERT_EQ(ZVSetFullscreen(w, 1), ZV_OK);
    EXPECT_EQ(ZVGetWidth(w), ZVGetScreenWidth());
    EXPECT_EQ(ZVGetHeight(w), ZVGetScreenHeight());
    EXPECT_EQ(ZVWasResized(w), 1);
    EXPECT_EQ(ZVWasResized(w), 0);
    EXPECT_EQ(ZVGetPixel(w, 10, 10), ZVGetRGBColour(255, 255, 0));
    EXPECT_EQ(ZVGetPixel(w, ZVGetWidth(w) - 1, ZVGetHeight(w) - 1), ZVGetRGBColour(0, 128, 0));
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
