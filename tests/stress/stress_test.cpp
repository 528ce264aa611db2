// Eight host threads call everything at once for a fixed number of operations each (or until
// the time budget runs out): windows come and go, one thread destroys windows the others are
// drawing into, bitmaps are loaded, copied, pasted and discarded, files are written and read,
// the clipboard is filled and input is fed. Afterwards every result must have been one the
// call documents, no window or bitmap may be left, memory must be back near where it
// started, and the run's second half may not keep growing it the way the first did. A
// watchdog dumps every worker's stack and aborts if the run hangs.
#include "../api/headless_helpers.h"
#include "../api/image_files.h"
#include "stress_operations.h"
#include "stress_support.h"

#include <stdio.h>
#include <stdlib.h>

#include <chrono>
#include <thread>

namespace {

const int k_workers = 8;
// Memory may sit above its post-warm-up level by this much (allocator caches, font caches,
// sanitizer bookkeeping) and still count as "back where it started";
// ZELVAN_STRESS_RSS_TOLERANCE_MIB overrides it.
const long k_default_rss_tolerance_mib = 48;
// The second half of the run may grow memory by this much whatever the first half did (the
// allocator's noise); beyond it, by no more than half of what the first half grew. Caches
// fill once and level off, while a leak grows at the same pace in both halves.
// ZELVAN_STRESS_HALF_TOLERANCE_MIB overrides it.
const long k_default_half_tolerance_mib = 8;

long env_number(const char *name, long fallback) {
    const char *text = getenv(name);
    return text && *text ? strtol(text, nullptr, 10) : fallback;
}

// Runs all workers for `operations` each or until `seconds` pass, whichever comes first.
void run_round(stress_shared *shared, std::vector<worker_status> *workers, long operations,
               double seconds) {
    auto stop_at = std::chrono::steady_clock::now() +
                   std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                       std::chrono::duration<double>(seconds));
    std::vector<std::thread> threads;
    for (int i = 0; i < k_workers; ++i) {
        threads.emplace_back([=] {
            worker_status &me = (*workers)[i];
            me.thread = pthread_self();
            me.running.store(true);
            stress_worker(shared, i, i == k_workers - 1, operations, stop_at, &me);
            me.doing.store("finished");
            me.running.store(false);
        });
    }
    for (std::thread &thread : threads) thread.join();
}

// Destroys every window and discards every bitmap the run still holds, then checks that the
// library agrees nothing is left. Returns the number of leftovers found.
int close_everything(stress_shared *shared) {
    for (int handle : shared->windows.take_all()) ZVDestroyWindow(handle);
    for (int id : shared->bitmaps.take_all())
        expect_one_of("ZVDiscardBitmap", ZVDiscardBitmap(id), {ZV_OK});
    int leftovers = 0;
    for (int handle = 1; handle <= 8192; ++handle) {
        if (ZVIsWindow(handle) != ZV_ERR_BAD_WINDOW) {
            fprintf(stderr, "window %d is still open\n", handle);
            ++leftovers;
        }
    }
    for (int id : shared->bitmaps.every_id_made()) {
        if (ZVGetBitmapWidth(id) != ZV_ERR_BAD_BITMAP) {
            fprintf(stderr, "bitmap %d is still alive\n", id);
            ++leftovers;
        }
    }
    return leftovers;
}

} // namespace

int main() {
    headless_test_activate();
    long operations = env_number("ZELVAN_STRESS_OPERATIONS", 200000);
    double seconds = (double)env_number("ZELVAN_STRESS_SECONDS", 60);
    scratch_folder folder;
    stress_shared shared(folder);
    std::vector<worker_status> workers(k_workers);
    // The watchdog covers the warm-up, the run and the clean-up with room to spare.
    long tolerance_bytes =
        env_number("ZELVAN_STRESS_RSS_TOLERANCE_MIB", k_default_rss_tolerance_mib) << 20;
    long deadline = env_number("ZELVAN_STRESS_WATCHDOG_SECONDS", (long)(seconds * 1.3) + 120);
    watchdog_start(&workers, (int)deadline);

    // A warm-up round fills the allocator's and the font engine's caches before the baseline.
    run_round(&shared, &workers, operations / 10, seconds / 10);
    int leftovers = close_everything(&shared);
    long baseline = resident_bytes();
    run_round(&shared, &workers, operations / 2, seconds / 2);
    leftovers += close_everything(&shared);
    long halfway = resident_bytes();
    run_round(&shared, &workers, operations - operations / 2, seconds / 2);
    leftovers += close_everything(&shared);
    long after = resident_bytes();
    watchdog_stop();

    long total = 0;
    for (const worker_status &worker : workers) total += worker.done.load();
    printf("stress: %ld calls, %ld windows and %ld bitmaps made; resident memory %ld MiB after "
           "warm-up, %ld MiB halfway, %ld MiB at the end\n",
           total, shared.windows.added, shared.bitmaps.added, baseline >> 20, halfway >> 20,
           after >> 20);
    bool failed = false;
    if (g_violations.count.load() != 0) {
        fprintf(stderr, "%ld results outside the documented sets, first ones:\n",
                g_violations.count.load());
        for (const std::string &line : g_violations.seen) fprintf(stderr, "  %s\n", line.c_str());
        failed = true;
    }
    if (leftovers != 0) failed = true;
    if (after > baseline + tolerance_bytes) {
        fprintf(stderr, "memory grew by %ld MiB, more than the %ld MiB allowed\n",
                (after - baseline) >> 20, tolerance_bytes >> 20);
        failed = true;
    }
    long first_half = halfway - baseline, second_half = after - halfway;
    long half_tolerance =
        env_number("ZELVAN_STRESS_HALF_TOLERANCE_MIB", k_default_half_tolerance_mib) << 20;
    if (second_half > half_tolerance && second_half > first_half / 2) {
        fprintf(stderr, "memory keeps growing: %ld MiB in the first half, %ld MiB in the second\n",
                first_half >> 20, second_half >> 20);
        failed = true;
    }
    if (total < k_workers * 10) {
        fprintf(stderr, "only %ld calls were made\n", total);
        failed = true;
    }
    printf("stress: %s\n", failed ? "FAILED" : "passed");
    return failed ? 1 : 0;
}
