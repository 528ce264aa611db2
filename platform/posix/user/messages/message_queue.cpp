// Posting, peeking, getting, waiting for and dispatching messages.
#include "platform/posix/kernel/kernel_objects.h"
#include "platform/posix/user/wm_internal.h"

#include <errno.h>
#include <limits.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>

namespace {

const HWND thread_messages_only = reinterpret_cast<HWND>(-1);

bool in_range(UINT message, UINT first, UINT last) {
    return (first == 0 && last == 0) || (message >= first && message <= last);
}

bool passes(const MSG &msg, HWND filter, UINT first, UINT last) {
    if (filter == thread_messages_only && msg.hwnd != nullptr) return false;
    if (filter != nullptr && filter != thread_messages_only && msg.hwnd != filter) return false;
    return in_range(msg.message, first, last);
}

MSG make_msg(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    return MSG{hwnd, message, wparam, lparam, GetTickCount(), wm().last_pointer};
}

bool take_posted(wm_queue *q, MSG *out, HWND filter, UINT first, UINT last, bool remove) {
    for (auto it = q->posted.begin(); it != q->posted.end(); ++it) {
        if (!passes(*it, filter, first, last)) continue;
        *out = *it;
        if (remove) q->posted.erase(it);
        return true;
    }
    return false;
}

// Win32's order after sent messages: posted (input included), WM_QUIT, WM_PAINT, WM_TIMER.
// WM_PAINT and WM_TIMER are made when asked for, so neither ever piles up.
bool take_message(wm_queue *q, MSG *out, HWND filter, UINT first, UINT last, bool remove) {
    if (take_posted(q, out, filter, first, last, remove)) return true;
    if (q->quit && in_range(WM_QUIT, first, last)) {
        *out = make_msg(nullptr, WM_QUIT, static_cast<WPARAM>(q->quit_code), 0);
        if (remove) q->quit = false;
        return true;
    }
    // WM_PAINT and WM_TIMER are made only when wanted: most reads of a busy queue want neither,
    // and the clock is read once.
    bool paint_wanted = in_range(WM_PAINT, first, last);
    HWND to_paint = paint_wanted ? wm_window_to_paint(q, filter) : nullptr;
    if (to_paint != nullptr) {
        *out = make_msg(to_paint, WM_PAINT, 0, 0);
        return true;
    }
    wm_timer timer;
    uint64_t now = kernel_monotonic_ms();
    if (!in_range(WM_TIMER, first, last) || !wm_due_timer(q, filter, now, remove, &timer)) {
        return false;
    }
    *out = MSG{timer.hwnd, WM_TIMER,         timer.id, reinterpret_cast<LPARAM>(timer.proc),
               DWORD(now), wm().last_pointer}; // GetTickCount's value, without a second read
    return true;
}

// Sent messages run first, then what other threads released is presented. Lock held.
void run_incoming(wm_queue *q) {
    while (wm_run_one_sent(q)) {
    }
    wm_run_pending_presents(q);
}

void pump_display(void) {
    const display_driver *driver = wm_driver();
    if (driver != nullptr) driver->pump_events();
}

bool peek(MSG *msg, HWND filter, UINT first, UINT last, UINT remove) {
    // Asked for sent messages only: run them and report nothing, as they are never returned.
    bool sent_only = (remove & PM_QS_SENDMESSAGE) != 0;
    if (!sent_only) pump_display();
    wm_lock();
    wm_queue *q = wm_this_queue();
    run_incoming(q);
    if (sent_only) {
        wm_unlock();
        return false;
    }
    MSG found;
    bool got = take_message(q, &found, filter, first, last, (remove & PM_REMOVE) != 0);
    wm_unlock();
    if (got && msg != nullptr) *msg = found;
    return got;
}

bool anything_ready(wm_queue *q, HWND filter, UINT first, UINT last) {
    MSG ignored;
    return !q->sent.empty() || take_message(q, &ignored, filter, first, last, false);
}

timespec to_timespec(uint64_t ms) {
    return timespec{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
}

int driver_event_fd(void) {
    const display_driver *driver = wm_driver();
    return driver != nullptr && driver->event_fd != nullptr ? driver->event_fd() : -1;
}

void wait_on_condition(wm_queue *q) {
    uint64_t due = wm_next_timer_due(q);
    if (due == UINT64_MAX) {
        pthread_cond_wait(&q->wake, &wm().lock);
    } else {
        timespec deadline = to_timespec(due);
        pthread_cond_timedwait(&q->wake, &wm().lock, &deadline);
    }
}

// Sleeps in poll() on the driver's descriptor and the queue's wake-up eventfd until either
// is readable or the next timer is due. Lock held, released meanwhile.
void poll_driver_and_queue(wm_queue *q) {
    if (q->wake_fd < 0) q->wake_fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (q->wake_fd < 0) { // no descriptor left: the driver's own wake still reaches us
        wait_on_condition(q);
        return;
    }
    uint64_t due = wm_next_timer_due(q);
    q->polling = true;
    wm_unlock();
    int driver_fd = driver_event_fd(); // asked last: drawing may have queued events meanwhile
    if (driver_fd >= 0) {
        uint64_t now = kernel_monotonic_ms();
        int timeout = due == UINT64_MAX ? -1
                      : due <= now      ? 0
                                        : int(std::min<uint64_t>(due - now, INT_MAX));
        pollfd fds[2] = {{driver_fd, POLLIN, 0}, {q->wake_fd, POLLIN, 0}};
        poll(fds, 2, timeout);
    }
    wm_lock();
    q->polling = false;
    uint64_t count;
    if (read(q->wake_fd, &count, sizeof count) < 0) count = 0; // empty already: nothing to clear
}

// Blocks until something is ready, with the next timer as the deadline, so an idle thread
// sleeps without polling. The thread that owns a driver's windows also wakes for its events,
// and then returns so that the caller pumps them.
void wait_for_message(HWND filter, UINT first, UINT last) {
    wm_lock();
    unsigned wakes = wm().display_wakes;
    wm_unlock();
    pump_display();
    bool watch_driver = driver_event_fd() != -1;
    wm_lock();
    wm_queue *q = wm_this_queue();
    for (;;) {
        wm_run_pending_presents(q);
        if (anything_ready(q, filter, first, last) || wm().display_wakes != wakes) break;
        if (watch_driver) {
            poll_driver_and_queue(q);
            break;
        }
        wait_on_condition(q);
    }
    wm_unlock();
}

} // namespace

BOOL WINAPI PostMessageA(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    wm_lock();
    wm_queue *q = nullptr;
    if (hwnd == nullptr) {
        q = wm_this_queue(); // a thread message, as PostThreadMessage to oneself
    } else if (wm_window *window = wm_find(hwnd)) {
        q = window->owner;
    }
    if (q != nullptr) {
        q->posted.push_back(make_msg(hwnd, message, wparam, lparam));
        wm_signal(q);
    }
    wm_unlock();
    if (q == nullptr) wm_set_error(KERNEL_ERROR_INVALID_WINDOW_HANDLE);
    return q != nullptr;
}

void WINAPI PostQuitMessage(int exit_code) {
    wm_lock();
    wm_queue *q = wm_this_queue();
    q->quit = true;
    q->quit_code = exit_code;
    wm_signal(q);
    wm_unlock();
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND hwnd, UINT filter_min, UINT filter_max, UINT remove) {
    return peek(msg, hwnd, filter_min, filter_max, remove);
}

// Messages are queued in the form their window's class reads (UTF-16 characters for a
// Unicode window), so the ANSI and wide calls hand them out alike.
BOOL WINAPI PeekMessageW(LPMSG msg, HWND hwnd, UINT filter_min, UINT filter_max, UINT remove) {
    return peek(msg, hwnd, filter_min, filter_max, remove);
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND hwnd, UINT filter_min, UINT filter_max) {
    MSG found;
    while (!peek(&found, hwnd, filter_min, filter_max, PM_REMOVE)) {
        wait_for_message(hwnd, filter_min, filter_max);
    }
    if (msg != nullptr) *msg = found;
    return found.message != WM_QUIT;
}

BOOL WINAPI WaitMessage(void) {
    wait_for_message(nullptr, 0, 0);
    return TRUE;
}

// Characters come from the display drivers as WM_CHAR already; key messages count as
// translated, as Win32 reports them.
BOOL WINAPI TranslateMessage(const MSG *msg) {
    if (msg == nullptr) return FALSE;
    UINT m = msg->message;
    return m == WM_KEYDOWN || m == WM_KEYUP || m == WM_SYSKEYDOWN || m == WM_SYSKEYUP;
}

LRESULT WINAPI DispatchMessageA(const MSG *msg) {
    if (msg == nullptr) return 0;
    if (msg->message == WM_TIMER && msg->lParam != 0) {
        TIMERPROC proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        proc(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
        return 0;
    }
    if (msg->hwnd == nullptr) return 0;
    wm_lock();
    wm_window *window = wm_find(msg->hwnd);
    bool mine = window != nullptr && window->owner == wm_this_queue_if_any();
    WNDPROC proc = mine ? window->proc : nullptr; // one look-up for the check and the call
    wm_unlock();
    if (!mine) {
        wm_set_error(KERNEL_ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return proc != nullptr ? proc(msg->hwnd, msg->message, msg->wParam, msg->lParam) : 0;
}

LRESULT WINAPI DispatchMessageW(const MSG *msg) {
    return DispatchMessageA(msg);
}
