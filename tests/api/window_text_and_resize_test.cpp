// Window control through the public header alone: titles, bad handles, and the picture a
// resize keeps. (Where the window shows up on the screen is tested in window_control_test.)
#include "zelvan.h"

#include <gtest/gtest.h>

#include <string>

TEST(Title, LongTitlesComeBackCutTo299Characters) {
    std::string long_title(400, 't');
    long_title[298] = 'A';
    long_title[299] = 'B';
    int w = ZVCreateWindow(10, 10, 100, 80, long_title.c_str());
    std::string got = ZVGetTitle(w);
    EXPECT_EQ(got.size(), 299u);
    EXPECT_EQ(got.back(), 'A');
}

TEST(Title, OneSharedBufferAndEmptyTextForBadHandles) {
    int a = ZVCreateWindow(10, 10, 50, 50, "alpha");
    int b = ZVCreateWindow(10, 10, 50, 50, "beta");
    const char *first = ZVGetTitle(a);
    const char *second = ZVGetTitle(b);
    EXPECT_EQ(first, second);
    EXPECT_STREQ(first, "beta");
    EXPECT_STREQ(ZVGetTitle(9999), "");
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVSetTitle(0, "x"), ZV_ERR_BAD_WINDOW);
}

TEST(BadHandles, EveryCallReportsItsOwnValue) {
    EXPECT_EQ(ZVMove(0, 1, 1), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVResize(0, 10, 10), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVMinimize(0), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVRestore(0), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVBringWindowToFront(0), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVGetWidth(0), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVGetHeight(0), -999982);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVGetWindowX(0), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVGetWindowY(0), ZV_ERR_BAD_WINDOW);
}

// Resizing keeps the top-left picture both sizes share and fills the rest with the
// background colour, in every buffer the window has.
TEST(ResizePicture, GrowAndShrinkKeepTheSharedPicture) {
    const ZVCOLOUR red = 0x0000FF, green = 0x00FF00, grey = 0x808080;
    int w = ZVCreateWindow(20, 20, 200, 100, "picture");
    ZVSetBackground(w, grey);
    ZVSetPixel(w, 0, 0, red);
    ZVSetPixel(w, 199, 99, red);
    ZVSetPixel(w, 50, 40, green);
    ASSERT_EQ(ZVResize(w, 300, 150), ZV_OK);
    EXPECT_EQ(ZVGetPixel(w, 0, 0), red);
    EXPECT_EQ(ZVGetPixel(w, 199, 99), red);
    EXPECT_EQ(ZVGetPixel(w, 50, 40), green);
    EXPECT_EQ(ZVGetPixel(w, 100, 50), 0xFFFFFFu);
    EXPECT_EQ(ZVGetPixel(w, 100, 100), grey);
    EXPECT_EQ(ZVGetPixel(w, 250, 20), grey);
    EXPECT_EQ(ZVGetPixel(w, 20, 120), grey);
    EXPECT_EQ(ZVGetPixel(w, 299, 149), grey);
    ASSERT_EQ(ZVResize(w, 100, 50), ZV_OK);
    ASSERT_EQ(ZVResize(w, 200, 100), ZV_OK);
    EXPECT_EQ(ZVGetPixel(w, 50, 40), green);
    EXPECT_EQ(ZVGetPixel(w, 199, 99), grey);
}

TEST(ResizePicture, BothBuffersOfADoubleBufferedWindowAreResized) {
    const ZVCOLOUR blue = 0xFF0000, yellow = 0x00FFFF;
    int w = ZVCreateWindow(20, 20, 60, 40, "double");
    ASSERT_EQ(ZVSetDoubleBuffer(w, 1), 1);
    ZVSetPixel(w, 10, 10, blue);
    ZVSwitchDrawBuffer(w);
    ZVSetPixel(w, 10, 10, yellow);
    ASSERT_EQ(ZVResize(w, 90, 70), ZV_OK);
    EXPECT_EQ(ZVGetPixel(w, 10, 10), yellow);
    EXPECT_EQ(ZVGetPixel(w, 80, 60), 0xFFFFFFu);
    ZVSwitchDrawBuffer(w);
    EXPECT_EQ(ZVGetPixel(w, 10, 10), blue);
    EXPECT_EQ(ZVGetPixel(w, 89, 69), 0xFFFFFFu);
}
