// SendMessageA and the internal cross-thread calls built on the same mechanism.
#include "platform/posix/kernel/kernel_objects.h"
#include "platform/posix/user/wm_internal.h"

namespace {

// A record about to be sent: not yet answered, and no sender waiting on it yet.
wm_sent sent_record(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                    LRESULT (*work)(HWND, void *) = nullptr, void *context = nullptr) {
    return wm_sent{hwnd, message, wparam, lparam, work, context, 0, false, nullptr};
}

// Does what the record asks on the calling thread: its work, or else its message.
LRESULT run_sent(const wm_sent &record) {
    if (record.work != nullptr) return record.work(record.hwnd, record.context);
    return wm_call_proc(record.hwnd, record.message, record.wparam, record.lparam);
}

// The sent record goes to the owner's queue, and the sender runs messages sent to itself
// while it waits, so two threads sending to each other never deadlock.
LRESULT send_and_wait(wm_sent *record) {
    wm_lock();
    wm_window *window = wm_find(record->hwnd);
    if (window == nullptr) {
        wm_unlock();
        wm_set_error(KERNEL_ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    wm_queue *me = wm_this_queue();
    wm_queue *owner = window->owner;
    if (owner == me) {
        wm_unlock();
        return run_sent(*record);
    }
    record->sender = me;
    owner->sent.push_back(record);
    wm_signal(owner);
    while (!record->done) {
        if (!wm_run_one_sent(me)) pthread_cond_wait(&me->wake, &wm().lock);
    }
    wm_unlock();
    return record->result;
}

// Lock held. A waiting sender is woken; a notification nobody waits for is freed.
void complete(wm_sent *record, LRESULT result) {
    record->result = result;
    record->done = true;
    if (record->sender != nullptr) {
        wm_signal(record->sender);
    } else {
        delete record;
    }
}

} // namespace

LRESULT wm_call_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    wm_lock();
    wm_window *window = wm_find(hwnd);
    WNDPROC proc = window != nullptr ? window->proc : nullptr;
    wm_unlock();
    return proc != nullptr ? proc(hwnd, message, wparam, lparam) : 0;
}

bool wm_run_one_sent(wm_queue *queue) {
    if (queue->sent.empty()) return false;
    wm_sent *record = queue->sent.front();
    queue->sent.pop_front();
    // The window may have gone while the message waited: then it is answered with 0 unrun.
    wm_window *window = wm_find(record->hwnd);
    if (window == nullptr || window->owner != queue) {
        complete(record, 0);
        return true;
    }
    wm_unlock();
    LRESULT result = run_sent(*record);
    wm_lock();
    complete(record, result);
    return true;
}

void wm_abandon_sent(wm_queue *queue) {
    while (!queue->sent.empty()) {
        wm_sent *record = queue->sent.front();
        queue->sent.pop_front();
        complete(record, 0);
    }
}

LRESULT wm_run_on_owner(HWND hwnd, LRESULT (*work)(HWND, void *), void *context) {
    wm_sent record = sent_record(hwnd, WM_NULL, 0, 0, work, context);
    return send_and_wait(&record);
}

void wm_notify_owner(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                     LRESULT (*work)(HWND, void *), void *context) {
    wm_sent record = sent_record(hwnd, message, wparam, lparam, work, context);
    wm_lock();
    wm_window *window = wm_find(hwnd);
    if (window == nullptr) {
        wm_unlock();
        return;
    }
    if (window->owner == wm_this_queue_if_any()) {
        wm_unlock();
        run_sent(record);
        return;
    }
    window->owner->sent.push_back(new wm_sent(record));
    wm_signal(window->owner);
    wm_unlock();
}

LRESULT WINAPI SendMessageA(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    wm_sent record = sent_record(hwnd, message, wparam, lparam);
    return send_and_wait(&record);
}
