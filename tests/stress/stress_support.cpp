// The stress program's bookkeeping: violations, memory readings and the watchdog.
#include "stress_support.h"

#include <execinfo.h>
#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <thread>

violation_log g_violations;

void violation_log::add(const char *call, long long result) {
    count.fetch_add(1);
    std::lock_guard<std::mutex> hold(lock);
    if (seen.size() < 20) seen.push_back(std::string(call) + " returned " + std::to_string(result));
}

namespace {

std::mutex g_watch_lock;
std::condition_variable g_watch_wake;
bool g_watch_stopped;
std::thread g_watchdog;
std::atomic<int> g_stacks_dumped{0};

// Runs on the stuck thread itself: backtrace_symbols_fd writes straight to stderr.
void dump_own_stack(int) {
    void *frames[64];
    int depth = backtrace(frames, 64);
    backtrace_symbols_fd(frames, depth, STDERR_FILENO);
    g_stacks_dumped.fetch_add(1);
}

void report_and_abort(std::vector<worker_status> *workers) {
    fprintf(stderr, "stress: watchdog fired, the run is stuck. Worker states:\n");
    signal(SIGUSR2, dump_own_stack);
    int asked = 0;
    for (size_t i = 0; i < workers->size(); ++i) {
        worker_status &worker = (*workers)[i];
        if (!worker.running.load()) continue;
        fprintf(stderr, "-- worker %zu, %ld calls done, inside %s:\n", i, worker.done.load(),
                worker.doing.load());
        fflush(stderr);
        int before = g_stacks_dumped.load();
        if (pthread_kill(worker.thread, SIGUSR2) != 0) continue;
        ++asked;
        // Wait for this stack before the next, so that the dumps do not interleave.
        for (int tries = 0; tries < 200 && g_stacks_dumped.load() == before; ++tries)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    fprintf(stderr, "stress: %d stacks requested; aborting\n", asked);
    abort();
}

} // namespace

void watchdog_start(std::vector<worker_status> *workers, int deadline_seconds) {
    void *warm[1];
    backtrace(warm, 1); // loads libgcc now rather than inside the signal handler
    g_watch_stopped = false;
    g_watchdog = std::thread([workers, deadline_seconds] {
        std::unique_lock<std::mutex> hold(g_watch_lock);
        if (!g_watch_wake.wait_for(hold, std::chrono::seconds(deadline_seconds),
                                   [] { return g_watch_stopped; }))
            report_and_abort(workers);
    });
}

void watchdog_stop() {
    {
        std::lock_guard<std::mutex> hold(g_watch_lock);
        g_watch_stopped = true;
    }
    g_watch_wake.notify_all();
    g_watchdog.join();
}
