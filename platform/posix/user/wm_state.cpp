// The window list and the per-thread queues, and what happens when a thread ends.
#include "platform/posix/kernel/kernel_objects.h"
#include "platform/posix/user/wm_internal.h"

#include <algorithm>

#include <stddef.h>

#include <unistd.h>

namespace {

// Handles carry a slot and a generation, so a stale handle never names a newer window.
const uintptr_t slot_bits = 20;
const uintptr_t slot_mask = (uintptr_t(1) << slot_bits) - 1;

thread_local wm_queue *this_queue = nullptr;

void destroy_thread_windows(wm_queue *queue, std::vector<wm_window *> *gone) {
    std::vector<HWND> owned = queue->windows; // wm_remove edits the list
    for (HWND hwnd : owned) {
        wm_window *window = wm_find(hwnd);
        if (window == nullptr) continue;
        if (wm().foreground == hwnd) wm().foreground = nullptr;
        wm_remove(window);
        gone->push_back(window);
    }
    queue->windows.clear();
}

// A thread that ends takes its windows with it, without messages (nobody is left to run
// them), and every send still waiting for it returns 0.
void thread_ended(void *value) {
    wm_queue *queue = static_cast<wm_queue *>(value);
    std::vector<wm_window *> gone;
    wm_lock();
    wm_abandon_sent(queue);
    destroy_thread_windows(queue, &gone);
    auto &queues = wm().queues;
    queues.erase(std::remove(queues.begin(), queues.end(), queue), queues.end());
    this_queue = nullptr;
    wm_unlock();
    for (wm_window *window : gone) wm_free_window(window);
    pthread_cond_destroy(&queue->wake);
    if (queue->wake_fd >= 0) close(queue->wake_fd);
    delete queue;
}

wm_state *make_state() {
    wm_state *state = new wm_state();
    pthread_mutex_init(&state->lock, nullptr);
    pthread_key_create(&state->thread_key, thread_ended);
    state->next_thread_timer = 0x7000;
    return state;
}

wm_state *&state_pointer() {
    static wm_state *state = make_state();
    return state;
}

void free_queue(wm_queue *queue) {
    // Sends nobody waits for belong to the queue; the others to their waiting senders.
    for (wm_sent *sent : queue->sent)
        if (sent->sender == nullptr) delete sent;
    pthread_cond_destroy(&queue->wake);
    delete queue;
}

} // namespace

// Kept through process exit: the library's own shutdown still sends messages then.
wm_state &wm(void) {
    return *state_pointer();
}

bool wm_release_all(void) {
    wm_state &s = wm();
    pthread_mutex_lock(&s.lock);
    for (wm_window *window : s.slots) {
        if (window != nullptr) {
            // A window still open means its thread may still run: free nothing.
            pthread_mutex_unlock(&s.lock);
            return false;
        }
    }
    // Threads that called in may outlive the unload; when they end, the key's destructor
    // would run code that is no longer mapped.
    pthread_key_delete(s.thread_key);
    for (wm_queue *queue : s.queues) free_queue(queue);
    for (wm_class *window_class : s.classes) delete window_class;
    pthread_mutex_unlock(&s.lock);
    pthread_mutex_destroy(&s.lock);
    delete &s;
    state_pointer() = nullptr;
    return true;
}

void wm_lock(void) {
    pthread_mutex_lock(&wm().lock);
}

void wm_unlock(void) {
    pthread_mutex_unlock(&wm().lock);
}

void wm_set_error(DWORD code) {
    SetLastError(code);
}

wm_window *wm_find(HWND hwnd) {
    uintptr_t value = reinterpret_cast<uintptr_t>(hwnd);
    uintptr_t slot = (value & slot_mask) - 1;
    wm_state &s = wm();
    if ((value & slot_mask) == 0 || slot >= s.slots.size()) return nullptr;
    wm_window *window = s.slots[slot];
    return window != nullptr && window->hwnd == hwnd ? window : nullptr;
}

void wm_prefetch_window(HWND hwnd) {
    uintptr_t slot = (reinterpret_cast<uintptr_t>(hwnd) & slot_mask) - 1;
    wm_state &s = wm();
    if (slot >= s.slots.size() || s.slots[slot] == nullptr) return;
    const char *start = reinterpret_cast<const char *>(s.slots[slot]);
    __builtin_prefetch(start);
    __builtin_prefetch(start + offsetof(wm_window, user_data)); // may lie on the next line
}

HWND wm_insert(wm_window *window) {
    wm_state &s = wm();
    size_t slot = 0;
    while (slot < s.slots.size() && s.slots[slot] != nullptr) ++slot;
    if (slot >= slot_mask - 1) return nullptr;
    if (slot == s.slots.size()) {
        s.slots.push_back(nullptr);
        s.generations.push_back(0);
    }
    uint32_t generation = ++s.generations[slot];
    s.slots[slot] = window;
    window->hwnd = reinterpret_cast<HWND>((uintptr_t(generation) << slot_bits) | (slot + 1));
    return window->hwnd;
}

void wm_remove(wm_window *window) {
    wm_state &s = wm();
    uintptr_t slot = (reinterpret_cast<uintptr_t>(window->hwnd) & slot_mask) - 1;
    if (slot < s.slots.size() && s.slots[slot] == window) s.slots[slot] = nullptr;
    wm_queue *queue = window->owner;
    if (queue != nullptr) {
        auto &list = queue->windows;
        list.erase(std::remove(list.begin(), list.end(), window->hwnd), list.end());
        if (queue->active == window->hwnd) queue->active = nullptr;
        if (queue->focus == window->hwnd) queue->focus = nullptr;
        wm_kill_window_timers(window);
        auto &posted = queue->posted;
        posted.erase(std::remove_if(posted.begin(), posted.end(),
                                    [&](const MSG &m) { return m.hwnd == window->hwnd; }),
                     posted.end());
    }
    if (s.foreground == window->hwnd) s.foreground = nullptr;
    if (s.capture == window->hwnd) s.capture = nullptr;
}

wm_queue *wm_this_queue_if_any(void) {
    return this_queue;
}

wm_queue *wm_this_queue(void) {
    if (this_queue != nullptr) return this_queue;
    wm_queue *queue = new wm_queue();
    queue->thread_id = GetCurrentThreadId();
    queue->wake_fd = -1;
    pthread_condattr_t attr;
    pthread_condattr_init(&attr);
    pthread_condattr_setclock(&attr, CLOCK_MONOTONIC);
    pthread_cond_init(&queue->wake, &attr);
    pthread_condattr_destroy(&attr);
    wm().queues.push_back(queue);
    pthread_setspecific(wm().thread_key, queue);
    this_queue = queue;
    return queue;
}

void wm_signal(wm_queue *queue) {
    pthread_cond_broadcast(&queue->wake);
    if (queue->polling) {
        uint64_t one = 1;
        ssize_t written = write(queue->wake_fd, &one, sizeof one);
        (void)written; // a full counter already wakes the thread
    }
}

void wm_free_window(wm_window *window) {
    if (window->shown != nullptr) window->driver->destroy(window->shown);
    if (window->own_dc != nullptr) DeleteDC(window->own_dc);
    for (HDC dc : window->temporary_dcs) DeleteDC(dc);
    delete[] window->surface.pixels;
    delete window;
}
