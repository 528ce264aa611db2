// WaitMessage sleeps until there is something to do, and wakes for every kind of event.
#include "wm_test_support.h"

#include <pthread.h>
#include <time.h>

using namespace wm_test;

namespace {

class wm_Wait : public wm_fixture {};

// A thread that owns a shown window, blocks in WaitMessage once and reports when it woke.
struct waiter {
    std::thread thread;
    std::atomic<HWND> window{nullptr};
    std::atomic<int> phase{0}; // 1: about to wait, 2: woke
    std::atomic<bool> finish{false};
    pthread_t handle{};

    explicit waiter(const std::function<void(HWND)> &before_wait = [](HWND) {}) {
        thread = std::thread([this, before_wait] {
            handle = pthread_self();
            HWND hwnd = create_window(300, 300, 200, 150, "waiter");
            ShowWindow(hwnd, SW_SHOW);
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
            before_wait(hwnd);
            window = hwnd;
            phase = 1;
            WaitMessage();
            phase = 2;
            while (!finish) {
                while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            DestroyWindow(hwnd);
        });
        wait_until([this] { return phase.load() == 1; });
    }
    // True if the thread is still inside WaitMessage a little while later.
    bool still_waiting() {
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        return phase.load() == 1;
    }
    bool wakes() {
        return wait_until([this] { return phase.load() == 2; });
    }
    ~waiter() {
        finish = true;
        thread.join();
    }
};

double thread_cpu_ms(pthread_t thread) {
    clockid_t clock;
    pthread_getcpuclockid(thread, &clock);
    timespec t;
    clock_gettime(clock, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

} // namespace

TEST_F(wm_Wait, WakesForAPostedMessage) {
    waiter w;
    ASSERT_TRUE(w.still_waiting());
    PostMessageA(w.window, WM_USER + 1, 0, 0);
    EXPECT_TRUE(w.wakes());
}

TEST_F(wm_Wait, WakesForASentMessage) {
    waiter w;
    ASSERT_TRUE(w.still_waiting());
    std::thread sender([&] { SendMessageA(w.window, WM_USER + 2, 0, 0); });
    EXPECT_TRUE(w.wakes());
    sender.join(); // the send was answered after the wait
    EXPECT_EQ(log().count(WM_USER + 2), 1u);
}

TEST_F(wm_Wait, WakesForADueTimer) {
    waiter w([](HWND hwnd) { SetTimer(hwnd, 1, 150, nullptr); });
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(w.wakes());
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
}

TEST_F(wm_Wait, WakesForATimerSetWhileWaiting) {
    waiter w;
    ASSERT_TRUE(w.still_waiting());
    SetTimer(w.window, 1, 10, nullptr);
    EXPECT_TRUE(w.wakes());
}

TEST_F(wm_Wait, WakesForAnInvalidation) {
    waiter w;
    ASSERT_TRUE(w.still_waiting());
    RECT r{0, 0, 5, 5};
    InvalidateRect(w.window, &r, FALSE);
    EXPECT_TRUE(w.wakes());
}

TEST_F(wm_Wait, WakesForInput) {
    waiter w;
    ASSERT_TRUE(w.still_waiting());
    headless_test_window_info info;
    ASSERT_TRUE(headless_test_window_state(w.window, &info));
    headless_test_move_pointer(info.client.left + 3, info.client.top + 4, 0);
    EXPECT_TRUE(w.wakes());
}

TEST_F(wm_Wait, AnIdleThreadUsesAlmostNoProcessorTime) {
    waiter w;
    double before = thread_cpu_ms(w.handle);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    double used = thread_cpu_ms(w.handle) - before;
    EXPECT_EQ(w.phase.load(), 1);
    EXPECT_LT(used, 15.0) << "a waiting thread must block, not poll";
    PostMessageA(w.window, WM_USER, 0, 0);
    EXPECT_TRUE(w.wakes());
}

TEST_F(wm_Wait, ReturnsAtOnceWhenSomethingIsAlreadyWaiting) {
    HWND hwnd = create_window();
    PostMessageA(hwnd, WM_USER, 0, 0);
    EXPECT_TRUE(WaitMessage());
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    DestroyWindow(hwnd);
}
