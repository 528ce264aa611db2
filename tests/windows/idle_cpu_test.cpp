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

// Idleness is seen over refresh ticks that happen, counted as the GUI thread takes their
// timer messages. Thread times come in steps of 10 to 16 ms, and under Wine the GUI thread
// also reads the X connection: a tenth of a core is well above idle (1 to 2%) and well below
// a spin. Three seconds of ticks, so that a busy moment of the machine (the suite runs two
// tests at once) does not decide it: over one second it once came to 10%.
TEST(Idle, OpenWindowsCostAlmostNoCpu) {
    const int count = 3, ticks = 60;
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

    // Measured from the first tick on, once the windows' first paints are behind.
    ULONGLONG deadline = GetTickCount64() + 10000;
    while (g_timer_messages.load() < count && GetTickCount64() < deadline) Sleep(5);
    int first = g_timer_messages.load();
    double cpu_before = cpu_seconds(gui_thread);
    ULONGLONG wall_before = GetTickCount64();
    deadline = wall_before + 10000;
    while (g_timer_messages.load() - first < count * ticks && GetTickCount64() < deadline) Sleep(5);
    double wall = (GetTickCount64() - wall_before) / 1e3;
    double cpu = cpu_seconds(gui_thread) - cpu_before;
    EXPECT_GE(g_timer_messages.load() - first, count * ticks) << "the refresh timers stopped";
    EXPECT_GE(cpu_before, 0.0);
    EXPECT_LT(cpu, 0.1 * wall) << "the GUI thread used " << cpu / wall * 100
                               << "% of a core while idle";
    UnhookWindowsHookEx(hook);
    CloseHandle(gui_thread);
    for (int w : windows) ZVDestroyWindow(w);
}
