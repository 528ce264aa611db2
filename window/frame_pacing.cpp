// The program's clock and the pacing of its frames.
#include "core/window_table.h"
#include "window/frame_schedule.h"

#include "zelvan.h"

#include <limits.h>

namespace {

int64_t counter_now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

int64_t counter_frequency() {
    static const int64_t frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart > 0 ? f.QuadPart : 1;
    }();
    return frequency;
}

// Taken when the library is loaded: the clock counts from there.
const int64_t g_clock_start = counter_now();

// Whole milliseconds asleep, the last fraction of one given up in time slices: the way to
// meet a tick where no high-resolution timer exists (Windows before 10 1803).
void sleep_in_slices_until(int64_t due) {
    const int64_t per_ms = counter_frequency() / 1000 > 0 ? counter_frequency() / 1000 : 1;
    for (int64_t now = counter_now(); now < due; now = counter_now()) {
        int64_t whole_ms = (due - now) / per_ms;
        Sleep(static_cast<DWORD>(whole_ms > 0 ? whole_ms : 0));
    }
}

// Sleeps until the counter reaches `due` on a high-resolution waitable timer, which wakes
// within a fraction of a millisecond without the CPU spinning meanwhile. One timer a call:
// several threads may wait on one window's frames at once.
void sleep_until(int64_t due) {
    int64_t now = counter_now();
    if (now >= due) return;
    HANDLE timer = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                          TIMER_ALL_ACCESS);
    if (timer == nullptr) {
        sleep_in_slices_until(due);
        return;
    }
    // Relative due times are negative, in 100 ns units, rounded up so as not to wake early.
    int64_t hundred_ns = ((due - now) * 10000000 + counter_frequency() - 1) / counter_frequency();
    LARGE_INTEGER relative;
    relative.QuadPart = -hundred_ns;
    if (SetWaitableTimer(timer, &relative, 0, nullptr, nullptr, FALSE))
        WaitForSingleObject(timer, INFINITE);
    CloseHandle(timer);
    // Only a timer that could not be set leaves anything to wait for here.
    sleep_in_slices_until(due);
}

// Moves the schedule on by one call; returns the tick to wait for and the ticks missed. Late
// by less than a period keeps the beat; later than that starts the beat again from `now`,
// so a stall is never followed by a burst of catch-up frames.
int64_t next_tick(frame_schedule *s, int64_t period, int64_t now, int *missed) {
    *missed = 0;
    if (s->period != period) {
        // The first call, or a new rate: the schedule starts here.
        s->period = period;
        s->last_tick = now;
    }
    int64_t due = s->last_tick + period;
    if (now >= due + period) {
        *missed = static_cast<int>((now - due) / period < INT_MAX ? (now - due) / period : INT_MAX);
        due = now;
    }
    s->last_tick = due;
    return due;
}

} // namespace

extern "C" {

// Wraps after 2^31 ms (about 24.8 days), as the int it returns must.
ZVEXPORT int ZVAPI ZVGetTicks(void) {
    int64_t elapsed = counter_now() - g_clock_start;
    int64_t ms = elapsed / counter_frequency() * 1000 +
                 elapsed % counter_frequency() * 1000 / counter_frequency();
    return static_cast<int>(ms & 0x7FFFFFFF);
}

// Counted in double: a double holds every microsecond of 285 years exactly.
ZVEXPORT double ZVAPI ZVGetTime(void) {
    int64_t elapsed = counter_now() - g_clock_start;
    int64_t frequency = counter_frequency();
    return static_cast<double>(elapsed / frequency) +
           static_cast<double>(elapsed % frequency) / static_cast<double>(frequency);
}

ZVEXPORT int ZVAPI ZVWaitFrame(int handle, int fps) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    if (fps < 1 || fps > 1000) return ZV_ERROR;
    int64_t period = counter_frequency() / fps;
    int missed = 0;
    EnterCriticalSection(&window->state_lock);
    int64_t due = next_tick(window->pacing, period, counter_now(), &missed);
    LeaveCriticalSection(&window->state_lock);
    sleep_until(due);
    return missed;
}

} // extern "C"
