// Sleep, SleepEx, GetTickCount and the performance counter.
#include "platform/posix/kernel/kernel_objects.h"

#include <errno.h>
#include <sched.h>
#include <time.h>

uint64_t kernel_monotonic_ms(void) {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000u +
           static_cast<uint64_t>(now.tv_nsec) / 1000000u;
}

// Sleep(0) gives up the rest of the time slice, as on Windows; INFINITE never returns.
void WINAPI Sleep(DWORD milliseconds) {
    if (milliseconds == 0) {
        sched_yield();
        return;
    }
    if (milliseconds == INFINITE) {
        timespec hour{3600, 0};
        for (;;) nanosleep(&hour, nullptr);
    }
    timespec rest{static_cast<time_t>(milliseconds / 1000),
                  static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&rest, &rest) == -1 && errno == EINTR) {
    }
}

// There are no asynchronous procedure calls here, so an alertable sleep is an ordinary one.
DWORD WINAPI SleepEx(DWORD milliseconds, BOOL) {
    Sleep(milliseconds);
    return 0;
}

DWORD WINAPI GetTickCount(void) {
    return static_cast<DWORD>(kernel_monotonic_ms());
}

// The counter runs in nanoseconds of the monotonic clock.
BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER *count) {
    if (count == nullptr) return FALSE;
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    count->QuadPart = int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
    return TRUE;
}

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER *frequency) {
    if (frequency == nullptr) return FALSE;
    frequency->QuadPart = 1000000000;
    return TRUE;
}
