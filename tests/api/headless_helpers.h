// Small helpers over the headless screen's test entry points.
#ifndef ZELVAN_TESTS_HEADLESS_HELPERS_H
#define ZELVAN_TESTS_HEADLESS_HELPERS_H

#include "core/window_table.h"
#include "platform/posix/display/headless/headless_test.h"
#include "window/input/user_input.h"
#include "zelvan.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

// The platform window behind a library handle (null for a bad handle).
inline HWND hwnd_of(int handle) {
    window_ref window(handle);
    return window.record ? window->hwnd : nullptr;
}

inline headless_test_window_info screen_state_of(int handle) {
    headless_test_window_info state{};
    headless_test_window_state(hwnd_of(handle), &state);
    return state;
}

// The screen position of a point given in the window's client coordinates.
inline POINT client_to_screen(int handle, int x, int y) {
    headless_test_window_info state = screen_state_of(handle);
    return POINT{state.client.left + x, state.client.top + y};
}

// Waits until the GUI thread has handled every input event fed so far: input reaches the
// window procedure in order, so a pointer move fed last marks the end. A window that is gone,
// or goes meanwhile, fails the calling test.
inline bool flush_input(int handle, double seconds = 5.0) {
    {
        window_ref window(handle);
        if (!window.record) {
            ADD_FAILURE() << "flush_input: window " << handle << " does not exist";
            return false;
        }
        EnterCriticalSection(&window->state_lock);
        window->input->live_mouse.valid = 0;
        LeaveCriticalSection(&window->state_lock);
    }
    headless_test_window_info state = screen_state_of(handle);
    headless_test_move_pointer(state.client.left, state.client.top, 0);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        {
            window_ref window(handle);
            if (!window.record) {
                ADD_FAILURE() << "flush_input: window " << handle << " went away meanwhile";
                return false;
            }
            EnterCriticalSection(&window->state_lock);
            bool seen = window->input->live_mouse.valid != 0;
            LeaveCriticalSection(&window->state_lock);
            if (seen) return true;
        }
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

#endif
