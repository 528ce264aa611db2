// Windows on a modern desktop: sizing by the user, fullscreen, the screen's size.
#include "window/desktop_window.h"

#include "core/scale/window_scale.h"
#include "core/startup/library_call.h"
#include "core/window_table.h"
#include "window/desktop_state.h"
#include "window/window_messages.h"
#include "zelvan.h"

namespace {

const LONG_PTR k_frame_styles = WS_OVERLAPPEDWINDOW;

// Waits out a switch another thread has under way and claims the window for one from `from`;
// false when the window already stands where the caller wants it.
bool claim_switch(window_record *window, int from) {
    for (;;) {
        int state = from;
        if (window->desktop->fullscreen_state.compare_exchange_strong(state, FULLSCREEN_SWITCHING))
            return true;
        if (state != FULLSCREEN_SWITCHING) return false;
        Sleep(1); // a switch takes a few messages; it ends soon
    }
}

// The platform asks the window for its limits again and, where a display offers the user a
// drag of the border, hands the new ones on.
void remeasure_frame(HWND hwnd) {
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void enter_fullscreen(window_record *window) {
    LONG_PTR style = GetWindowLongPtrA(window->hwnd, GWL_STYLE);
    RECT frame{};
    GetWindowRect(window->hwnd, &frame);
    EnterCriticalSection(&window->state_lock);
    window->desktop->framed_style = style;
    window->desktop->framed_rect = frame;
    LeaveCriticalSection(&window->state_lock);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromWindow(window->hwnd, MONITOR_DEFAULTTONEAREST), &monitor)) {
        monitor.rcMonitor =
            RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    window->desktop->popup_frame = 1;
    SetWindowLongPtrA(window->hwnd, GWL_STYLE,
                      (style & ~k_frame_styles & ~LONG_PTR{WS_MINIMIZE}) | WS_POPUP);
    const RECT &m = monitor.rcMonitor;
    SetWindowPos(window->hwnd, HWND_TOP, m.left, m.top, m.right - m.left, m.bottom - m.top,
                 SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
}

void leave_fullscreen(window_record *window) {
    EnterCriticalSection(&window->state_lock);
    LONG_PTR style = window->desktop->framed_style;
    RECT frame = window->desktop->framed_rect;
    LeaveCriticalSection(&window->state_lock);
    SetWindowLongPtrA(window->hwnd, GWL_STYLE, style & ~LONG_PTR{WS_MINIMIZE});
    window->desktop->popup_frame = 0;
    SetWindowPos(window->hwnd, nullptr, frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top, SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOOWNERZORDER);
}

} // namespace

void switch_fullscreen(window_record *window, bool on) {
    screen_pixels_scope physical; // frames and monitors in the screen's own pixels
    if (on) {
        enter_fullscreen(window);
        window->desktop->fullscreen_state = FULLSCREEN_ON;
    } else {
        leave_fullscreen(window);
        window->desktop->fullscreen_state = FULLSCREEN_OFF;
        remeasure_frame(window->hwnd); // a fixed window's limits hold again
    }
}

extern "C" {

ZVEXPORT int ZVAPI ZVSetResizable(int handle, int on) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    if (window->canvas) return ZV_ERROR; // no frame to size, no monitor to cover
    screen_pixels_scope physical;        // frames and monitors in the screen's own pixels
    window->desktop->user_resizable = on ? 1 : 0;
    // A fullscreen window has no border now; it takes its frame back later. Turning sizing off
    // keeps the sizing border all library windows are made with (and so the frame's metrics):
    // the limits the window now reports are what hold the size.
    if (window->desktop->fullscreen_state == FULLSCREEN_OFF) {
        LONG_PTR style = GetWindowLongPtrA(window->hwnd, GWL_STYLE);
        LONG_PTR sizing = WS_THICKFRAME | WS_MAXIMIZEBOX;
        if (on && (style & sizing) != sizing)
            SetWindowLongPtrA(window->hwnd, GWL_STYLE, style | sizing);
    }
    remeasure_frame(window->hwnd);
    return ZV_OK;
}

ZVEXPORT int ZVAPI ZVWasResized(int handle) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    return window->desktop->resized_unseen.exchange(0);
}

ZVEXPORT int ZVAPI ZVSetFullscreen(int handle, int on) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    if (window->canvas) return ZV_ERROR; // no frame to size, no monitor to cover
    int from = on ? FULLSCREEN_OFF : FULLSCREEN_ON;
    if (!claim_switch(window.record, from)) return ZV_OK;
    SendMessageA(window->hwnd, MSG_SWITCH_FULLSCREEN, on ? 1 : 0, 0);
    // A window that closed meanwhile never made the switch: the claim is given back.
    int switching = FULLSCREEN_SWITCHING;
    window->desktop->fullscreen_state.compare_exchange_strong(switching, from);
    return ZV_OK;
}

ZVEXPORT int ZVAPI ZVGetScreenWidth(void) {
    library_call call;
    if (call.refused()) return ZV_ERR_NOT_INITIALISED;
    screen_pixels_scope physical;
    return GetSystemMetrics(SM_CXSCREEN) / primary_screen_scale(); // in drawing pixels
}

ZVEXPORT int ZVAPI ZVGetScreenHeight(void) {
    library_call call;
    if (call.refused()) return ZV_ERR_NOT_INITIALISED;
    screen_pixels_scope physical;
    return GetSystemMetrics(SM_CYSCREEN) / primary_screen_scale(); // in drawing pixels
}

} // extern "C"
