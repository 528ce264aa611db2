// Whole-library figures with no baseline: the double-buffered frame loop, the CPU an idle
// process with open windows burns, and how long a drawing call takes to reach the screen.
#include "bench/bench_support.h"

#include "platform/posix/display/headless/headless_test.h"

#include <benchmark/benchmark.h>

#include <math.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

using clock_type = std::chrono::steady_clock;

double seconds_since(clock_type::time_point start) {
    return std::chrono::duration<double>(clock_type::now() - start).count();
}

// One frame: clear, 200 lines of about 100 pixels in turning directions, show, flip.
void draw_frame(int window, unsigned frame) {
    ZVClearDrawBuffer(window);
    for (unsigned i = 0; i < 200; ++i) {
        unsigned k = frame * 200 + i;
        int cx = 120 + (int)(k * 37 % 400), cy = 120 + (int)(k * 53 % 240);
        double angle = (k % 16) * M_PI / 8;
        ZVMoveTo(window, cx, cy);
        ZVLine(window, cx + (int)lround(100 * cos(angle)), cy + (int)lround(100 * sin(angle)));
    }
    ZVSwitchViewBuffer(window);
    ZVSwitchDrawBuffer(window);
}

void frame_loop(benchmark::State &state) {
    int window = bench_window("bench frames", 640, 480);
    if (ZVGetDrawBuffer(window) == ZVGetViewBuffer(window)) {
        ZVSetDoubleBuffer(window, 1);
        ZVSwitchDrawBuffer(window);
    }
    unsigned frame = 0;
    auto start = clock_type::now();
    for (auto _ : state) draw_frame(window, frame++);
    state.counters["frames_per_second"] = frame / seconds_since(start);
}
BENCHMARK(frame_loop)->Name("frame/double_buffered_640x480_200_lines")->UseRealTime();

double process_cpu_seconds() {
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec * 1e-9;
}

// 16 open windows with their refresh timers running and nothing to draw, for 10 seconds.
void idle_windows(benchmark::State &state) {
    for (int i = 0; i < 16; ++i)
        bench_window(("bench idle " + std::to_string(i)).c_str(), 200, 150);
    // Let the first paints of the new windows pass before measuring.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    for (auto _ : state) {
        double cpu_before = process_cpu_seconds();
        auto start = clock_type::now();
        std::this_thread::sleep_for(std::chrono::seconds(10));
        double wall = seconds_since(start);
        state.SetIterationTime(wall);
        state.counters["cpu_percent_of_one_core"] =
            100 * (process_cpu_seconds() - cpu_before) / wall;
    }
}
BENCHMARK(idle_windows)
    ->Name("idle/16_windows_10s")
    ->Iterations(1)
    ->Repetitions(1)
    ->UseManualTime();

// True once the window shows `expected` (0x00RRGGBB) at (8, 8).
bool screen_shows(HWND hwnd, uint32_t expected) {
    std::vector<uint32_t> pixels;
    int w = 0, h = 0;
    if (!headless_test_read_client(hwnd, &pixels, &w, &h) || w < 9 || h < 9) return false;
    return (pixels[8 * w + 8] & 0xFFFFFF) == expected;
}

// Seconds from one drawing call until the headless screen shows it, or a negative value
// when it never did within two seconds.
double one_latency(int window, HWND hwnd, bool red) {
    ZVSetPixelFast(window, 8, 8, red ? 0x0000FF : 0xFF0000);
    auto start = clock_type::now();
    uint32_t expected = red ? 0xFF0000 : 0x0000FF;
    while (!screen_shows(hwnd, expected)) {
        if (seconds_since(start) > 2) return -1;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return seconds_since(start);
}

// 200 tries, each after a random pause so the call lands at any phase of the refresh timer.
void latency_to_screen(benchmark::State &state) {
    const char *title = "bench latency";
    int window = bench_window(title, 64, 64);
    HWND hwnd = static_cast<HWND>(bench_platform_window(title));
    uint32_t seed = 12345;
    for (auto _ : state) {
        std::vector<double> seen;
        for (int i = 0; i < 200; ++i) {
            std::this_thread::sleep_for(
                std::chrono::microseconds(bench_next_random(&seed) % 50000));
            double latency = one_latency(window, hwnd, i % 2 == 0);
            if (latency < 0) {
                state.SkipWithError("a drawing call never reached the screen");
                return;
            }
            seen.push_back(latency);
        }
        std::sort(seen.begin(), seen.end());
        state.counters["p50_ms"] = seen[99] * 1e3;
        state.counters["p99_ms"] = seen[197] * 1e3;
        state.counters["max_ms"] = seen.back() * 1e3;
    }
}
BENCHMARK(latency_to_screen)
    ->Name("latency/draw_to_headless_screen")
    ->Iterations(1)
    ->Repetitions(1);

bench_row_registrar r1(bench_bound{"frames a second, 640x480",
                                   "frame/double_buffered_640x480_200_lines", "frames_per_second",
                                   1000, true});
bench_row_registrar r2(bench_bound{"idle CPU, % of one core", "idle/16_windows_10s",
                                   "cpu_percent_of_one_core", 1.0, false});
bench_row_registrar r3(bench_bound{"draw-to-screen p50, ms", "latency/draw_to_headless_screen",
                                   "p50_ms", 0, false});
bench_row_registrar r4(bench_bound{"draw-to-screen p99, ms", "latency/draw_to_headless_screen",
                                   "p99_ms", 60, false});

} // namespace
