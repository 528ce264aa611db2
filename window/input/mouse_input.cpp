// Polled mouse input: captures of the live records the window procedure fills, and getters.
#include "core/scale/window_scale.h"
#include "core/window_table.h"
#include "window/input/user_input.h"

#include "zelvan.h"

namespace {

// Which captured record a getter reads and what it returns from it.
enum class click_field { x, y, ctrl, shift };

// Moves the live record of one button into its captured copy. The state lock keeps a
// capture from mixing two events or racing another capture.
int capture_click(int handle, mouse_event_record user_input::*live,
                  mouse_event_record user_input::*captured) {
    window_ref found(handle);
    if (!found.ok()) return ZV_ERR_BAD_WINDOW;
    window_record *window = found.record;
    user_input &in = *window->input;
    EnterCriticalSection(&window->state_lock);
    int result = ZV_OK;
    if (!(in.*live).valid) {
        (in.*captured).valid = 0;
        result = ZV_ERR_NO_CLICK;
    } else {
        in.*captured = in.*live;
        (in.*live).valid = 0;
    }
    LeaveCriticalSection(&window->state_lock);
    return result;
}

int read_click(int handle, mouse_event_record user_input::*captured, click_field field) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    EnterCriticalSection(&window->state_lock);
    mouse_event_record click = window->input->*captured;
    LeaveCriticalSection(&window->state_lock);
    if (!click.valid) return ZV_ERR_BAD_COORDS;
    switch (field) {
    case click_field::x:
        return click.x;
    case click_field::y:
        return click.y;
    case click_field::ctrl:
        return (click.keys & MK_CONTROL) ? 1 : 0;
    case click_field::shift:
        return (click.keys & MK_SHIFT) ? 1 : 0;
    }
    return ZV_ERR_BAD_COORDS;
}

int read_pointer(int handle, bool want_x) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    EnterCriticalSection(&window->state_lock);
    mouse_event_record pointer = window->input->mouse;
    LeaveCriticalSection(&window->state_lock);
    if (!pointer.valid) return ZV_ERR_BAD_COORDS;
    return want_x ? pointer.x : pointer.y;
}

// The pointer's latest position over the window, or in a drag that began there.
int latest_pointer(int handle, bool want_x) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    EnterCriticalSection(&window->state_lock);
    const user_input &in = *window->input;
    int result = !in.pointer_known ? ZV_ERR_MOUSE_OUTSIDE : want_x ? in.pointer_x : in.pointer_y;
    LeaveCriticalSection(&window->state_lock);
    return result;
}

const auto k_live_left = &user_input::live_left;
const auto k_live_right = &user_input::live_right;
const auto k_left = &user_input::left_click;
const auto k_right = &user_input::right_click;

} // namespace

extern "C" {

ZVEXPORT int ZVAPI ZVCaptureMouseCoords(int handle) {
    window_ref found(handle);
    if (!found.ok()) return ZV_ERR_BAD_WINDOW;
    window_record *window = found.record;
    POINT cursor{};
    // In screen pixels like the client rectangle, which the GUI thread (DPI aware) records;
    // Windows would give this host thread a position shrunk to its own DPI awareness.
    GetPhysicalCursorPos(&cursor);
    EnterCriticalSection(&window->state_lock);
    int result = ZV_ERR_MOUSE_OUTSIDE;
    if (!window->input->live_mouse.valid) {
        window->input->mouse.valid = 0;
    } else {
        window->input->live_mouse.valid = 0;
        POINT at = drawing_point(window, cursor.x - window->client_screen_rect.left,
                                 cursor.y - window->client_screen_rect.top);
        window->input->mouse.x = at.x;
        window->input->mouse.y = at.y;
        // The pointer still rests where the window last saw it move: over the client area.
        bool resting = window->input->mouse.x == window->input->live_mouse.x &&
                       window->input->mouse.y == window->input->live_mouse.y;
        window->input->mouse.valid = resting ? 1 : 0;
        if (resting) result = ZV_OK;
    }
    LeaveCriticalSection(&window->state_lock);
    return result;
}

ZVEXPORT int ZVAPI ZVGetMouseCoordsX(int handle) {
    return read_pointer(handle, true);
}
ZVEXPORT int ZVAPI ZVGetMouseCoordsY(int handle) {
    return read_pointer(handle, false);
}

ZVEXPORT int ZVAPI ZVGetMouseX(int handle) {
    return latest_pointer(handle, true);
}
ZVEXPORT int ZVAPI ZVGetMouseY(int handle) {
    return latest_pointer(handle, false);
}

ZVEXPORT int ZVAPI ZVCaptureLastLeftMouseClick(int handle) {
    return capture_click(handle, k_live_left, k_left);
}
ZVEXPORT int ZVAPI ZVGetLastLeftMouseClickX(int handle) {
    return read_click(handle, k_left, click_field::x);
}
ZVEXPORT int ZVAPI ZVGetLastLeftMouseClickY(int handle) {
    return read_click(handle, k_left, click_field::y);
}
ZVEXPORT int ZVAPI ZVGetLastLeftMouseClickCTRL(int handle) {
    return read_click(handle, k_left, click_field::ctrl);
}
ZVEXPORT int ZVAPI ZVGetLastLeftMouseClickSHIFT(int handle) {
    return read_click(handle, k_left, click_field::shift);
}

ZVEXPORT int ZVAPI ZVCaptureLastRightMouseClick(int handle) {
    return capture_click(handle, k_live_right, k_right);
}
ZVEXPORT int ZVAPI ZVGetLastRightMouseClickX(int handle) {
    return read_click(handle, k_right, click_field::x);
}
ZVEXPORT int ZVAPI ZVGetLastRightMouseClickY(int handle) {
    return read_click(handle, k_right, click_field::y);
}
ZVEXPORT int ZVAPI ZVGetLastRightMouseClickCTRL(int handle) {
    return read_click(handle, k_right, click_field::ctrl);
}
ZVEXPORT int ZVAPI ZVGetLastRightMouseClickSHIFT(int handle) {
    return read_click(handle, k_right, click_field::shift);
}

} // extern "C"
