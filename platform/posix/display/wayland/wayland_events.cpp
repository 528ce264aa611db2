// Reading the compositor's events, dispatching them, and handing what they mean to the window
// manager; the descriptor the GUI thread sleeps on.
#include "platform/posix/display/socket_pacing.h"
#include "platform/posix/display/wayland/wayland_internal.h"

#include <errno.h>
#include <poll.h>
#include <stdint.h>

#include <vector>

namespace {

// The last look at the Wayland socket (GUI thread only).
int64_t g_last_look_us = INT64_MIN / 2;

// Reports what the dispatch queued, one at a time: a report may call back into the driver
// (a configure ends in move_resize) and even queue more.
void deliver_reports(void) {
    wayland_state &s = wayland();
    while (!s.reports.empty()) {
        std::vector<display_event> batch;
        batch.swap(s.reports);
        for (const display_event &e : batch) s.sink.report(&e);
    }
}

// The GUI thread's first look after the connection broke tells the window manager, once.
bool report_loss(void) {
    wayland_state &s = wayland();
    if (!s.lost.load()) return false;
    bool gui =
        s.gui_known.load(std::memory_order_acquire) && pthread_equal(s.gui_thread, pthread_self());
    if (gui && !s.loss_reported) {
        s.loss_reported = true;
        s.reports.clear();
        display_event e{};
        e.kind = DISPLAY_EVENT_LOST;
        s.sink.report(&e);
    }
    return true;
}

} // namespace

bool wayland_flush(void) {
    wayland_state &s = wayland();
    if (s.lost.load()) return false;
    // A full socket (EAGAIN) keeps the rest for the next flush.
    if (wl_display_flush(s.display) < 0 && errno != EAGAIN) {
        wayland_connection_failed();
        return false;
    }
    return true;
}

bool wayland_read(wl_event_queue *queue, int timeout_ms) {
    wayland_state &s = wayland();
    if (s.lost.load()) return false;
    int prepared = queue != nullptr ? wl_display_prepare_read_queue(s.display, queue)
                                    : wl_display_prepare_read(s.display);
    if (prepared != 0) return true; // events wait in the queue already
    wayland_flush();
    pollfd p{wl_display_get_fd(s.display), POLLIN, 0};
    int ready = poll(&p, 1, timeout_ms);
    if (ready <= 0 || s.lost.load()) {
        wl_display_cancel_read(s.display);
        return !s.lost.load();
    }
    if (wl_display_read_events(s.display) < 0) {
        wayland_connection_failed();
        return false;
    }
    return true;
}

// Input listeners name windows; their reports go out once libwayland's dispatch returned.
void wayland_pump_events(void) {
    if (report_loss() || !wayland_on_gui_thread()) return;
    wayland_state &s = wayland();
    wayland_clipboard_take_pending();
    bool look = display_socket_look_due(&g_last_look_us);
    if (look) wayland_read(nullptr, 0);
    if (wl_display_dispatch_pending(s.display) < 0) wayland_connection_failed();
    if (look) wayland_frames_dispatch();
    wayland_repeat_fired();
    wayland_settle_configures();
    wayland_flush();
    deliver_reports();
    report_loss();
}

int wayland_event_fd(void) {
    if (!wayland_on_gui_thread()) return -1;
    wayland_state &s = wayland();
    if (!s.reports.empty()) return DISPLAY_EVENTS_QUEUED;
    // Reads what the socket holds: a pump that skipped its look must not leave data there
    // for poll() to wake on at once, again and again.
    wayland_read(nullptr, 0);
    if (s.lost.load()) return DISPLAY_EVENTS_QUEUED; // the pump reports the loss
    if (wl_display_prepare_read(s.display) != 0) return DISPLAY_EVENTS_QUEUED;
    wl_display_cancel_read(s.display);
    return s.wake_fd;
}
