// The window procedure seen from inside: closing from outside, input recording, refresh.
#include "../api/poll.h"
#include "core/library_state.h"
#include "core/window_table.h"
#include "platform/posix/display/headless/headless_test.h"
#include "window/input_state.h"
#include "zelvan.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

HWND hwnd_of(int handle) {
    window_ref window(handle);
    return window.record ? window->hwnd : nullptr;
}

// The pixel the screen shows in the window's client area, as 0xRRGGBB; 1 << 24 when unknown.
uint32_t shown_pixel(HWND hwnd, int x, int y) {
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    if (!headless_test_read_client(hwnd, &pixels, &width, &height) || x >= width || y >= height)
        return 1u << 24;
    return pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFFu;
}

int key_count_of(int handle) {
    window_ref window(handle);
    return window.record ? window->input->key_count.load() : -1;
}

} // namespace

TEST(Close, WmCloseFromOutsideClosesLikeDestroy) {
    int window = ZVCreateWindow(10, 10, 40, 40, "outside");
    HWND hwnd = hwnd_of(window);
    ASSERT_NE(hwnd, nullptr);
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(ZVIsWindow(window), ZV_ERR_BAD_WINDOW);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(ZVCreateWindow(0, 0, 10, 10, "next"), window);
}

// While a close waits for a host thread's reference, the GUI thread serves messages sent to
// it, so a second WM_CLOSE for the same window runs inside the first. It must give back its
// own reference and leave the destroying to the first, or the first waits for ever.
TEST(Close, ASecondCloseArrivingWhileTheFirstWaitsLeavesItToTheFirst) {
    int window = ZVCreateWindow(10, 10, 40, 40, "closed twice");
    HWND hwnd = hwnd_of(window);
    ASSERT_NE(hwnd, nullptr);
    window_record *held = find_window(window); // keeps the first close waiting
    ASSERT_NE(held, nullptr);
    std::atomic<bool> first_done{false}, second_done{false};
    std::thread first([&] {
        SendMessageA(hwnd, WM_CLOSE, 0, 0);
        first_done = true;
    });
    ASSERT_TRUE(poll_until([&] { return held->closing.load() != 0; }));
    std::thread second([&] {
        SendMessageA(hwnd, WM_CLOSE, 0, 0);
        second_done = true;
    });
    bool second_returned = poll_until([&] { return second_done.load(); });
    // Still waiting for the reference held here: nothing may be destroyed yet.
    bool still_open = IsWindow(hwnd) && !first_done.load();
    give_back(held);
    bool first_returned = poll_until([&] { return first_done.load(); });
    if (!first_returned || !second_returned) {
        first.detach(); // stuck for good: let the test fail instead of hanging
        second.detach();
    } else {
        first.join();
        second.join();
    }
    EXPECT_TRUE(second_returned);
    EXPECT_TRUE(still_open);
    ASSERT_TRUE(first_returned);
    EXPECT_EQ(ZVIsWindow(window), ZV_ERR_BAD_WINDOW);
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(Close, DestroyingThePlatformWindowReleasesTheSlot) {
    int window = ZVCreateWindow(10, 10, 40, 40, "direct");
    HWND hwnd = hwnd_of(window);
    ASSERT_NE(hwnd, nullptr);
    DestroyWindow(hwnd);
    ASSERT_TRUE(poll_until([&] { return ZVIsWindow(window) == ZV_ERR_BAD_WINDOW; }));
    EXPECT_EQ(ZVCreateWindow(0, 0, 10, 10, "next"), window);
}

TEST(HandlerWindow, WmCloseEndsTheLoopAndLaterCallsFailCleanly) {
    int window = ZVCreateWindow(10, 10, 40, 40, "left open");
    ASSERT_NE(window, 0);
    SendMessageA(g_startup.handler_window.load(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(poll_until([] { return g_startup.gui_state.load() == GUI_ENDED; }));
    EXPECT_EQ(ZVCreateWindow(0, 0, 10, 10, "too late"), 0);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_NOT_INITIALISED);
    // Nobody can close the window any more, but asking must not hang.
    EXPECT_EQ(ZVDestroyWindow(window), 0);
}

TEST(Keyboard, WmCharStoresRepeatsWhileThereIsRoom) {
    int window = ZVCreateWindow(10, 10, 40, 40, "keys");
    HWND hwnd = hwnd_of(window);
    SendMessageA(hwnd, WM_CHAR, 'a', 3);
    EXPECT_EQ(key_count_of(window), 3);
    SendMessageA(hwnd, WM_CHAR, 'b', 0);
    EXPECT_EQ(key_count_of(window), 3);
    SendMessageA(hwnd, WM_CHAR, 'c', 123);
    EXPECT_EQ(key_count_of(window), 126);
    SendMessageA(hwnd, WM_CHAR, 'd', 5);
    EXPECT_EQ(key_count_of(window), 128);
    SendMessageA(hwnd, WM_CHAR, 'e', 1);
    EXPECT_EQ(key_count_of(window), 128);
    window_ref ref(window);
    EXPECT_EQ(ref->input->key_buffer[0], 'a');
    EXPECT_EQ(ref->input->key_buffer[3], 'c');
    EXPECT_EQ(ref->input->key_buffer[127], 'd');
}

TEST(Mouse, MovesAndLeftRightPressesAreRecordedOthersAreNot) {
    int window = ZVCreateWindow(10, 10, 100, 100, "mouse");
    HWND hwnd = hwnd_of(window);
    SendMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(12, 34));
    SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(5, 6));
    SendMessageA(hwnd, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(50, 60));
    SendMessageA(hwnd, WM_RBUTTONUP, 0, MAKELPARAM(70, 80));
    window_ref ref(window);
    EXPECT_EQ(ref->input->live_mouse.valid, 1);
    EXPECT_EQ(ref->input->live_mouse.x, 12);
    EXPECT_EQ(ref->input->live_mouse.y, 34);
    EXPECT_EQ(ref->input->live_left.valid, 1);
    EXPECT_EQ(ref->input->live_left.x, 5);
    EXPECT_EQ(ref->input->live_left.keys, MK_LBUTTON | MK_SHIFT);
    EXPECT_EQ(ref->input->live_right.valid, 0);
}

TEST(Refresh, ADirtyViewBufferIsRepaintedByTheTimer) {
    int window = ZVCreateWindow(10, 10, 40, 40, "refresh");
    HWND hwnd = hwnd_of(window);
    // The window's first paint copies the buffer and clears the flag without any timer: it
    // is over once the screen shows a pixel drawn before it could have started.
    ZVSetPixel(window, 5, 5, ZVGetRGBColour(255, 0, 0));
    ASSERT_TRUE(poll_until([&] { return shown_pixel(hwnd, 5, 5) == 0xFF0000u; }));
    ZVSetPixel(window, 6, 6, ZVGetRGBColour(0, 0, 255));
    EXPECT_TRUE(poll_until([&] { return shown_pixel(hwnd, 6, 6) == 0x0000FFu; }));
    window_ref ref(window);
    EXPECT_EQ(ref->buffer_dirty[0].load(), 0);
}

TEST(References, CallsLeaveTheCountAsTheyFoundIt) {
    int window = ZVCreateWindow(10, 10, 40, 40, "count");
    window_record *record;
    {
        window_ref ref(window);
        record = ref.record;
        // The GUI thread may still be handling the new window's first messages, holding a
        // reference of its own for as long as each takes: ours is the one left after that.
        EXPECT_TRUE(poll_until([&] { return record->in_use_count.load() == 1; }));
    }
    ZVIsWindow(window);
    ZVIsWindow(window + 1);
    // The GUI thread takes a reference only while it handles a message.
    EXPECT_TRUE(poll_until([&] { return record->in_use_count.load() == 0; }));
}
