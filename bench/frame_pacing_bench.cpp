// ZVWaitFrame in an idle 60 fps loop: the CPU the process burns while the loop only waits,
// and how far from its schedule each frame returns.
#include "bench/bench_support.h"

#include <benchmark/benchmark.h>

#include <math.h>
#include <time.h>

#include <algorithm>
#include <vector>

namespace {

double process_cpu_seconds() {
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec * 1e-9;
}

// 600 frames (10 s) of a loop that draws nothing: every call's return is compared with the
// tick the schedule promised, counted from the first return.
void idle_frame_loop(benchmark::State &state) {
    const int fps = 60, frames = 600;
    int window = bench_window("bench pacing", 64, 48);
    for (auto _ : state) {
        std::vector<double> returns;
        returns.reserve(frames);
        ZVWaitFrame(window, fps); // the schedule starts here
        double cpu_before = process_cpu_seconds(), start = ZVGetTime();
        for (int i = 0; i < frames; ++i) {
            ZVWaitFrame(window, fps);
            returns.push_back(ZVGetTime());
        }
        double wall = ZVGetTime() - start;
        double cpu = process_cpu_seconds() - cpu_before;
        std::vector<double> errors;
        for (int i = 0; i < frames; ++i)
            errors.push_back(fabs(returns[i] - (start + (i + 1) / double(fps))) * 1e6);
        std::sort(errors.begin(), errors.end());
        state.SetIterationTime(wall);
        state.counters["cpu_percent_of_one_core"] = 100 * cpu / wall;
        state.counters["median_error_us"] = errors[frames / 2];
        state.counters["p99_error_us"] = errors[frames * 99 / 100];
        state.counters["max_error_us"] = errors.back();
    }
}
BENCHMARK(idle_frame_loop)
    ->Name("pacing/idle_60fps_loop_10s")
    ->Iterations(1)
    ->Repetitions(1)
    ->UseManualTime();

bench_row_registrar r1(bench_bound{"idle 60 fps loop, % of one core", "pacing/idle_60fps_loop_10s",
                                   "cpu_percent_of_one_core", 1.0, false});
bench_row_registrar r2(bench_bound{"idle 60 fps loop, median schedule error, us",
                                   "pacing/idle_60fps_loop_10s", "median_error_us", 1000, false});

} // namespace
