// Presenting frames and the pointer's position, fed and read through the headless screen.
#include "headless_helpers.h"
#include "poll.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The colour the headless screen shows at the client's top-left pixel.
uint32_t shown_corner(int window) {
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    if (!headless_test_read_client(hwnd_of(window), &pixels, &width, &height) || pixels.empty())
        return 0xFFFFFFFF;
    return pixels[0] & 0xFFFFFF;
}

// Fills the draw buffer with a colour the screen shows as `frame` in its blue byte.
void draw_frame(int window, int frame) {
    ZVSetBackground(window, ZVGetRGBColour(0, 0, frame));
    ZVClearDrawBuffer(window);
}

void point_at(int window, int x, int y, int state = 0) {
    POINT at = client_to_screen(window, x, y);
    headless_test_move_pointer(at.x, at.y, state);
}

} // namespace

TEST(Present, EveryFrameReachesTheScreenBeforeTheNextIsPresented) {
    int w = ZVCreateWindow(10, 10, 40, 30, "present");
    ZVSetAutoRedraw(w, 0); // only ZVPresent brings frames to the screen
    ZVSetDoubleBuffer(w, 1);
    for (int frame = 1; frame <= 40; ++frame) {
        draw_frame(w, frame);
        ASSERT_EQ(ZVPresent(w), ZV_OK);
        // The frame before has been painted; this one may be on its way.
        uint32_t shown = shown_corner(w);
        if (frame > 1) {
            ASSERT_TRUE(shown == uint32_t(frame - 1) || shown == uint32_t(frame)) << frame;
        }
    }
    // With one buffer the picture is on the screen when the call returns.
    ZVSetDoubleBuffer(w, 0);
    draw_frame(w, 99);
    ASSERT_EQ(ZVPresent(w), ZV_OK);
    EXPECT_EQ(shown_corner(w), 99u);
    ZVDestroyWindow(w);
}

TEST(PointerPosition, FollowsTheWindowAndItsDragsButNotStrangers) {
    int w = ZVCreateWindow(100, 100, 200, 150, "pointer");
    int other = ZVCreateWindow(400, 100, 100, 100, "elsewhere");
    EXPECT_EQ(ZVGetMouseX(w), ZV_ERR_MOUSE_OUTSIDE);
    EXPECT_EQ(ZVGetMouseY(w), ZV_ERR_MOUSE_OUTSIDE);
    point_at(w, 20, 30);
    ASSERT_TRUE(poll_until([&] { return ZVGetMouseX(w) == 20 && ZVGetMouseY(w) == 30; }));
    // A drag that began here is followed beyond the window's edges.
    headless_test_press(DISPLAY_BUTTON_LEFT, 0);
    ASSERT_TRUE(poll_until([&] { return ZVGetMouseButtons(w) == ZV_MOUSE_LEFT; }));
    point_at(w, -15, 170, DISPLAY_BUTTON_LEFT);
    ASSERT_TRUE(poll_until([&] { return ZVGetMouseX(w) == -15 && ZVGetMouseY(w) == 170; }));
    headless_test_release(DISPLAY_BUTTON_LEFT, 0);
    ASSERT_TRUE(poll_until([&] { return ZVGetMouseButtons(w) == 0; }));
    // Over another window the position stays where this one last saw it.
    point_at(other, 10, 10);
    ASSERT_TRUE(poll_until([&] { return ZVGetMouseX(other) == 10; }));
    EXPECT_EQ(ZVGetMouseX(w), -15);
    EXPECT_EQ(ZVGetMouseX(0), ZV_ERR_BAD_WINDOW);
    ZVDestroyWindow(other);
    ZVDestroyWindow(w);
}
