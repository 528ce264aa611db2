// The window procedure seen from inside: closing from outside, the handler window, references.
#include "../api/poll.h"
#include "core/startup/library_state.h"
#include "core/window_table.h"
#include "zelvan.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

HWND hwnd_of(int handle) {
    window_ref window(handle);
    return window.record ? window->hwnd : nullptr;
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
    SendMessageA(g_gui_thread.handler_window.load(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(poll_until([] { return g_gui_thread.state.load() == GUI_ENDED; }));
    EXPECT_EQ(ZVCreateWindow(0, 0, 10, 10, "too late"), 0);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_NOT_INITIALISED);
    // Nobody can close the window any more, but asking must not hang.
    EXPECT_EQ(ZVDestroyWindow(window), 0);
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
