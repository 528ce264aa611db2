// Waitable timers (CreateWaitableTimerExW, SetWaitableTimer) on the monotonic clock to the
// nanosecond, which is what a high-resolution timer promises on Windows, and WaitForSingleObject.
#include "platform/posix/kernel/kernel_objects.h"

#include <errno.h>
#include <pthread.h>
#include <time.h>

#include <new>

namespace {

struct kernel_timer {
    kernel_object head;
    pthread_mutex_t lock;
    pthread_cond_t changed; // a new due time: waiters look again
    bool manual_reset;      // a notification timer stays signalled for every waiter
    bool set;               // a due time was given and has not been consumed
    bool signalled;
    int64_t due_ns; // on the monotonic clock
};

int64_t clock_ns(clockid_t clock) {
    timespec now;
    clock_gettime(clock, &now);
    return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

timespec timespec_of(int64_t ns) {
    return timespec{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
}

void destroy_timer(kernel_object *object) {
    kernel_timer *t = reinterpret_cast<kernel_timer *>(object);
    pthread_cond_destroy(&t->changed);
    pthread_mutex_destroy(&t->lock);
    delete t;
}

// Due times as Win32 gives them: negative is relative, in 100 ns; positive is an absolute
// time in 100 ns since 1601 (UTC), carried over to the monotonic clock as it stands now.
int64_t monotonic_due(int64_t due) {
    int64_t now = clock_ns(CLOCK_MONOTONIC);
    if (due < 0) return due < -(INT64_MAX - now) / 100 ? INT64_MAX : now - due * 100;
    const int64_t unix_epoch_in_1601 = 116444736000000000;
    int64_t from_now = (due - unix_epoch_in_1601) - clock_ns(CLOCK_REALTIME) / 100;
    if (from_now <= 0) return now; // already past
    return from_now > (INT64_MAX - now) / 100 ? INT64_MAX : now + from_now * 100;
}

} // namespace

// Named timers, security and access rights have no meaning here; the flags are Win32's.
HANDLE WINAPI CreateWaitableTimerExW(LPSECURITY_ATTRIBUTES, LPCWSTR name, DWORD flags, DWORD) {
    const DWORD known = CREATE_WAITABLE_TIMER_MANUAL_RESET | CREATE_WAITABLE_TIMER_HIGH_RESOLUTION;
    if (name != nullptr || (flags & ~known) != 0) {
        SetLastError(KERNEL_ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    kernel_timer *t = new (std::nothrow) kernel_timer{};
    if (t == nullptr) {
        SetLastError(KERNEL_ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    t->head.kind = KERNEL_OBJECT_TIMER;
    t->head.refs = 1;
    t->head.destroy = destroy_timer;
    t->manual_reset = (flags & CREATE_WAITABLE_TIMER_MANUAL_RESET) != 0;
    pthread_mutex_init(&t->lock, nullptr);
    pthread_condattr_t attr;
    pthread_condattr_init(&attr);
    pthread_condattr_setclock(&attr, CLOCK_MONOTONIC);
    pthread_cond_init(&t->changed, &attr);
    pthread_condattr_destroy(&attr);
    HANDLE handle = kernel_handle_insert(&t->head);
    if (handle == nullptr) destroy_timer(&t->head);
    return handle;
}

// One-shot timers only: a period or a completion routine (an APC, which this kernel has
// none of) is refused rather than ignored.
BOOL WINAPI SetWaitableTimer(HANDLE handle, const LARGE_INTEGER *due, LONG period,
                             PTIMERAPCROUTINE routine, LPVOID, BOOL) {
    if (due == nullptr || period != 0 || routine != nullptr) {
        SetLastError(KERNEL_ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    kernel_object *object = kernel_handle_lookup(handle, KERNEL_OBJECT_TIMER);
    if (object == nullptr) return FALSE;
    kernel_timer *t = reinterpret_cast<kernel_timer *>(object);
    pthread_mutex_lock(&t->lock);
    t->due_ns = monotonic_due(due->QuadPart);
    t->set = true;
    t->signalled = false;
    pthread_cond_broadcast(&t->changed);
    pthread_mutex_unlock(&t->lock);
    kernel_object_release(object);
    return TRUE;
}

DWORD kernel_timer_wait(kernel_object *object, DWORD milliseconds) {
    kernel_timer *t = reinterpret_cast<kernel_timer *>(object);
    int64_t start = clock_ns(CLOCK_MONOTONIC);
    int64_t deadline =
        milliseconds == INFINITE ? INT64_MAX : start + int64_t{milliseconds} * 1000000;
    DWORD result = KERNEL_WAIT_TIMEOUT;
    pthread_mutex_lock(&t->lock);
    for (;;) {
        int64_t now = clock_ns(CLOCK_MONOTONIC);
        if (t->set && now >= t->due_ns) {
            t->signalled = true;
            t->set = false;
        }
        if (t->signalled) {
            if (!t->manual_reset) t->signalled = false; // a synchronization timer wakes one
            result = KERNEL_WAIT_OBJECT_0;
            break;
        }
        int64_t until = t->set && t->due_ns < deadline ? t->due_ns : deadline;
        if (now >= deadline) break;
        if (until == INT64_MAX) {
            pthread_cond_wait(&t->changed, &t->lock);
        } else {
            timespec when = timespec_of(until);
            pthread_cond_timedwait(&t->changed, &t->lock, &when);
        }
    }
    pthread_mutex_unlock(&t->lock);
    kernel_object_release(object);
    return result;
}

DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    if (kernel_object *thread = kernel_handle_lookup(handle, KERNEL_OBJECT_THREAD))
        return kernel_thread_wait(thread, milliseconds);
    if (kernel_object *timer = kernel_handle_lookup(handle, KERNEL_OBJECT_TIMER))
        return kernel_timer_wait(timer, milliseconds);
    return KERNEL_WAIT_FAILED;
}
