// An idle Zelvan.dll with open windows waits for messages instead of polling for them.
#include "zelvan.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>

namespace {

std::atomic<int> g_timer_messages{0};

// Runs on the GUI thread for each message it takes from its queue.
LRESULT CALLBACK count_timer_messages(int code, WPARAM removal, LPARAM message) {
    if (code == HC_ACTION && removal == PM_REMOVE &&
        reinterpret_cast<const MSG *>(message)->message == WM_TIMER)
        g_timer_messages++;
    return CallNextHookEx(nullptr, code, removal, message);
}

double cpu_seconds(HANDLE thread) {
    FILETIME created, ended, kernel, user;
    if (!GetThreadTimes(thread, &created, &ended, &kernel, &user)) return -1;
    auto seconds = [](const FILETIME &t) {
        return ((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

} // namespace

// Idleness is seen over ticks of a clock of the test's own (a thread timer, 50 ms, the
// library's refresh period), not over a stretch of sleep. After one change, shown, a window's
// refresh timer keeps going for half a second; then windows with nothing new to show run no
// timer at all: the GUI thread takes no timer message (where it took one a window a tick)
// and little CPU. Thread times come in steps of 10 to 16 ms, and under Wine the GUI thread
// also reads the X connection: a tenth of a core is well above idle and well below a spin.
TEST(Idle, OpenWindowsTakeNoTimerMessagesAndAlmostNoCpu) {
    const int count = 3;
    int windows[count];
    for (int i = 0; i < count; ++i) {
        windows[i] = ZVCreateWindow(10, 10, 200, 150, ("idle " + std::to_string(i)).c_str());
        ASSERT_NE(windows[i], 0);
    }
    DWORD gui_thread_id = GetWindowThreadProcessId(FindWindowA(nullptr, "idle 0"), nullptr);
    ASSERT_NE(gui_thread_id, 0u);
    HANDLE gui_thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, gui_thread_id);
    ASSERT_NE(gui_thread, nullptr);
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, count_timer_messages, nullptr, gui_thread_id);
    ASSERT_NE(hook, nullptr);
    UINT_PTR clock = SetTimer(nullptr, 0, 50, nullptr);
    ASSERT_NE(clock, 0u);
    auto ticks_pass = [&](int ticks) {
        MSG message;
        for (int seen = 0; seen < ticks && GetMessageA(&message, nullptr, 0, 0) > 0;)
            if (message.message == WM_TIMER && message.wParam == clock) ++seen;
    };

    // A change starts a refresh timer, which stops a while after it found nothing more.
    ZVSetPixel(windows[0], 0, 0, 0x0000FF);
    ticks_pass(30);
    EXPECT_GT(g_timer_messages.load(), 0) << "no refresh timer ran for a change";
    int after_change = g_timer_messages.load();
    double cpu_before = cpu_seconds(gui_thread);
    ULONGLONG wall_before = GetTickCount64();
    ticks_pass(20);
    double wall = (GetTickCount64() - wall_before) / 1e3;
    double cpu = cpu_seconds(gui_thread) - cpu_before;
    KillTimer(nullptr, clock);
    EXPECT_LE(g_timer_messages.load() - after_change, 1) << "refresh timers ran on idle windows";
    EXPECT_GE(cpu_before, 0.0);
    EXPECT_LT(cpu, 0.1 * wall) << "the GUI thread used " << cpu / wall * 100
                               << "% of a core while idle";
    UnhookWindowsHookEx(hook);
    CloseHandle(gui_thread);
    for (int w : windows) ZVDestroyWindow(w);
}
