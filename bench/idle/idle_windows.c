/* What open windows cost while nobody draws: opens COUNT small windows, waits until their first
 * paints are over (and, given its process id, until the window manager has stopped working on
 * them: its CPU time still for 2 s), then reports the process's CPU time, every thread
 * counted, over SECONDS of sleep as a share of one core.
 *   idle_windows [COUNT (2048)] [SECONDS (10)] [WINDOW_MANAGER_PID] */
#include "zelvan.h"

#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

static double cpu_seconds(void) {
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec * 1e-6 + usage.ru_stime.tv_sec +
           usage.ru_stime.tv_usec * 1e-6;
}

static double wall_seconds(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec + now.tv_nsec * 1e-9;
}

/* User plus system clock ticks of another process, or -1 once it is gone. */
static long ticks_of(long pid) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%ld/stat", pid);
    FILE *stat = fopen(path, "r");
    if (!stat) return -1;
    long user = -1, system = -1;
    /* Fields 14 and 15; the name in field 2 holds no space for the programs used here. */
    int read =
        fscanf(stat, "%*d %*s %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %ld %ld", &user, &system);
    fclose(stat);
    return read == 2 ? user + system : -1;
}

int main(int argc, char **argv) {
    int count = argc > 1 ? atoi(argv[1]) : 2048, seconds = argc > 2 ? atoi(argv[2]) : 10;
    long window_manager = argc > 3 ? atol(argv[3]) : 0;
    int *windows = calloc((size_t)count, sizeof *windows);
    char title[32];
    double started = wall_seconds();
    for (int i = 0; i < count; ++i) {
        snprintf(title, sizeof title, "idle %d", i);
        /* Small and staggered: the cost measured is the windows', not their pixels'. */
        windows[i] = ZVCreateWindow(i % 64 * 8, i / 64 % 64 * 8, 32, 24, title);
        if (windows[i] == 0) {
            fprintf(stderr, "window %d could not be made: %d\n", i, ZVGetLastError());
            return 1;
        }
    }
    double opened = wall_seconds() - started;
    sleep(3);
    for (long before = -2, now; window_manager && (now = ticks_of(window_manager)) != before;) {
        before = now;
        sleep(2);
    }
    double settled = wall_seconds() - started;
    double cpu = cpu_seconds(), wall = wall_seconds();
    sleep((unsigned)seconds);
    cpu = cpu_seconds() - cpu;
    wall = wall_seconds() - wall;
    printf("%d idle windows (opened in %.0f s, settled at %.0f s): %.3f %% of one core over "
           "%.1f s\n",
           count, opened, settled, 100 * cpu / wall, wall);
    for (int i = 0; i < count; ++i) ZVDestroyWindow(windows[i]);
    free(windows);
    return 0;
}
