// SetTimer and KillTimer. A timer is a due time in its owner's queue; WM_TIMER is made from it
// when the queue is read, so a late reader gets one message, never a backlog.
#include "platform/posix/kernel/kernel_objects.h"
#include "platform/posix/user/wm_internal.h"

#include <algorithm>

namespace {

// Win32 raises shorter periods to USER_TIMER_MINIMUM.
const UINT minimum_period = 10;

wm_timer *find_timer(wm_queue *queue, HWND hwnd, UINT_PTR id) {
    for (wm_timer &timer : queue->timers) {
        if (timer.hwnd == hwnd && timer.id == id) return &timer;
    }
    return nullptr;
}

// Lock held. The queue a timer of `hwnd` lives in: the window's owner, or for NULL the caller.
wm_queue *queue_for(HWND hwnd) {
    if (hwnd == nullptr) return wm_this_queue();
    wm_window *window = wm_find(hwnd);
    return window != nullptr ? window->owner : nullptr;
}

} // namespace

wm_timer *wm_due_timer(wm_queue *queue, HWND filter, uint64_t now) {
    wm_timer *earliest = nullptr;
    for (wm_timer &timer : queue->timers) {
        if (timer.due > now) continue;
        if (filter == reinterpret_cast<HWND>(-1) && timer.hwnd != nullptr) continue;
        if (filter != nullptr && filter != reinterpret_cast<HWND>(-1) && timer.hwnd != filter) {
            continue;
        }
        if (earliest == nullptr || timer.due < earliest->due) earliest = &timer;
    }
    return earliest;
}

uint64_t wm_next_timer_due(wm_queue *queue) {
    uint64_t due = UINT64_MAX;
    for (const wm_timer &timer : queue->timers) due = std::min(due, timer.due);
    return due;
}

void wm_kill_window_timers(wm_queue *queue, HWND hwnd) {
    auto &timers = queue->timers;
    timers.erase(std::remove_if(timers.begin(), timers.end(),
                                [&](const wm_timer &t) { return t.hwnd == hwnd; }),
                 timers.end());
}

// Works for another thread's window too: the timer goes to that window's queue.
UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC func) {
    UINT period = std::max(elapse, minimum_period);
    wm_lock();
    wm_queue *queue = queue_for(hwnd);
    if (queue == nullptr) {
        wm_unlock();
        wm_set_error(KERNEL_ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    // A thread timer keeps its id only when it names an existing one; otherwise it gets a new id.
    if (hwnd == nullptr && find_timer(queue, nullptr, id) == nullptr) id = wm().next_thread_timer++;
    uint64_t due = kernel_monotonic_ms() + period;
    if (wm_timer *existing = find_timer(queue, hwnd, id)) {
        existing->period = period;
        existing->due = due;
        existing->proc = func;
    } else {
        queue->timers.push_back(wm_timer{hwnd, id, period, due, func});
    }
    wm_signal(queue); // a waiting owner must take the new deadline into account
    wm_unlock();
    return id != 0 ? id : 1;
}

BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR id) {
    wm_lock();
    wm_queue *queue = queue_for(hwnd);
    bool found = false;
    if (queue != nullptr) {
        auto &timers = queue->timers;
        auto it = std::find_if(timers.begin(), timers.end(),
                               [&](const wm_timer &t) { return t.hwnd == hwnd && t.id == id; });
        found = it != timers.end();
        if (found) timers.erase(it);
    }
    wm_unlock();
    if (!found) wm_set_error(KERNEL_ERROR_INVALID_WINDOW_HANDLE);
    return found;
}
