// Helpers shared by the window-manager tests: a message log, a logging window class, a GUI
// thread that owns windows, and waits with deadlines.
#ifndef ZELVAN_TESTS_WM_TEST_SUPPORT_H
#define ZELVAN_TESTS_WM_TEST_SUPPORT_H

#include "platform/posix/display/headless/headless_test.h"
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace wm_test {

struct logged {
    DWORD thread;
    HWND hwnd;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
};

// Every message the logging class receives, with the thread it arrived on.
struct message_log {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<logged> entries;

    void add(const logged &entry) {
        std::lock_guard<std::mutex> guard(lock);
        entries.push_back(entry);
        changed.notify_all();
    }
    std::vector<logged> snapshot() {
        std::lock_guard<std::mutex> guard(lock);
        return entries;
    }
    void clear() {
        std::lock_guard<std::mutex> guard(lock);
        entries.clear();
    }
    // Messages of one kind (for one window, unless hwnd is NULL).
    std::vector<logged> of(UINT message, HWND hwnd = nullptr) {
        std::vector<logged> out;
        for (const logged &e : snapshot()) {
            if (e.message == message && (hwnd == nullptr || e.hwnd == hwnd)) out.push_back(e);
        }
        return out;
    }
    size_t count(UINT message, HWND hwnd = nullptr) { return of(message, hwnd).size(); }
    // Waits until `count(message, hwnd)` reaches `wanted`; false at the deadline.
    bool wait_count(UINT message, size_t wanted, HWND hwnd = nullptr, int timeout_ms = 5000) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        std::unique_lock<std::mutex> guard(lock);
        auto enough = [&] {
            size_t n = 0;
            for (const logged &e : entries) {
                if (e.message == message && (hwnd == nullptr || e.hwnd == hwnd)) ++n;
            }
            return n >= wanted;
        };
        return changed.wait_until(guard, deadline, enough);
    }
};

inline message_log &log() {
    static message_log *instance = new message_log;
    return *instance;
}

// Per-test answers for particular messages; messages without one go to DefWindowProcA.
using hook_fn = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT *)>;
inline hook_fn &hook() {
    static hook_fn *instance = new hook_fn;
    return *instance;
}

const UINT stop_message = WM_USER + 100;
const UINT run_message = WM_USER + 101; // lParam: a std::function<void()> to run

inline LRESULT CALLBACK logging_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == run_message) {
        (*reinterpret_cast<std::function<void()> *>(lparam))();
        return 1;
    }
    log().add(logged{GetCurrentThreadId(), hwnd, message, wparam, lparam});
    LRESULT result = 0;
    if (hook() && hook()(hwnd, message, wparam, lparam, &result)) return result;
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

inline const char *class_name() {
    return "WmTestClass";
}

// Registers the logging class once per process (its tests may share one process).
inline void register_class(UINT style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW) {
    static bool done = false;
    if (done) return;
    WNDCLASSA wc{};
    wc.style = style;
    wc.lpfnWndProc = logging_proc;
    wc.lpszClassName = class_name();
    RegisterClassA(&wc);
    done = true;
}

inline HWND create_window(int x = 100, int y = 80, int width = 320, int height = 240,
                          const char *title = "test window") {
    return CreateWindowExA(0, class_name(), title, WS_OVERLAPPEDWINDOW, x, y, width, height,
                           nullptr, nullptr, nullptr, nullptr);
}

// Dispatches messages on this thread until `done` holds or the deadline passes. A thread timer
// bounds each WaitMessage, so the deadline is seen even when nothing arrives.
inline bool pump_until(const std::function<bool()> &done, int timeout_ms = 5000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    UINT_PTR timer = SetTimer(nullptr, 0, 20, nullptr);
    bool reached = done();
    while (!reached && std::chrono::steady_clock::now() < deadline) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        reached = done();
        if (!reached) WaitMessage();
    }
    KillTimer(nullptr, timer);
    return reached || done();
}

// Polls `done` from a thread that pumps nothing.
inline bool wait_until(const std::function<bool()> &done, int timeout_ms = 5000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// A thread that creates windows and runs a GetMessageA loop, like the library's GUI thread.
// Its hidden control window takes work to run there and the request to stop.
struct gui_thread {
    std::thread thread;
    std::atomic<HWND> control{nullptr};
    std::atomic<HWND> window{nullptr};
    std::atomic<DWORD> id{0};

    void start(const std::function<HWND()> &create = [] { return create_window(); }) {
        thread = std::thread([this, create] {
            id = GetCurrentThreadId();
            HWND hidden = CreateWindowExA(0, class_name(), "control", 0, 0, 0, 10, 10, nullptr,
                                          nullptr, nullptr, nullptr);
            window = create();
            control = hidden;
            MSG msg;
            while (GetMessageA(&msg, nullptr, 0, 0)) {
                if (msg.message == stop_message) break;
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        });
        wait_until([this] { return control.load() != nullptr; });
    }
    // Runs `work` on the GUI thread and returns when it is done.
    void run(std::function<void()> work) {
        SendMessageA(control, run_message, 0, reinterpret_cast<LPARAM>(&work));
    }
    void stop() {
        if (!thread.joinable()) return;
        PostMessageA(control, stop_message, 0, 0);
        thread.join();
    }
    ~gui_thread() { stop(); }
};

// Every test starts with the headless screen, the logging class and an empty log.
class wm_fixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(headless_test_activate());
        register_class();
        log().clear();
        hook() = nullptr;
    }
    void TearDown() override { hook() = nullptr; }
};

} // namespace wm_test

#endif
