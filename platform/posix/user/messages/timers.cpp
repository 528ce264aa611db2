// SetTimer and KillTimer. A timer is a due time in its owner's queue; WM_TIMER is made from it
// when the queue is read, so a late reader gets one message, never a backlog.
//
// Thousands of timers stay cheap. Due times sit on a coarse grid, so timers of one period set
// at different moments fall due together and cost the waiting thread one wake-up; the queue
// files its timers in one bucket per due time, so the next one is at the front of the first
// bucket and taking it and filing it again touches no other timer.
#include "platform/posix/kernel/kernel_objects.h"
#include "platform/posix/user/wm_internal.h"

#include <algorithm>

namespace {

// Win32 raises shorter periods to USER_TIMER_MINIMUM.
const UINT minimum_period = 10;
// The grid never exceeds half the period nor this many ms: a first tick may come that much
// late (or half of it early), a tick after a late read that much early, and the periods still
// average exact. Half a
// period lets the refresh timers of any number of windows share two wake-ups a period.
const UINT maximum_slack = 25;

const HWND thread_timers_only = reinterpret_cast<HWND>(-1);

// The largest step within the limits that divides the period, so that due + period stays on
// the grid: timers of one period then settle on at most period / slack distinct instants.
UINT slack_for(UINT period) {
    for (UINT step = std::min(period / 2, maximum_slack); step > 1; --step) {
        if (period % step == 0) return step;
    }
    return 1;
}

uint64_t round_up(uint64_t ms, UINT step) {
    return (ms + step - 1) / step * step;
}

uint64_t round_down(uint64_t ms, UINT step) {
    return ms / step * step;
}

// The slots of `hwnd`'s timers (null: the thread's own) in `queue`, or null when the window
// is not one of the queue's. Lock held.
std::vector<uint32_t> *slots_of(wm_queue *queue, HWND hwnd) {
    if (hwnd == nullptr) return &queue->thread_timers;
    wm_window *window = wm_find(hwnd);
    return window != nullptr && window->owner == queue ? &window->timers : nullptr;
}

wm_timer *find_timer(wm_queue *queue, HWND hwnd, UINT_PTR id) {
    std::vector<uint32_t> *slots = slots_of(queue, hwnd);
    if (slots == nullptr) return nullptr;
    for (uint32_t slot : *slots) {
        if (queue->timer_slots[slot].id == id) return &queue->timer_slots[slot];
    }
    return nullptr;
}

void file(wm_queue *queue, uint32_t slot) {
    const wm_timer &timer = queue->timer_slots[slot];
    queue->timer_buckets[timer.due].entries.push_back(wm_timer_entry{slot, timer.serial});
    ++queue->timer_entries;
}

// Files every live timer afresh once stale entries outnumber them, so that a timer reset
// over and over does not grow the buckets without end.
void drop_stale_entries(wm_queue *queue) {
    if (queue->timer_entries <= 2 * queue->timer_count + 64) return;
    queue->timer_buckets.clear();
    queue->timer_entries = 0;
    for (uint32_t slot = 0; slot < queue->timer_slots.size(); ++slot) {
        if (queue->timer_slots[slot].serial != 0) file(queue, slot);
    }
}

void schedule(wm_queue *queue, wm_timer *timer, uint64_t due) {
    timer->due = due;
    timer->serial = ++queue->timer_serial;
    file(queue, static_cast<uint32_t>(timer - queue->timer_slots.data()));
    drop_stale_entries(queue);
}

// Drops stale entries from the front; the live timer due first, or null.
wm_timer *earliest(wm_queue *queue) {
    auto &buckets = queue->timer_buckets;
    while (!buckets.empty()) {
        wm_timer_bucket &bucket = buckets.begin()->second;
        while (bucket.taken < bucket.entries.size()) {
            const wm_timer_entry &entry = bucket.entries[bucket.taken];
            wm_timer &timer = queue->timer_slots[entry.slot];
            if (timer.serial == entry.serial) return &timer;
            ++bucket.taken;
            --queue->timer_entries;
        }
        buckets.erase(buckets.begin());
    }
    return nullptr;
}

// While one timer's message is dispatched, the window of the next in its bucket is fetched
// into the cache: a wake-up that serves thousands of windows would otherwise wait on memory
// for each of them.
void prefetch_next(wm_queue *queue) {
    if (queue->timer_buckets.empty()) return;
    const wm_timer_bucket &bucket = queue->timer_buckets.begin()->second;
    // The entry at `taken` is the one just taken (now stale); the next one follows it.
    if (bucket.taken + 1 >= bucket.entries.size()) return;
    const wm_timer_entry &next = bucket.entries[bucket.taken + 1];
    const wm_timer &timer = queue->timer_slots[next.slot];
    if (timer.serial == next.serial && timer.hwnd != nullptr) wm_prefetch_window(timer.hwnd);
}

// The earliest due timer among some slots, for a read filtered to one window or the thread.
wm_timer *earliest_of(wm_queue *queue, const std::vector<uint32_t> *slots, uint64_t now) {
    if (slots == nullptr) return nullptr;
    wm_timer *found = nullptr;
    for (uint32_t slot : *slots) {
        wm_timer &timer = queue->timer_slots[slot];
        if (timer.due <= now && (found == nullptr || timer.due < found->due)) found = &timer;
    }
    return found;
}

// A new timer's first tick: with a wake-up already due on its grid up to half a step before a
// full period (timers set together, as windows opened together), it joins that one;
// otherwise it comes at the grid step at or after the full period.
uint64_t first_due(wm_queue *queue, uint64_t target, UINT slack) {
    uint64_t due = round_up(target, slack);
    auto bucket = queue->timer_buckets.lower_bound(target - std::min<uint64_t>(target, slack / 2));
    for (; bucket != queue->timer_buckets.end() && bucket->first < due; ++bucket) {
        if (bucket->first % slack == 0) return bucket->first;
    }
    return due;
}

void free_slot(wm_queue *queue, uint32_t slot) {
    queue->timer_slots[slot].serial = 0; // its entries are stale from now on
    queue->free_timer_slots.push_back(slot);
    --queue->timer_count;
}

uint32_t new_slot(wm_queue *queue) {
    ++queue->timer_count;
    if (queue->free_timer_slots.empty()) {
        queue->timer_slots.push_back(wm_timer{});
        return static_cast<uint32_t>(queue->timer_slots.size() - 1);
    }
    uint32_t slot = queue->free_timer_slots.back();
    queue->free_timer_slots.pop_back();
    return slot;
}

// Lock held. The queue a timer of `hwnd` lives in: the window's owner, or for NULL the caller.
wm_queue *queue_for(HWND hwnd) {
    if (hwnd == nullptr) return wm_this_queue();
    wm_window *window = wm_find(hwnd);
    return window != nullptr ? window->owner : nullptr;
}

bool remove_timer(wm_queue *queue, HWND hwnd, UINT_PTR id) {
    std::vector<uint32_t> *slots = slots_of(queue, hwnd);
    if (slots == nullptr) return false;
    auto it = std::find_if(slots->begin(), slots->end(),
                           [&](uint32_t slot) { return queue->timer_slots[slot].id == id; });
    if (it == slots->end()) return false;
    free_slot(queue, *it);
    slots->erase(it);
    return true;
}

} // namespace

bool wm_due_timer(wm_queue *queue, HWND filter, uint64_t now, bool take, wm_timer *out) {
    wm_timer *timer = nullptr;
    if (filter == nullptr) {
        timer = earliest(queue);
        if (timer != nullptr && timer->due > now) timer = nullptr;
    } else {
        timer = earliest_of(queue, slots_of(queue, filter == thread_timers_only ? nullptr : filter),
                            now);
    }
    if (timer == nullptr) return false;
    *out = *timer;
    // The next period starts now, at the grid step at or before a period from now: never a
    // backlog, and timers taken in one wake-up keep falling due together.
    if (take) schedule(queue, timer, round_down(now + timer->period, timer->slack));
    if (take && filter == nullptr) prefetch_next(queue);
    return true;
}

uint64_t wm_next_timer_due(wm_queue *queue) {
    wm_timer *timer = earliest(queue);
    return timer != nullptr ? timer->due : UINT64_MAX;
}

void wm_kill_window_timers(wm_window *window) {
    for (uint32_t slot : window->timers) free_slot(window->owner, slot);
    window->timers.clear();
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
    wm_timer *timer = find_timer(queue, hwnd, id);
    if (timer == nullptr) {
        uint32_t slot = new_slot(queue);
        slots_of(queue, hwnd)->push_back(slot);
        timer = &queue->timer_slots[slot];
        timer->hwnd = hwnd;
        timer->id = id;
    }
    timer->period = period;
    timer->slack = slack_for(period);
    timer->proc = func;
    schedule(queue, timer, first_due(queue, kernel_monotonic_ms() + period, timer->slack));
    wm_signal(queue); // a waiting owner must take the new deadline into account
    wm_unlock();
    return id != 0 ? id : 1;
}

BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR id) {
    wm_lock();
    wm_queue *queue = queue_for(hwnd);
    // Immediate: the entry left in its bucket is stale and never becomes a message.
    bool found = queue != nullptr && remove_timer(queue, hwnd, id);
    wm_unlock();
    if (!found) wm_set_error(KERNEL_ERROR_INVALID_WINDOW_HANDLE);
    return found;
}
