// Whole-number scaling of a window on the headless screen: ZELVAN_SCALE, the enlarged client
// area in exact blocks, and input divided back into drawing pixels.
#include "headless_helpers.h"
#include "poll.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <vector>

namespace {

// A window opened while ZELVAN_SCALE holds `value` (null: unset).
int window_with_scale(const char *value, int width, int height) {
    if (value)
        setenv("ZELVAN_SCALE", value, 1);
    else
        unsetenv("ZELVAN_SCALE");
    int w = ZVCreateWindow(50, 60, width, height, "scaled");
    unsetenv("ZELVAN_SCALE");
    return w;
}

} // namespace

TEST(WindowScale, HeadlessIsOneAndBadValuesAreIgnored) {
    for (const char *value :
         {static_cast<const char *>(nullptr), "", "0", "-2", "17", "2x", "abc"}) {
        int w = window_with_scale(value, 20, 10);
        EXPECT_EQ(ZVGetScale(w), 1) << (value ? value : "unset");
        headless_test_window_info state = screen_state_of(w);
        EXPECT_EQ(state.client.right - state.client.left, 20);
        ZVDestroyWindow(w);
    }
    EXPECT_EQ(ZVGetScale(0), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVGetScale(9000), ZV_ERR_BAD_WINDOW);
}

TEST(WindowScale, EachDrawingPixelIsAnExactBlockAndInputIsDividedBack) {
    int w = window_with_scale("3", 10, 8);
    ASSERT_EQ(ZVGetScale(w), 3);
    EXPECT_EQ(ZVGetWidth(w), 10);
    EXPECT_EQ(ZVGetHeight(w), 8);
    headless_test_window_info state = screen_state_of(w);
    EXPECT_EQ(state.client.left, 50);
    EXPECT_EQ(state.client.right - state.client.left, 30);
    EXPECT_EQ(state.client.bottom - state.client.top, 24);

    // A picture where every drawing pixel differs from its neighbours.
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x) ZVSetPixelFast(w, x, y, ZVGetRGBColour(x * 20, y * 30, 7));
    ASSERT_EQ(ZVRedraw(w), ZV_OK);
    std::vector<uint32_t> shown;
    int width = 0, height = 0;
    ASSERT_TRUE(poll_until([&] {
        return headless_test_read_client(hwnd_of(w), &shown, &width, &height) && width == 30 &&
               (shown[29 + 23 * 30] & 0xFFFFFF) == ((9 * 20) << 16 | (7 * 30) << 8 | 7);
    }));
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(shown[x + y * 30] & 0xFFFFFF,
                      uint32_t((x / 3 * 20) << 16 | (y / 3 * 30) << 8 | 7))
                << x << "," << y;

    // A click on the last screen pixel of drawing pixel (4, 5), then moves and a drag outside.
    POINT at = client_to_screen(w, 14, 17);
    headless_test_move_pointer(at.x, at.y, 0);
    headless_test_press(DISPLAY_BUTTON_LEFT, 0);
    ASSERT_TRUE(poll_until([&] { return ZVCaptureLastLeftMouseClick(w) == ZV_OK; }));
    EXPECT_EQ(ZVGetLastLeftMouseClickX(w), 4);
    EXPECT_EQ(ZVGetLastLeftMouseClickY(w), 5);
    EXPECT_EQ(ZVGetMouseX(w), 4);
    EXPECT_EQ(ZVCaptureMouseCoords(w), ZV_OK);
    EXPECT_EQ(ZVGetMouseCoordsX(w), 4);
    EXPECT_EQ(ZVGetMouseCoordsY(w), 5);
    at = client_to_screen(w, -1, 30);
    headless_test_move_pointer(at.x, at.y, DISPLAY_BUTTON_LEFT);
    ASSERT_TRUE(poll_until([&] { return ZVGetMouseX(w) == -1 && ZVGetMouseY(w) == 10; }));
    headless_test_release(DISPLAY_BUTTON_LEFT, 0);

    // A resize keeps the scale; the frame follows at three screen pixels a drawing pixel.
    ASSERT_EQ(ZVResize(w, 12, 4), ZV_OK);
    ASSERT_TRUE(poll_until([&] {
        headless_test_window_info now = screen_state_of(w);
        return now.client.right - now.client.left == 36 && now.client.bottom - now.client.top == 12;
    }));
    EXPECT_EQ(ZVGetScale(w), 3);
    ZVDestroyWindow(w);
}
