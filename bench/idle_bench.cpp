// What open windows cost while nobody draws: the process's CPU over 5 s with 16, 256, 2,048
// and 8,000 idle windows on the headless screen (8,000: the table's 8,192 less room for the
// windows other benchmarks keep open). bench/idle.sh measures 8,192 alone, and X11 under a
// window manager.
#include "bench/bench_support.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

using clock_type = std::chrono::steady_clock;

// User plus system time of the whole process, every thread counted.
double process_cpu_seconds() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval &t) { return t.tv_sec + t.tv_usec * 1e-6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void idle_many_windows(benchmark::State &state, int count) {
    std::vector<int> windows;
    for (int i = 0; i < count; ++i) {
        // Small and staggered: the cost measured is the windows', not their pixels'.
        int window = ZVCreateWindow(i % 64 * 8, i / 64 * 8, 32, 24,
                                    ("bench idle many " + std::to_string(i)).c_str());
        if (window <= 0) {
            state.SkipWithError("cannot create the windows");
            break;
        }
        windows.push_back(window);
    }
    // The first paints of the new windows pass before measuring.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    for (auto _ : state) {
        double cpu_before = process_cpu_seconds();
        auto start = clock_type::now();
        std::this_thread::sleep_for(std::chrono::seconds(5));
        double wall = std::chrono::duration<double>(clock_type::now() - start).count();
        state.SetIterationTime(wall);
        state.counters["cpu_percent_of_one_core"] =
            100 * (process_cpu_seconds() - cpu_before) / wall;
    }
    for (int window : windows) ZVDestroyWindow(window);
}
// One benchmark name per count, as the summary finds its rows by name.
const int registered = [] {
    for (int count : {16, 256, 2048, 8000}) {
        std::string name = "idle/" + std::to_string(count) + "_windows_5s";
        benchmark::RegisterBenchmark(name.c_str(), idle_many_windows, count)
            ->Iterations(1)
            ->Repetitions(1)
            ->UseManualTime();
    }
    return 0;
}();

bench_row_registrar r1(bench_bound{"idle CPU, 16 windows, % of one core", "idle/16_windows_5s",
                                   "cpu_percent_of_one_core", 0.3, false});
bench_row_registrar r2(bench_bound{"idle CPU, 256 windows, % of one core", "idle/256_windows_5s",
                                   "cpu_percent_of_one_core", 0, false});
bench_row_registrar r3(bench_bound{"idle CPU, 2,048 windows, % of one core", "idle/2048_windows_5s",
                                   "cpu_percent_of_one_core", 0.5, false});
bench_row_registrar r4(bench_bound{"idle CPU, 8,000 windows, % of one core", "idle/8000_windows_5s",
                                   "cpu_percent_of_one_core", 0.5, false});

} // namespace
