// Pixel calls against the floor of their own protocol (one uncontended lock and one store)
// and against SDL2_gfx pixelColor. Pixels walk the whole 1024 x 768 buffer row by row.
#include "bench/bench_support.h"

#include <SDL2_gfxPrimitives.h>
#include <benchmark/benchmark.h>

#include <atomic>
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

// What the pixel calls' own protocol costs in atomics alone: the table lock (one
// compare-and-swap in, one exchange out), the in-use count up and down, the window lock in
// and out, the buffer's selection count up and down, and the store. Each word sits on its
// own cache line, as in the library. The calls cannot go below this without another protocol.
void pixel_protocol_atomics(benchmark::State &state) {
    struct alignas(64) word {
        std::atomic<int> value{0};
    };
    static word table_lock, in_use, window_lock, selection;
    std::vector<uint32_t> pixels((size_t)width * height);
    unsigned n = 0;
    for (auto _ : state) {
        int expected = 0;
        table_lock.value.compare_exchange_strong(expected, 1, std::memory_order_acquire);
        in_use.value.fetch_add(1);
        table_lock.value.exchange(0, std::memory_order_release);
        expected = 0;
        window_lock.value.compare_exchange_strong(expected, 1, std::memory_order_acquire);
        expected = 0;
        selection.value.compare_exchange_strong(expected, 1, std::memory_order_acquire);
        pixels[(n >> 10) % height * width + n % width] = 0xFF0000;
        selection.value.fetch_sub(1, std::memory_order_acq_rel);
        window_lock.value.exchange(0, std::memory_order_release);
        in_use.value.fetch_sub(1);
        n++;
    }
    benchmark::DoNotOptimize(pixels.data());
}
BENCHMARK(pixel_protocol_atomics)->Name("pixel/protocol_atomics_floor");

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
