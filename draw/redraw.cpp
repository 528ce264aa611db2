// Bringing the screen up to date: an explicit repaint, and the period of the refresh timer.
#include "core/window_table.h"
#include "zelvan.h"

namespace {

// The shortest refresh period; shorter requests, negative ones included, get this.
const int k_shortest_period_ms = 10;

} // namespace

extern "C" {

ZVEXPORT int ZVAPI ZVRedraw(int handle) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    if (!window->canvas) InvalidateRect(window->hwnd, nullptr, TRUE);
    window->buffer_dirty[window->view_buffer.load()] = 0;
    return ZV_OK;
}

ZVEXPORT int ZVAPI ZVSetAutoRedraw(int handle, int interval_ms) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    window_record *r = window.record;
    if (r->canvas) return 0; // a canvas never has a refresh timer
    if (interval_ms == 0) {
        if (r->refresh_timer.load() != 0) KillTimer(r->hwnd, REFRESH_TIMER_ID);
        r->refresh_timer = 0;
        return 0;
    }
    int period = interval_ms < k_shortest_period_ms ? k_shortest_period_ms : interval_ms;
    // Same window, same id: a running timer takes the new period. The timer belongs to the
    // window, so its ticks reach the GUI thread whichever thread set it.
    UINT_PTR timer = SetTimer(r->hwnd, REFRESH_TIMER_ID, static_cast<UINT>(period), nullptr);
    r->refresh_timer = static_cast<unsigned int>(timer);
    return period;
}

} // extern "C"
