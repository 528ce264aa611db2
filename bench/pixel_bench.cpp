// Pixel calls against the floor of their own protocol (one uncontended lock and one store)
// and against SDL2_gfx pixelColor. Pixels walk the whole 1024 x 768 buffer row by row.
#include "bench/bench_support.h"

#include <SDL2_gfxPrimitives.h>
#include <benchmark/benchmark.h>

#include <mutex>
#include <vector>

namespace {

constexpr int width = 1024, height = 768;
const char *const window_title = "bench pixels";

void pixel_set_fast(benchmark::State &state) {
    int window = bench_window(window_title, width, height);
    unsigned n = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ZVSetPixelFast(window, n % width, (n >> 10) % height, 0xFF0000));
        n++;
    }
}
BENCHMARK(pixel_set_fast)->Name("pixel/ZVSetPixelFast");

void pixel_set(benchmark::State &state) {
    int window = bench_window(window_title, width, height);
    unsigned n = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ZVSetPixel(window, n % width, (n >> 10) % height, 0x00FF00));
        n++;
    }
}
BENCHMARK(pixel_set)->Name("pixel/ZVSetPixel");

void pixel_get(benchmark::State &state) {
    int window = bench_window(window_title, width, height);
    unsigned n = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ZVGetPixel(window, n % width, (n >> 10) % height));
        n++;
    }
}
BENCHMARK(pixel_get)->Name("pixel/ZVGetPixel");

// The least any locked pixel call can cost: take an uncontended lock, store, release.
void pixel_floor(benchmark::State &state) {
    std::vector<uint32_t> pixels((size_t)width * height);
    std::mutex lock;
    unsigned n = 0;
    for (auto _ : state) {
        lock.lock();
        pixels[(n >> 10) % height * width + n % width] = 0xFF0000;
        lock.unlock();
        n++;
    }
    benchmark::DoNotOptimize(pixels.data());
}
BENCHMARK(pixel_floor)->Name("pixel/mutex_and_store_floor");

void pixel_sdl(benchmark::State &state) {
    sdl_canvas canvas = bench_sdl_canvas(width, height);
    unsigned n = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            pixelColor(canvas.renderer, n % width, (n >> 10) % height, 0xFF0000FFu));
        n++;
    }
    bench_sdl_release(canvas);
}
BENCHMARK(pixel_sdl)->Name("pixel/sdl2_gfx_pixelColor");

// At most twice the floor, and faster than SDL2_gfx.
bench_row_registrar r1(bench_ratio{"ZVSetPixelFast vs lock+store floor", "pixel/ZVSetPixelFast",
                                   "pixel/mutex_and_store_floor", 0.5, ratio_clock::cpu});
bench_row_registrar r2(bench_ratio{"ZVSetPixel vs lock+store floor", "pixel/ZVSetPixel",
                                   "pixel/mutex_and_store_floor", 0.5, ratio_clock::cpu});
bench_row_registrar r3(bench_ratio{"ZVGetPixel vs lock+store floor", "pixel/ZVGetPixel",
                                   "pixel/mutex_and_store_floor", 0.5, ratio_clock::cpu});
bench_row_registrar r4(bench_ratio{"ZVSetPixelFast vs pixelColor", "pixel/ZVSetPixelFast",
                                   "pixel/sdl2_gfx_pixelColor", 1.0, ratio_clock::cpu});
bench_row_registrar r5(bench_ratio{"ZVSetPixel vs pixelColor", "pixel/ZVSetPixel",
                                   "pixel/sdl2_gfx_pixelColor", 1.0, ratio_clock::cpu});

} // namespace
