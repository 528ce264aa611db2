// Bringing the screen up to date: an explicit repaint, and the period of the refresh timer.
#include "core/window_refresh.h"
#include "core/window_table.h"
#include "draw/window_buffers.h"
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
    mark_view_shown(window.record);
    return ZV_OK;
}

ZVEXPORT int ZVAPI ZVSetAutoRedraw(int handle, int interval_ms) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    if (window->canvas) return 0; // a canvas never has a refresh timer
    int period = interval_ms == 0                     ? 0
                 : interval_ms < k_shortest_period_ms ? k_shortest_period_ms
                                                      : interval_ms;
    // The GUI thread applies it: timers are set on the thread that owns the window. Drawing
    // after this call already goes by the new period.
    set_refresh_period(window.record, period);
    return period;
}

} // extern "C"
