// How often a driver's GUI thread looks at its display connection. The window manager pumps
// before every message it hands out; events already read cost nothing to check, but a look at
// the socket is a system call. A busy GUI thread looks at most once a millisecond; an idle one
// sleeps in poll() on the driver's event descriptor and pumps as soon as it wakes.
#ifndef ZELVAN_DISPLAY_SOCKET_PACING_H
#define ZELVAN_DISPLAY_SOCKET_PACING_H

#include <stdint.h>
#include <time.h>

// True when a millisecond has passed since the last look; `last_look_us` is the driver's own
// (GUI thread only), starting at INT64_MIN / 2.
inline bool display_socket_look_due(int64_t *last_look_us) {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    int64_t now_us = int64_t(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
    if (now_us - *last_look_us < 1000) return false;
    *last_look_us = now_us;
    return true;
}

#endif
