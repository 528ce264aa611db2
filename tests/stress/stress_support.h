// What the stress program checks and how it gives up: documented result sets, a record of
// results outside them, the process's resident memory, and a watchdog that dumps every
// worker's stack when the run stops making progress.
#ifndef ZELVAN_TESTS_STRESS_SUPPORT_H
#define ZELVAN_TESTS_STRESS_SUPPORT_H

#include "../resident_memory.h"
#include "zelvan.h"

#include <atomic>
#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

// Results outside the documented set of a call, kept for the end-of-run report.
struct violation_log {
    std::mutex lock;
    std::vector<std::string> seen;
    std::atomic<long> count{0};

    void add(const char *call, long long result);
};

extern violation_log g_violations;

// Records `result` as a violation unless it is one of `allowed`.
inline void expect_one_of(const char *call, long long result,
                          std::initializer_list<long long> allowed) {
    for (long long value : allowed)
        if (value == result) return;
    g_violations.add(call, result);
}

// Records `result` as a violation unless it lies in [low, high] or is one of `allowed`.
inline void expect_range_or(const char *call, long long result, long long low, long long high,
                            std::initializer_list<long long> allowed) {
    if (result >= low && result <= high) return;
    expect_one_of(call, result, allowed);
}

// One entry per worker, updated before each call so that a hang names what was running.
struct worker_status {
    std::atomic<const char *> doing{"starting"};
    std::atomic<long> done{0};
    pthread_t thread{};
    std::atomic<bool> running{false};
};

// Starts the watchdog: when `deadline_seconds` pass before watchdog_stop(), it prints each
// running worker's current call and stack, then aborts the process.
void watchdog_start(std::vector<worker_status> *workers, int deadline_seconds);
void watchdog_stop();

#endif
