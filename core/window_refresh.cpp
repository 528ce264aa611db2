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

bool view_changed(const window_record *r) {
    return r->buffer_dirty[r->view_buffer.load()].load() != 0;
}

void start_timer(window_record *r, int period) {
    r->refresh_quiet_ticks = 0;
    if (r->refresh_timer_period == period) return;
    // Same window, same id: a running timer takes the new period.
    if (SetTimer(r->hwnd, REFRESH_TIMER_ID, static_cast<UINT>(period), nullptr))
        r->refresh_timer_period = period;
}

void post_request(window_record *r) {
    // A full queue refuses the request: the next change asks again.
    if (!PostMessageA(r->hwnd, MSG_REFRESH, 0, 0)) r->refresh_wanted.store(0);
}

} // namespace

void request_refresh(window_record *r) {
    if (r->refresh_period.load() == 0) return;
    if (r->refresh_wanted.load() != 0 || r->refresh_wanted.exchange(1) != 0) return;
    post_request(r);
}

void set_refresh_period(window_record *r, int period_ms) {
    r->refresh_period.store(period_ms);
    r->refresh_wanted.store(1);
    post_request(r);
}

void stop_refresh_timer(window_record *r) {
    if (r->refresh_timer_period != 0) KillTimer(r->hwnd, REFRESH_TIMER_ID);
    r->refresh_timer_period = 0;
}

void on_refresh_request(window_record *r) {
    int period = r->refresh_period.load();
    if (r->closing.load() != 0 || period == 0) {
        stop_refresh_timer(r);
        r->refresh_wanted.store(0);
        return;
    }
    // A change after a quiet spell shows at once; the timer gathers those that follow.
    start_timer(r, period);
    if (view_changed(r)) InvalidateRect(r->hwnd, nullptr, FALSE);
}

void refresh_tick(window_record *r) {
    int period = r->refresh_period.load();
    if (period != 0 && view_changed(r)) {
        r->refresh_quiet_ticks = 0;
        InvalidateRect(r->hwnd, nullptr, FALSE);
        return;
    }
    if (period != 0 && ++r->refresh_quiet_ticks < k_quiet_ms_before_stop / period) return;
    // Nothing shown for a while: the timer stops until the next change asks for it.
    stop_refresh_timer(r);
    r->refresh_wanted.store(0);
    if (period == 0 || !view_changed(r) || r->refresh_wanted.exchange(1) != 0) return;
    start_timer(r, period);
    InvalidateRect(r->hwnd, nullptr, FALSE);
}
