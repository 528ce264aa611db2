// Waitable timers: one-shot due times, relative and absolute, the two reset kinds, a timer
// set anew while a thread waits on it, and what is refused.
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

const DWORD wait_object_0 = 0;
const DWORD wait_timeout = 258;
const DWORD wait_failed = 0xFFFFFFFFu;

HANDLE make_timer(DWORD flags = CREATE_WAITABLE_TIMER_HIGH_RESOLUTION) {
    return CreateWaitableTimerExW(nullptr, nullptr, flags, TIMER_ALL_ACCESS);
}

bool set_relative(HANDLE timer, int64_t hundred_ns) {
    LARGE_INTEGER due;
    due.QuadPart = -hundred_ns;
    return SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE) != FALSE;
}

int64_t counter_ns() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart; // nanoseconds on this platform
}

} // namespace

TEST(kernel_WaitableTimers, ARelativeDueTimeIsNeverMetEarlyAndWakesOneWaitOfASynchronizationTimer) {
    HANDLE timer = make_timer();
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(WaitForSingleObject(timer, 0), wait_timeout); // never set: not signalled
    for (int64_t hundred_ns : {1, 5000, 20000}) {
        int64_t start = counter_ns();
        ASSERT_TRUE(set_relative(timer, hundred_ns));
        EXPECT_EQ(WaitForSingleObject(timer, INFINITE), wait_object_0);
        EXPECT_GE(counter_ns() - start, hundred_ns * 100);
        // The wait consumed the signal.
        EXPECT_EQ(WaitForSingleObject(timer, 0), wait_timeout);
    }
    EXPECT_TRUE(CloseHandle(timer));
    EXPECT_EQ(WaitForSingleObject(timer, 0), wait_failed);
}

TEST(kernel_WaitableTimers, AManualResetTimerStaysSignalledAndAPastAbsoluteTimeIsDueAtOnce) {
    HANDLE timer = make_timer(CREATE_WAITABLE_TIMER_MANUAL_RESET);
    ASSERT_NE(timer, nullptr);
    LARGE_INTEGER long_ago;
    long_ago.QuadPart = 1; // 100 ns after 1601 began
    ASSERT_TRUE(SetWaitableTimer(timer, &long_ago, 0, nullptr, nullptr, FALSE));
    EXPECT_EQ(WaitForSingleObject(timer, 0), wait_object_0);
    EXPECT_EQ(WaitForSingleObject(timer, 0), wait_object_0);
    // Setting it again resets it until the new due time.
    ASSERT_TRUE(set_relative(timer, 36000000000)); // an hour
    EXPECT_EQ(WaitForSingleObject(timer, 10), wait_timeout);
    CloseHandle(timer);
}

TEST(kernel_WaitableTimers, AWaitFollowsADueTimeSetFromAnotherThread) {
    HANDLE timer = make_timer();
    ASSERT_TRUE(set_relative(timer, 36000000000)); // an hour, then brought forward
    std::atomic<bool> woke{false};
    std::thread waiter([&] {
        EXPECT_EQ(WaitForSingleObject(timer, INFINITE), wait_object_0);
        woke = true;
    });
    while (!woke) {
        set_relative(timer, 10000); // a millisecond; repeated until the waiter is in its wait
        Sleep(5);
    }
    waiter.join();
    CloseHandle(timer);
}

TEST(kernel_WaitableTimers, PeriodsCompletionRoutinesNamesAndUnknownFlagsAreRefused) {
    EXPECT_EQ(CreateWaitableTimerExW(nullptr, u"named", 0, TIMER_ALL_ACCESS), nullptr);
    EXPECT_EQ(CreateWaitableTimerExW(nullptr, nullptr, 0x100, TIMER_ALL_ACCESS), nullptr);
    HANDLE timer = make_timer();
    LARGE_INTEGER due;
    due.QuadPart = -10;
    EXPECT_FALSE(SetWaitableTimer(timer, &due, 16, nullptr, nullptr, FALSE));
    auto routine = [](LPVOID, DWORD, DWORD) {};
    EXPECT_FALSE(SetWaitableTimer(timer, &due, 0, routine, nullptr, FALSE));
    EXPECT_FALSE(SetWaitableTimer(timer, nullptr, 0, nullptr, nullptr, FALSE));
    EXPECT_EQ(GetLastError(), 87u); // ERROR_INVALID_PARAMETER
    EXPECT_FALSE(set_relative(nullptr, 10));
    CloseHandle(timer);
}
