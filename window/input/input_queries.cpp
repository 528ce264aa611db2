// Polled input beyond the original calls: held buttons and keys, key presses, the wheel and the
// user's close requests, as the window procedure recorded them (window/input_messages.cpp).
#include "core/window_table.h"
#include "window/input/user_input.h"

#include "zelvan.h"

namespace {

// A key as ZVIsKeyDown takes it, in the form the window procedure records: letters in lower
// case, the space bar as ZV_KEY_SPACE; 0 for a value that names no key.
int recorded_code(int key) {
    if (key >= 'A' && key <= 'Z') return key - 'A' + 'a';
    if (key == ' ') return ZV_KEY_SPACE;
    if (key > ' ' && key < 127) return key;
    return key >= ZV_KEY_ESCAPE && key <= ZV_KEY_ALT ? key : 0;
}

bool contains(const RECT &rect, POINT point) {
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top &&
           point.y < rect.bottom;
}

} // namespace

extern "C" {

ZVEXPORT int ZVAPI ZVGetMouseButtons(int handle) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    POINT cursor{};
    bool known = GetPhysicalCursorPos(&cursor) != 0; // in screen pixels, as the rectangle
    EnterCriticalSection(&window->state_lock);
    const user_input &in = *window->input;
    // Without the capture of a drag, what was held counts only while the pointer is here.
    bool here = in.captured || (known && contains(window->client_screen_rect, cursor));
    int held = here ? in.buttons | in.modifiers : 0;
    LeaveCriticalSection(&window->state_lock);
    return held;
}

ZVEXPORT int ZVAPI ZVGetMouseWheel(int handle) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    EnterCriticalSection(&window->state_lock);
    // Whole steps only: the rest of a fine-grained wheel's turn waits for the next call.
    int steps = window->input->wheel / WHEEL_DELTA;
    window->input->wheel -= steps * WHEEL_DELTA;
    LeaveCriticalSection(&window->state_lock);
    return steps;
}

ZVEXPORT int ZVAPI ZVIsKeyDown(int handle, int key) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    int code = recorded_code(key);
    if (code == 0) return 0;
    int down = 0;
    EnterCriticalSection(&window->state_lock);
    for (uint16_t held : window->input->held_code) {
        if (held == code) down = 1;
    }
    LeaveCriticalSection(&window->state_lock);
    return down;
}

ZVEXPORT int ZVAPI ZVReadKey(int handle) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    EnterCriticalSection(&window->state_lock);
    user_input &in = *window->input;
    int press = 0;
    if (in.press_count != 0) {
        press = in.presses[in.press_read_pos];
        in.press_read_pos = (in.press_read_pos + 1) % KEY_RING_SIZE;
        --in.press_count;
    }
    LeaveCriticalSection(&window->state_lock);
    return press;
}

ZVEXPORT int ZVAPI ZVCloseRequested(int handle) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    EnterCriticalSection(&window->state_lock);
    int requested = window->input->close_requests != 0 ? 1 : 0;
    window->input->close_requests -= requested;
    LeaveCriticalSection(&window->state_lock);
    return requested;
}

} // extern "C"
