// How much the library's threads work while its host does nothing, over refresh ticks that
// are seen to happen rather than over a stretch of sleep. Every thread but the calling one
// counts as the library's. Linux: reads /proc/self/task.
#ifndef ZELVAN_TESTS_CORE_IDLE_THREADS_H
#define ZELVAN_TESTS_CORE_IDLE_THREADS_H

#include "../api/poll.h"
#include "zelvan.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <stdlib.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>

struct idle_usage {
    double cpu_seconds; // CPU time of the other threads
    long wakeups;       // times they slept and were woken (voluntary context switches)
};

inline idle_usage other_threads_usage() {
    auto seconds = [](clockid_t clock) {
        timespec t{};
        clock_gettime(clock, &t);
        return t.tv_sec + t.tv_nsec / 1e9;
    };
    idle_usage usage{seconds(CLOCK_PROCESS_CPUTIME_ID) - seconds(CLOCK_THREAD_CPUTIME_ID), 0};
    long self = syscall(SYS_gettid);
    DIR *tasks = opendir("/proc/self/task");
    while (dirent *task = tasks ? readdir(tasks) : nullptr) {
        if (task->d_name[0] == '.' || atol(task->d_name) == self) continue;
        std::ifstream status(std::string("/proc/self/task/") + task->d_name + "/status");
        const std::string key = "voluntary_ctxt_switches:";
        for (std::string line; std::getline(status, line);)
            if (line.compare(0, key.size(), key) == 0)
                usage.wakeups += atol(line.c_str() + key.size());
    }
    if (tasks) closedir(tasks);
    return usage;
}

// Follows `ticks` refresh ticks of `window`: each time a pixel of a new colour is drawn and
// `shown(colour)` polled until the refresh has put it on the screen. Then checks that the
// other threads slept between ticks, waking about once per refresh timer (`timers` of them)
// a tick, and used little CPU. A thread that polls wakes far more often; one that spins burns
// the core.
template <typename Shown> void expect_idle_over_ticks(int window, int timers, Shown shown) {
    const int ticks = 10;
    idle_usage before = other_threads_usage();
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < ticks; ++i) {
        ZVCOLOUR colour = i % 2 ? 0x0000FF : 0x00FF00;
        ZVSetPixel(window, 0, 0, colour);
        ASSERT_TRUE(poll_until([&] { return shown(colour); })) << "no refresh seen, tick " << i;
    }
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    idle_usage after = other_threads_usage();
    // Ticks that passed: ten were seen, more may have passed on a slow machine.
    double passed = std::max(double(ticks), wall / 0.050);
    long wakeups = after.wakeups - before.wakeups;
    double cpu = after.cpu_seconds - before.cpu_seconds;
    EXPECT_LE(wakeups, 3 * (timers + 1) * passed)
        << wakeups << " wake-ups in " << passed << " ticks of " << timers << " timers";
#if defined(__SANITIZE_THREAD__)
    // ThreadSanitizer makes each repaint of the ticks many times dearer (a fifth of a core on a
    // quiet machine); a spinning thread, a whole core, still shows, and a polling one in the
    // wake-ups above.
    const double share = 0.5;
#elif defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer roughly doubles a repaint's cost: a scaled Wayland window measured 6 %.
    const double share = 0.2;
#else
    const double share = 0.05;
#endif
    EXPECT_LT(cpu, share * wall) << "the library used " << cpu / wall * 100
                                 << "% of a core while idle";
}

#endif
