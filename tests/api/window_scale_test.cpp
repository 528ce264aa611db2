// Whole-number scaling on the headless screen: ZELVAN_SCALE, the enlarged client area in exact
// blocks, and input divided back into drawing pixels.
#include "headless_helpers.h"
#include "poll.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <vector>

TEST(WindowScale, HeadlessIsOneAndBadValuesAreIgnored) {
    for (const char *value : {"", "0", "-2", "17", "2x", static_cast<const char *>(nullptr)}) {
        value ? setenv("ZELVAN_SCALE", value, 1) : unsetenv("ZELVAN_SCALE");
        int w = ZVCreateWindow(50, 60, 20, 10, "plain");
        EXPECT_EQ(ZVGetScale(w), 1) << (value ? value : "unset");
        EXPECT_EQ(screen_state_of(w).client.right - screen_state_of(w).client.left, 20);
        ZVDestroyWindow(w);
        EXPECT_EQ(ZVGetScale(w), ZV_ERR_BAD_WINDOW);
    }
}

TEST(WindowScale, EachDrawingPixelIsAnExactBlockAndInputIsDividedBack) {
    setenv("ZELVAN_SCALE", "3", 1);
    int w = ZVCreateWindow(50, 60, 10, 8, "scaled");
    unsetenv("ZELVAN_SCALE");
    ASSERT_EQ(ZVGetScale(w), 3);
    EXPECT_EQ(ZVGetWidth(w), 10);
    RECT client = screen_state_of(w).client;
    EXPECT_EQ(client.left, 50);
    EXPECT_EQ(client.right - client.left, 30);
    EXPECT_EQ(client.bottom - client.top, 24);
    auto colour = [](int x, int y) { return uint32_t(x * 20 << 16 | y * 30 << 8 | 7); };
    std::vector<uint32_t> expected, shown;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 30; ++x) expected.push_back(colour(x / 3, y / 3));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x) ZVSetPixelFast(w, x, y, ZVGetRGBColour(x * 20, y * 30, 7));
    ZVRedraw(w);
    int width = 0, height = 0;
    EXPECT_TRUE(poll_until([&] {
        if (!headless_test_read_client(hwnd_of(w), &shown, &width, &height)) return false;
        for (uint32_t &pixel : shown) pixel &= 0xFFFFFF;
        return shown == expected;
    }));

    // A press on the last screen pixel of drawing pixel (4, 5), then a drag outside.
    POINT at = client_to_screen(w, 14, 17);
    headless_test_move_pointer(at.x, at.y, 0);
    headless_test_press(DISPLAY_BUTTON_LEFT, 0);
    ASSERT_TRUE(poll_until([&] { return ZVCaptureLastLeftMouseClick(w) == ZV_OK; }));
    EXPECT_EQ(ZVGetLastLeftMouseClickX(w), 4);
    EXPECT_EQ(ZVGetLastLeftMouseClickY(w), 5);
    EXPECT_EQ(ZVCaptureMouseCoords(w), ZV_OK);
    EXPECT_EQ(ZVGetMouseCoordsX(w), 4);
    at = client_to_screen(w, -1, 30);
    headless_test_move_pointer(at.x, at.y, DISPLAY_BUTTON_LEFT);
    EXPECT_TRUE(poll_until([&] { return ZVGetMouseX(w) == -1 && ZVGetMouseY(w) == 10; }));
    headless_test_release(DISPLAY_BUTTON_LEFT, 0);

    ASSERT_EQ(ZVResize(w, 12, 4), ZV_OK);
    EXPECT_TRUE(poll_until([&] { return screen_state_of(w).client.right == 50 + 36; }));
    ZVDestroyWindow(w);
}

// Moved to a screen of another density (WM_DPICHANGED, which Windows sends), a window takes that
// screen's scale where the system puts it, its drawing size kept.
TEST(WindowScale, AScreenOfAnotherDensityChangesTheScaleNotTheDrawingSize) {
    int w = ZVCreateWindow(50, 60, 10, 8, "moved");
    RECT suggested{300, 200, 330, 240};
    SendMessageA(hwnd_of(w), WM_DPICHANGED, 192 | 192 << 16, reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(ZVGetScale(w), 2);
    EXPECT_EQ(ZVGetWidth(w), 10);
    EXPECT_TRUE(poll_until([&] {
        headless_test_window_info state = screen_state_of(w);
        return state.frame.left == 300 && state.frame.top == 200 &&
               state.client.right - state.client.left == 20 &&
               state.client.bottom - state.client.top == 16;
    }));
    // Fullscreen, it keeps covering its monitor, and the drawing size follows the scale.
    ASSERT_EQ(ZVSetFullscreen(w, 1), ZV_OK);
    EXPECT_EQ(ZVGetWidth(w), ZVGetScreenWidth() / 2);
    ZVWasResized(w);
    SendMessageA(hwnd_of(w), WM_DPICHANGED, 96 | 96 << 16, reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(ZVGetScale(w), 1);
    EXPECT_EQ(ZVGetWidth(w), ZVGetScreenWidth());
    EXPECT_EQ(ZVWasResized(w), 1);
    ZVDestroyWindow(w);
}

// Fullscreen at a scale the screen holds no whole number of (1920 x 1080 at 7): the window
// covers every screen pixel, the drawing is what whole drawing pixels fill (274 x 154), the
// two pixels left over on the right and at the bottom show the background colour, and the
// pointer over them reports the drawing's last pixel.
TEST(WindowScale, FullscreenAtAScaleThatDoesNotDivideTheScreenCoversItAll) {
    setenv("ZELVAN_SCALE", "7", 1);
    int w = ZVCreateWindow(50, 60, 10, 8, "fullscreen at 7");
    unsetenv("ZELVAN_SCALE");
    ASSERT_EQ(ZVGetScale(w), 7);
    ZVSetBackground(w, 0x00FF00);
    ASSERT_EQ(ZVSetFullscreen(w, 1), ZV_OK);
    ASSERT_EQ(ZVGetWidth(w), 1920 / 7);
    ASSERT_EQ(ZVGetHeight(w), 1080 / 7);
    std::vector<ZVCOLOUR> red(274 * 154, 0x0000FF);
    ASSERT_EQ(ZVPutPixels(w, 0, 0, 274, 154, red.data(), 274), ZV_OK);
    ZVRedraw(w);
    std::vector<uint32_t> shown;
    int width = 0, height = 0;
    auto at = [&](int x, int y) { return shown[static_cast<size_t>(y) * width + x] & 0xFFFFFF; };
    auto covers_the_screen = [&] {
        RECT client = screen_state_of(w).client;
        if (client.left != 0 || client.top != 0 || client.right != 1920 || client.bottom != 1080)
            return false;
        if (!headless_test_read_client(hwnd_of(w), &shown, &width, &height)) return false;
        // The drawing's last pixel, then the background right of it and below it.
        return width == 1920 && height == 1080 && at(1917, 1077) == 0xFF0000u &&
               at(1918, 0) == 0x00FF00u && at(0, 1078) == 0x00FF00u && at(1919, 1079) == 0x00FF00u;
    };
    EXPECT_TRUE(poll_until(covers_the_screen)) << "the window shows " << width << " x " << height;
    // A click and a move on the very last screen pixel.
    headless_test_move_pointer(1919, 1079, 0);
    headless_test_press(DISPLAY_BUTTON_LEFT, 0);
    headless_test_release(DISPLAY_BUTTON_LEFT, 0);
    ASSERT_TRUE(poll_until([&] { return ZVCaptureLastLeftMouseClick(w) == ZV_OK; }));
    EXPECT_EQ(ZVGetLastLeftMouseClickX(w), 273);
    EXPECT_EQ(ZVGetLastLeftMouseClickY(w), 153);
    EXPECT_EQ(ZVGetMouseX(w), 273);
    EXPECT_EQ(ZVGetMouseY(w), 153);
    EXPECT_EQ(ZVCaptureMouseCoords(w), ZV_OK);
    EXPECT_EQ(ZVGetMouseCoordsX(w), 273);
    EXPECT_EQ(ZVGetMouseCoordsY(w), 153);
    ZVDestroyWindow(w);
}
