// Polled mouse input fed through the headless screen.
#include "headless_helpers.h"
#include "poll.h"

#include <gtest/gtest.h>

namespace {

void press_at(int window, int x, int y, int button, int modifiers) {
    POINT at = client_to_screen(window, x, y);
    headless_test_move_pointer(at.x, at.y, modifiers);
    headless_test_press(button, modifiers);
    headless_test_release(button, modifiers);
}

bool capture_left(int w) {
    return poll_until([&] { return ZVCaptureLastLeftMouseClick(w) == ZV_OK; });
}

} // namespace

TEST(Mouse, NothingCapturedBeforeAnyEvent) {
    int w = ZVCreateWindow(100, 100, 200, 150, "fresh");
    EXPECT_EQ(ZVCaptureMouseCoords(w), ZV_ERR_MOUSE_OUTSIDE);
    EXPECT_EQ(ZVCaptureLastLeftMouseClick(w), ZV_ERR_NO_CLICK);
    EXPECT_EQ(ZVCaptureLastRightMouseClick(w), ZV_ERR_NO_CLICK);
    for (auto getter :
         {ZVGetMouseCoordsX, ZVGetMouseCoordsY, ZVGetLastLeftMouseClickX, ZVGetLastLeftMouseClickY,
          ZVGetLastLeftMouseClickCTRL, ZVGetLastLeftMouseClickSHIFT, ZVGetLastRightMouseClickX,
          ZVGetLastRightMouseClickY, ZVGetLastRightMouseClickCTRL, ZVGetLastRightMouseClickSHIFT})
        EXPECT_EQ(getter(w), ZV_ERR_BAD_COORDS);
    // Refusing a capture is not a failure of the call: the last error is untouched.
    EXPECT_EQ(ZVGetLastError(), ZV_OK);
}

TEST(Mouse, LeftClickWithControlIsCapturedOnce) {
    int w = ZVCreateWindow(100, 100, 200, 150, "left");
    press_at(w, 10, 20, DISPLAY_BUTTON_LEFT, DISPLAY_MOD_CONTROL);
    ASSERT_TRUE(capture_left(w));
    EXPECT_EQ(ZVGetLastLeftMouseClickX(w), 10);
    EXPECT_EQ(ZVGetLastLeftMouseClickY(w), 20);
    EXPECT_EQ(ZVGetLastLeftMouseClickCTRL(w), 1);
    EXPECT_EQ(ZVGetLastLeftMouseClickSHIFT(w), 0);
    // The snapshot stays readable until the next capture, which finds nothing new.
    EXPECT_EQ(ZVGetLastLeftMouseClickX(w), 10);
    EXPECT_EQ(ZVCaptureLastLeftMouseClick(w), ZV_ERR_NO_CLICK);
    EXPECT_EQ(ZVGetLastLeftMouseClickX(w), ZV_ERR_BAD_COORDS);
    EXPECT_EQ(ZVGetLastLeftMouseClickCTRL(w), ZV_ERR_BAD_COORDS);
}

TEST(Mouse, TheLatestOfTwoPressesWinsAndButtonsAreSeparate) {
    int w = ZVCreateWindow(100, 100, 200, 150, "two");
    press_at(w, 5, 6, DISPLAY_BUTTON_LEFT, 0);
    press_at(w, 50, 60, DISPLAY_BUTTON_LEFT, DISPLAY_MOD_SHIFT);
    press_at(w, 70, 80, DISPLAY_BUTTON_RIGHT, DISPLAY_MOD_SHIFT | DISPLAY_MOD_CONTROL);
    ASSERT_TRUE(poll_until([&] { return ZVCaptureLastRightMouseClick(w) == ZV_OK; }));
    ASSERT_EQ(ZVCaptureLastLeftMouseClick(w), ZV_OK);
    EXPECT_EQ(ZVGetLastLeftMouseClickX(w), 50);
    EXPECT_EQ(ZVGetLastLeftMouseClickY(w), 60);
    EXPECT_EQ(ZVGetLastLeftMouseClickSHIFT(w), 1);
    EXPECT_EQ(ZVGetLastLeftMouseClickCTRL(w), 0);
    EXPECT_EQ(ZVGetLastRightMouseClickX(w), 70);
    EXPECT_EQ(ZVGetLastRightMouseClickY(w), 80);
    EXPECT_EQ(ZVGetLastRightMouseClickCTRL(w), 1);
    EXPECT_EQ(ZVGetLastRightMouseClickSHIFT(w), 1);
}

TEST(Mouse, MiddleButtonAndReleasesAreNotClicks) {
    int w = ZVCreateWindow(100, 100, 200, 150, "middle");
    press_at(w, 30, 30, DISPLAY_BUTTON_MIDDLE, 0);
    headless_test_release(DISPLAY_BUTTON_RIGHT, 0); // a release with no press before it
    // A later left press, which is a click without its release, proves the others have been
    // handled by then.
    POINT at = client_to_screen(w, 40, 40);
    headless_test_move_pointer(at.x, at.y, 0);
    headless_test_press(DISPLAY_BUTTON_LEFT, 0);
    ASSERT_TRUE(capture_left(w));
    EXPECT_EQ(ZVCaptureLastRightMouseClick(w), ZV_ERR_NO_CLICK);
    EXPECT_EQ(ZVGetLastLeftMouseClickX(w), 40);
}

TEST(Mouse, PointerRestingOverTheWindowIsCapturedOnce) {
    int w = ZVCreateWindow(100, 100, 200, 150, "rest");
    POINT at = client_to_screen(w, 33, 44);
    headless_test_move_pointer(at.x, at.y, 0);
    ASSERT_TRUE(poll_until([&] { return ZVCaptureMouseCoords(w) == ZV_OK; }));
    EXPECT_EQ(ZVGetMouseCoordsX(w), 33);
    EXPECT_EQ(ZVGetMouseCoordsY(w), 44);
    EXPECT_EQ(ZVCaptureMouseCoords(w), ZV_ERR_MOUSE_OUTSIDE);
    EXPECT_EQ(ZVGetMouseCoordsX(w), ZV_ERR_BAD_COORDS);
}

TEST(Mouse, PointerThatLeftTheWindowIsOutside) {
    int w = ZVCreateWindow(100, 100, 200, 150, "left the window");
    POINT inside = client_to_screen(w, 20, 20);
    headless_test_move_pointer(inside.x, inside.y, 0);
    // Wait until the move has reached the window, then take the pointer away.
    ASSERT_TRUE(poll_until([&] {
        window_ref ref(w);
        EnterCriticalSection(&ref->state_lock);
        bool seen = ref->input->live_mouse.valid != 0;
        LeaveCriticalSection(&ref->state_lock);
        return seen;
    }));
    headless_test_move_pointer(5, 5, 0);
    EXPECT_EQ(ZVCaptureMouseCoords(w), ZV_ERR_MOUSE_OUTSIDE);
    EXPECT_EQ(ZVGetMouseCoordsY(w), ZV_ERR_BAD_COORDS);
}

TEST(Mouse, BadHandles) {
    EXPECT_EQ(ZVCaptureMouseCoords(0), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVGetLastLeftMouseClickX(0), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVCaptureLastRightMouseClick(8193), ZV_ERR_BAD_WINDOW);
}
