// Held buttons and drags, the wheel, held and special keys and the close box, fed through the
// headless screen.
#include "headless_helpers.h"
#include "poll.h"

#include <gtest/gtest.h>

namespace {

void point_at(int window, int x, int y, int state = 0) {
    POINT at = client_to_screen(window, x, y);
    headless_test_move_pointer(at.x, at.y, state);
}

void tap(int vk, int modifiers = 0) {
    headless_test_key_down(vk, modifiers);
    headless_test_key_up(vk, modifiers);
}

int with_mods(int code, int modifiers) {
    return code | modifiers << 16;
}

} // namespace

TEST(HeldButtons, ADragThatLeavesTheWindowStillEndsOnRelease) {
    int w = ZVCreateWindow(100, 100, 200, 150, "drag");
    point_at(w, 20, 30);
    headless_test_press(DISPLAY_BUTTON_LEFT, DISPLAY_MOD_SHIFT);
    ASSERT_TRUE(poll_until([&] { return ZVGetMouseButtons(w) == (ZV_MOUSE_LEFT | ZV_MOD_SHIFT); }));
    // Beyond the right edge and then off the frame altogether: the press took the capture, so
    // the window still hears the drag, a second button and the releases.
    point_at(w, 250, 40, DISPLAY_BUTTON_LEFT);
    point_at(w, 400, -60, DISPLAY_BUTTON_LEFT);
    headless_test_press(DISPLAY_BUTTON_RIGHT, DISPLAY_BUTTON_LEFT);
    ASSERT_TRUE(
        poll_until([&] { return ZVGetMouseButtons(w) == (ZV_MOUSE_LEFT | ZV_MOUSE_RIGHT); }));
    headless_test_release(DISPLAY_BUTTON_RIGHT, DISPLAY_BUTTON_LEFT);
    point_at(w, 250, 40, DISPLAY_BUTTON_LEFT);
    headless_test_release(DISPLAY_BUTTON_LEFT, 0);
    // Outside and released: nothing is held for this window any more.
    ASSERT_TRUE(poll_until([&] { return ZVGetMouseButtons(w) == 0; }));
    // The capture is over: a press outside is not this window's. (A key press, which input
    // reaches after the press, tells when the press would have been seen.)
    headless_test_press(DISPLAY_BUTTON_MIDDLE, 0);
    point_at(w, 260, 40, DISPLAY_BUTTON_MIDDLE);
    tap(VK_HOME);
    ASSERT_TRUE(poll_until([&] { return ZVReadKey(w) == ZV_KEY_HOME; }));
    EXPECT_EQ(ZVGetMouseButtons(w), 0);
    headless_test_release(DISPLAY_BUTTON_MIDDLE, 0);
    // The original records never saw the drag outside the client area: the last move they
    // know is the one at (20, 30), so the pointer counts as outside.
    EXPECT_EQ(ZVCaptureLastRightMouseClick(w), ZV_ERR_NO_CLICK);
    EXPECT_EQ(ZVCaptureMouseCoords(w), ZV_ERR_MOUSE_OUTSIDE);
}

TEST(Wheel, WholeStepsBothWaysThenZero) {
    int w = ZVCreateWindow(100, 100, 200, 150, "wheel");
    point_at(w, 50, 50);
    headless_test_wheel(3, 0);
    headless_test_wheel(-1, DISPLAY_MOD_CONTROL);
    ASSERT_TRUE(flush_input(w));
    EXPECT_EQ(ZVGetMouseWheel(w), 2);
    EXPECT_EQ(ZVGetMouseWheel(w), 0);
    point_at(w, 50, 50);
    headless_test_wheel(-2, 0);
    ASSERT_TRUE(flush_input(w));
    EXPECT_EQ(ZVGetMouseWheel(w), -2);
}

TEST(Keys, HeldKeysSpecialKeysAndModifiers) {
    int w = ZVCreateWindow(100, 100, 200, 150, "keys");
    headless_test_key_down(VK_SHIFT, DISPLAY_MOD_SHIFT);
    headless_test_key_down('A', DISPLAY_MOD_SHIFT);
    headless_test_key_down(VK_LEFT, DISPLAY_MOD_SHIFT);
    ASSERT_TRUE(flush_input(w));
    EXPECT_EQ(ZVIsKeyDown(w, 'a'), 1);
    EXPECT_EQ(ZVIsKeyDown(w, 'A'), 1);
    EXPECT_EQ(ZVIsKeyDown(w, ZV_KEY_LEFT), 1);
    EXPECT_EQ(ZVIsKeyDown(w, ZV_KEY_SHIFT), 1);
    EXPECT_EQ(ZVIsKeyDown(w, 'b'), 0);
    EXPECT_EQ(ZVIsKeyDown(w, ZV_KEY_RIGHT), 0);
    // SHIFT alone is no press; the others carry it.
    EXPECT_EQ(ZVReadKey(w), with_mods('a', ZV_MOD_SHIFT));
    EXPECT_EQ(ZVReadKey(w), with_mods(ZV_KEY_LEFT, ZV_MOD_SHIFT));
    EXPECT_EQ(ZVReadKey(w), 0);
    headless_test_key_up(VK_LEFT, DISPLAY_MOD_SHIFT);
    headless_test_key_up(VK_SHIFT, 0);
    headless_test_key_down(VK_CONTROL, DISPLAY_MOD_CONTROL);
    tap(VK_OEM_MINUS, DISPLAY_MOD_CONTROL);
    tap(VK_F12, DISPLAY_MOD_CONTROL);
    headless_test_key_down(VK_SPACE, DISPLAY_MOD_CONTROL);
    ASSERT_TRUE(flush_input(w));
    EXPECT_EQ(ZVIsKeyDown(w, ZV_KEY_LEFT), 0);
    EXPECT_EQ(ZVIsKeyDown(w, ZV_KEY_SHIFT), 0);
    EXPECT_EQ(ZVIsKeyDown(w, ' '), 1);
    EXPECT_EQ(ZVIsKeyDown(w, ZV_KEY_SPACE), 1);
    EXPECT_EQ(ZVReadKey(w), with_mods('-', ZV_MOD_CTRL));
    EXPECT_EQ(ZVReadKey(w), with_mods(ZV_KEY_F12, ZV_MOD_CTRL));
    EXPECT_EQ(ZVReadKey(w), with_mods(ZV_KEY_SPACE, ZV_MOD_CTRL));
    // Keys held while the keyboard moves to another window are no longer held here.
    int other = ZVCreateWindow(400, 100, 100, 100, "takes the focus");
    ASSERT_NE(other, 0);
    EXPECT_TRUE(poll_until([&] { return ZVIsKeyDown(w, 'a') == 0; }));
    EXPECT_EQ(ZVIsKeyDown(w, ZV_KEY_CTRL), 0);
}

TEST(Keys, TheRingKeepsTheOldestRepeatsAddAndClearEmptiesIt) {
    int w = ZVCreateWindow(100, 100, 200, 150, "ring");
    for (int i = 0; i < 130; ++i) tap('A' + i % 26);
    ASSERT_TRUE(flush_input(w));
    for (int i = 0; i < 128; ++i) ASSERT_EQ(ZVReadKey(w), 'a' + i % 26) << "press " << i;
    EXPECT_EQ(ZVReadKey(w), 0);
    // Auto-repeat: the key goes down again without coming up.
    for (int i = 0; i < 3; ++i) headless_test_key_down(VK_DOWN, 0);
    headless_test_key_up(VK_DOWN, 0);
    ASSERT_TRUE(flush_input(w));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ZVReadKey(w), ZV_KEY_DOWN);
    EXPECT_EQ(ZVReadKey(w), 0);
    tap(VK_ESCAPE);
    headless_test_type(27, 1);
    ASSERT_TRUE(flush_input(w));
    EXPECT_EQ(ZVClearKeyBuffer(w), ZV_OK);
    EXPECT_EQ(ZVReadKey(w), 0);
    EXPECT_EQ(ZV_kbhit(w), 0);
}

TEST(CloseBox, RequestsAreCountedOnceAndOnlyTheHostCloses) {
    int w = ZVCreateWindow(100, 100, 200, 150, "close box");
    EXPECT_EQ(ZVCloseRequested(w), 0);
    ASSERT_TRUE(headless_test_close(hwnd_of(w)));
    ASSERT_TRUE(headless_test_close(hwnd_of(w)));
    ASSERT_TRUE(flush_input(w));
    EXPECT_EQ(ZVCloseRequested(w), 1);
    EXPECT_EQ(ZVCloseRequested(w), 1);
    EXPECT_EQ(ZVCloseRequested(w), 0);
    EXPECT_EQ(ZVIsWindow(w), ZV_OK);
    // Alt+F4 asks the same way, and is a key press too.
    headless_test_key_down(VK_MENU, DISPLAY_MOD_ALT);
    tap(VK_F4, DISPLAY_MOD_ALT);
    headless_test_key_up(VK_MENU, 0);
    EXPECT_TRUE(poll_until([&] { return ZVCloseRequested(w) == 1; }));
    EXPECT_EQ(ZVReadKey(w), with_mods(ZV_KEY_F4, ZV_MOD_ALT));
    EXPECT_EQ(ZVIsWindow(w), ZV_OK);
    ZVDestroyWindow(w);
    EXPECT_EQ(ZVIsWindow(w), ZV_ERR_BAD_WINDOW);
}

TEST(BeyondTheOriginalSet, BadHandlesAndKeysThatNameNoKey) {
    int gone = ZVCreateWindow(100, 100, 50, 50, "gone");
    ZVDestroyWindow(gone);
    for (int handle : {0, -3, 8193, gone}) {
        ZVGetLastError();
        EXPECT_EQ(ZVGetMouseButtons(handle), ZV_ERR_BAD_WINDOW);
        EXPECT_EQ(ZVGetMouseWheel(handle), ZV_ERR_BAD_WINDOW);
        EXPECT_EQ(ZVIsKeyDown(handle, 'a'), ZV_ERR_BAD_WINDOW);
        EXPECT_EQ(ZVReadKey(handle), ZV_ERR_BAD_WINDOW);
        EXPECT_EQ(ZVCloseRequested(handle), ZV_ERR_BAD_WINDOW);
        EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_WINDOW);
    }
    int w = ZVCreateWindow(100, 100, 50, 50, "fresh");
    for (int key : {0, -1, 9, 200, 255, ZV_KEY_ALT + 1, 1 << 20}) EXPECT_EQ(ZVIsKeyDown(w, key), 0);
    EXPECT_EQ(ZVGetLastError(), ZV_OK);
}
