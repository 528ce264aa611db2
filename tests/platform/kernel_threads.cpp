// Threads, waits, thread ids, the last error, critical sections and the tick count.
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

struct thread_report {
    std::atomic<DWORD> id{0};
    std::atomic<bool> release{false};
    std::atomic<bool> finished{false};
};

DWORD WINAPI report_and_wait(LPVOID parameter) {
    thread_report *report = static_cast<thread_report *>(parameter);
    report->id = GetCurrentThreadId();
    while (!report->release) Sleep(1);
    report->finished = true;
    return 7;
}

const DWORD wait_timeout = 258;

} // namespace

TEST(kernel_Threads, CreateThreadRunsTheRoutineAndWaitJoinsIt) {
    thread_report report;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, report_and_wait, &report, 0, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_NE(id, GetCurrentThreadId());
    EXPECT_EQ(WaitForSingleObject(thread, 20), wait_timeout); // still waiting for release
    EXPECT_FALSE(report.finished);
    report.release = true;
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), 0u);
    EXPECT_TRUE(report.finished);
    EXPECT_EQ(report.id.load(), id); // the id CreateThread reports is the thread's own
    EXPECT_EQ(WaitForSingleObject(thread, 0), 0u); // a finished thread stays signalled
    EXPECT_TRUE(CloseHandle(thread));
    EXPECT_FALSE(CloseHandle(thread));
    EXPECT_EQ(GetLastError(), 6u); // ERROR_INVALID_HANDLE
}

TEST(kernel_Threads, ClosingTheHandleOfARunningThreadLetsItFinish) {
    static thread_report report;
    HANDLE thread = CreateThread(nullptr, 0, report_and_wait, &report, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(CloseHandle(thread));
    report.release = true;
    for (int i = 0; i < 5000 && !report.finished; ++i) Sleep(1);
    EXPECT_TRUE(report.finished);
}

TEST(kernel_Threads, InvalidHandlesAreRefused) {
    EXPECT_EQ(WaitForSingleObject(nullptr, 0), 0xFFFFFFFFu);
    EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
    EXPECT_FALSE(CloseHandle(reinterpret_cast<HANDLE>(0x4000)));
}

TEST(kernel_LastError, IsKeptPerThread) {
    SetLastError(1234);
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](LPVOID) -> DWORD {
            DWORD seen = GetLastError();
            SetLastError(99);
            return seen;
        },
        nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EXPECT_EQ(GetLastError(), 1234u);
}

namespace {
struct shared_counter {
    CRITICAL_SECTION lock;
    long value = 0;
};

DWORD WINAPI add_many(LPVOID parameter) {
    shared_counter *c = static_cast<shared_counter *>(parameter);
    for (int i = 0; i < 20000; ++i) {
        EnterCriticalSection(&c->lock);
        EnterCriticalSection(&c->lock); // re-entry by the owner must not deadlock
        long v = c->value;
        c->value = v + 1;
        LeaveCriticalSection(&c->lock);
        LeaveCriticalSection(&c->lock);
    }
    return 0;
}
} // namespace

TEST(kernel_CriticalSection, IsRecursiveAndExcludesOtherThreads) {
    shared_counter counter;
    InitializeCriticalSection(&counter.lock);
    HANDLE a = CreateThread(nullptr, 0, add_many, &counter, 0, nullptr);
    HANDLE b = CreateThread(nullptr, 0, add_many, &counter, 0, nullptr);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    WaitForSingleObject(a, INFINITE);
    WaitForSingleObject(b, INFINITE);
    CloseHandle(a);
    CloseHandle(b);
    EXPECT_EQ(counter.value, 40000);
    DeleteCriticalSection(&counter.lock);
}

// Holders that keep the lock for a millisecond now and then send the others to sleep on it;
// every sleeper must be woken, or its thread never finishes.
TEST(kernel_CriticalSection, WakesEveryThreadThatSleptOnIt) {
    constexpr int threads = 4, rounds = 150;
    struct shared_state {
        shared_counter counter;
        std::atomic<int> finished{0};
    };
    // On the heap: a thread that stays stuck is left behind with memory that stays valid.
    auto *shared = new shared_state;
    InitializeCriticalSection(&shared->counter.lock);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([shared] {
            for (int i = 0; i < rounds; ++i) {
                EnterCriticalSection(&shared->counter.lock);
                shared->counter.value++;
                if (i % 10 == 0) Sleep(1);
                LeaveCriticalSection(&shared->counter.lock);
            }
            shared->finished.fetch_add(1);
        });
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (shared->finished.load() < threads && std::chrono::steady_clock::now() < deadline)
        Sleep(5);
    if (shared->finished.load() < threads) {
        for (std::thread &worker : workers) worker.detach();
        FAIL() << "a thread still waits for a lock that is free";
    }
    for (std::thread &worker : workers) worker.join();
    EXPECT_EQ(shared->counter.value, threads * rounds);
    DeleteCriticalSection(&shared->counter.lock);
    delete shared;
}

TEST(kernel_Timing, SleepWaitsAndTheTickCountAdvances) {
    DWORD before = GetTickCount();
    Sleep(30);
    DWORD after = GetTickCount();
    EXPECT_GE(after - before, 29u); // a millisecond of rounding between the two clocks
    EXPECT_LT(after - before, 5000u);
    EXPECT_EQ(SleepEx(1, FALSE), 0u);
    Sleep(0); // yields and returns
}
