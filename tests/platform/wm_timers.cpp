// SetTimer and KillTimer: one WM_TIMER per due period, never a backlog.
#include "wm_test_support.h"

#include <map>

using namespace wm_test;

namespace {

class wm_Timers : public wm_fixture {};

// Removes everything waiting now and counts the WM_TIMERs among it.
int drain_timers(UINT_PTR id) {
    int timers = 0;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_TIMER && msg.wParam == id) ++timers;
    }
    return timers;
}

// Removes everything waiting now; how many WM_TIMERs each timer id gave.
std::map<UINT_PTR, int> drain_all_timers() {
    std::map<UINT_PTR, int> seen;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_TIMER) ++seen[msg.wParam];
    }
    return seen;
}

std::atomic<int> callback_calls{0};
void CALLBACK count_callback(HWND, UINT message, UINT_PTR, DWORD) {
    if (message == WM_TIMER) ++callback_calls;
}

} // namespace

TEST_F(wm_Timers, ABusyThreadGetsOneTimerMessageNotABacklog) {
    HWND hwnd = create_window();
    EXPECT_EQ(SetTimer(hwnd, 7, 10, nullptr), 7u);
    // Ten periods pass while the thread reads nothing.
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    EXPECT_EQ(drain_timers(7), 1);
    EXPECT_EQ(drain_timers(7), 0); // the next period starts when the message was taken
    EXPECT_TRUE(pump_until([] { return log().count(WM_TIMER) >= 1; }));
    DestroyWindow(hwnd);
}

TEST_F(wm_Timers, SettingTheSameIdAgainReplacesThePeriod) {
    HWND hwnd = create_window();
    ASSERT_NE(SetTimer(hwnd, 1, 60000, nullptr), 0u);
    EXPECT_EQ(SetTimer(hwnd, 1, 10, nullptr), 1u); // now 10 ms, not a second timer
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(pump_until([] { return log().count(WM_TIMER) >= 3; }));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    for (const logged &e : log().of(WM_TIMER)) EXPECT_EQ(e.wparam, 1u);

    ASSERT_EQ(SetTimer(hwnd, 1, 60000, nullptr), 1u); // and back to a long period
    log().clear();
    pump_until([] { return false; }, 150);
    EXPECT_EQ(log().count(WM_TIMER), 0u);
    DestroyWindow(hwnd);
}

TEST_F(wm_Timers, PostedMessagesGoFirstAndKillTimerStopsIt) {
    HWND hwnd = create_window();
    SetTimer(hwnd, 3, 10, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(20)); // the timer is due
    PostMessageA(hwnd, WM_USER + 1, 0, 0);
    PostMessageA(hwnd, WM_USER + 2, 0, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, UINT(WM_USER + 1));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, UINT(WM_USER + 2));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, UINT(WM_TIMER));
    EXPECT_EQ(msg.hwnd, hwnd);
    EXPECT_TRUE(KillTimer(hwnd, 3));
    EXPECT_FALSE(KillTimer(hwnd, 3));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(drain_timers(3), 0);
    DestroyWindow(hwnd);
}

TEST_F(wm_Timers, ATimerSetFromAnotherThreadFiresOnTheOwner) {
    gui_thread gui;
    gui.start();
    ASSERT_EQ(SetTimer(gui.window, 1, 10, nullptr), 1u);
    ASSERT_TRUE(log().wait_count(WM_TIMER, 2, gui.window));
    for (const logged &e : log().of(WM_TIMER)) EXPECT_EQ(e.thread, gui.id.load());
    EXPECT_TRUE(KillTimer(gui.window, 1));
}

TEST_F(wm_Timers, DestroyingTheWindowKillsItsTimers) {
    HWND hwnd = create_window();
    SetTimer(hwnd, 1, 10, nullptr);
    DestroyWindow(hwnd);
    EXPECT_FALSE(KillTimer(hwnd, 1));
    EXPECT_EQ(SetTimer(hwnd, 1, 10, nullptr), 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(drain_timers(1), 0);
}

TEST_F(wm_Timers, TimerProceduresAndThreadTimersAreDispatched) {
    callback_calls = 0;
    UINT_PTR id = SetTimer(nullptr, 0, 10, count_callback);
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(pump_until([] { return callback_calls >= 2; }));
    EXPECT_TRUE(KillTimer(nullptr, id));
    HWND hwnd = create_window();
    SetTimer(hwnd, 9, 10, count_callback);
    int before = callback_calls;
    EXPECT_TRUE(pump_until([&] { return callback_calls > before; }));
    EXPECT_EQ(log().count(WM_TIMER, hwnd), 0u); // the callback replaces the procedure
    DestroyWindow(hwnd);
}

// Hundreds of timers of two windows due at once, one reset many times and one killed: each
// live timer gives exactly one message, and a read filtered to one window takes only its own.
TEST_F(wm_Timers, ManyTimersDueTogetherGiveOneMessageEach) {
    HWND a = create_window(), b = create_window();
    for (UINT_PTR id = 1; id <= 200; ++id)
        ASSERT_EQ(SetTimer(id % 2 ? a : b, id, 100, nullptr), id);
    for (int i = 0; i < 1000; ++i) SetTimer(a, 7, 100, nullptr);
    EXPECT_TRUE(KillTimer(b, 50));
    EXPECT_FALSE(KillTimer(a, 50));                              // the id is b's, not a's
    std::this_thread::sleep_for(std::chrono::milliseconds(150)); // every timer is due
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, b, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, b);
    std::map<UINT_PTR, int> seen = drain_all_timers();
    ++seen[msg.wParam];
    EXPECT_EQ(seen.size(), 199u);
    EXPECT_EQ(seen.count(50), 0u);
    for (const auto &timer : seen) EXPECT_EQ(timer.second, 1) << "timer " << timer.first;
    EXPECT_TRUE(drain_all_timers().empty()); // the next periods have only begun
    DestroyWindow(a);
    DestroyWindow(b);
}
