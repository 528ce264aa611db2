// Starting and stopping the refresh timer. The drawing thread stores its mark before it reads
// `refresh_wanted`, the GUI thread clears `refresh_wanted` before it reads the mark (all
// sequentially consistent): of a change made as the timer stops, one of them always sees the
// other, so the change is never left undrawn.
#include "core/window_refresh.h"

namespace {

// How long a timer that finds nothing new keeps going before it stops: a program that draws
// again within it finds the timer running, and a running timer's ticks come a period apart,
// where a timer started anew may take a little longer to its first.
const int k_quiet_ms_before_stop = 500;

bool view_changed(const window_record *window) {
    return window->buffer_dirty[window->view_buffer.load()].load() != 0;
}

void start_timer(window_record *window, int period) {
    window->refresh_quiet_ticks = 0;
    if (window->refresh_timer_period == period) return;
    // Same window, same id: a running timer takes the new period.
    if (SetTimer(window->hwnd, REFRESH_TIMER_ID, static_cast<UINT>(period), nullptr))
        window->refresh_timer_period = period;
}

void post_request(window_record *window) {
    // A full queue refuses the request: the next change asks again.
    if (!PostMessageA(window->hwnd, MSG_REFRESH, 0, 0)) window->refresh_wanted.store(0);
}

} // namespace

void request_refresh(window_record *window) {
    if (window->refresh_period.load() == 0) return;
    if (window->refresh_wanted.load() != 0 || window->refresh_wanted.exchange(1) != 0) return;
    post_request(window);
}

void set_refresh_period(window_record *window, int period_ms) {
    window->refresh_period.store(period_ms);
    window->refresh_wanted.store(1);
    post_request(window);
}

void stop_refresh_timer(window_record *window) {
    if (window->refresh_timer_period != 0) KillTimer(window->hwnd, REFRESH_TIMER_ID);
    window->refresh_timer_period = 0;
}

void on_refresh_request(window_record *window) {
    int period = window->refresh_period.load();
    if (window->closing.load() != 0 || period == 0) {
        stop_refresh_timer(window);
        window->refresh_wanted.store(0);
        return;
    }
    // A change after a quiet spell shows at once; the timer gathers those that follow.
    start_timer(window, period);
    if (view_changed(window)) InvalidateRect(window->hwnd, nullptr, FALSE);
}

void refresh_tick(window_record *window) {
    int period = window->refresh_period.load();
    if (period != 0 && view_changed(window)) {
        window->refresh_quiet_ticks = 0;
        InvalidateRect(window->hwnd, nullptr, FALSE);
        return;
    }
    if (period != 0 && ++window->refresh_quiet_ticks < k_quiet_ms_before_stop / period) return;
    // Nothing shown for a while: the timer stops until the next change asks for it.
    stop_refresh_timer(window);
    window->refresh_wanted.store(0);
    if (period == 0 || !view_changed(window) || window->refresh_wanted.exchange(1) != 0) return;
    start_timer(window, period);
    InvalidateRect(window->hwnd, nullptr, FALSE);
}
