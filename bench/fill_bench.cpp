// Whole-buffer fills, clears and copies of 1024 x 768 against memset, memcpy and SDL2_gfx
// boxColor. Each reports the bytes it writes per second.
#include "bench/bench_support.h"

#include <SDL2_gfxPrimitives.h>
#include <benchmark/benchmark.h>

#include <string.h>

#include <vector>

namespace {

constexpr int width = 1024, height = 768;
constexpr int64_t surface_bytes = int64_t{width} * height * 4;

void count_bytes(benchmark::State &state, int64_t bytes) {
    state.SetBytesProcessed(state.iterations() * bytes);
}

void fill_rectangle(benchmark::State &state) {
    int window = bench_window("bench fills", width, height);
    ZVSetFillColour(window, 0x00A0FF);
    // The box's right and bottom edges are left out, so one more covers every pixel.
    for (auto _ : state) benchmark::DoNotOptimize(ZVFillRectangle(window, 0, 0, width, height));
    count_bytes(state, surface_bytes);
}
BENCHMARK(fill_rectangle)->Name("fill/ZVFillRectangle_1024x768");

void fill_clear(benchmark::State &state) {
    int window = bench_window("bench fills", width, height);
    for (auto _ : state) benchmark::DoNotOptimize(ZVClearDrawBuffer(window));
    count_bytes(state, surface_bytes);
}
BENCHMARK(fill_clear)->Name("fill/ZVClearDrawBuffer_1024x768");

void fill_memset(benchmark::State &state) {
    std::vector<uint32_t> pixels((size_t)width * height);
    for (auto _ : state) {
        memset(pixels.data(), 0x40, surface_bytes);
        benchmark::ClobberMemory();
    }
    count_bytes(state, surface_bytes);
}
BENCHMARK(fill_memset)->Name("fill/memset_1024x768");

void fill_sdl_box(benchmark::State &state) {
    sdl_canvas canvas = bench_sdl_canvas(width, height);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            boxColor(canvas.renderer, 0, 0, width - 1, height - 1, 0xFF40A0FFu));
    count_bytes(state, surface_bytes);
    bench_sdl_release(canvas);
}
BENCHMARK(fill_sdl_box)->Name("fill/sdl2_gfx_boxColor_1024x768");

// A double-buffered window drawing into buffer 1 while buffer 0 is on view.
int blit_window() {
    int window = bench_window("bench blits", width, height);
    if (ZVGetDrawBuffer(window) == ZVGetViewBuffer(window)) {
        ZVSetDoubleBuffer(window, 1);
        ZVSwitchDrawBuffer(window);
    }
    return window;
}

void blit_copy_to_view(benchmark::State &state) {
    int window = blit_window();
    for (auto _ : state) benchmark::DoNotOptimize(ZVCopyDrawBufferToView(window));
    count_bytes(state, surface_bytes);
}
BENCHMARK(blit_copy_to_view)->Name("blit/ZVCopyDrawBufferToView_1024x768");

void blit_memcpy(benchmark::State &state) {
    std::vector<uint32_t> source((size_t)width * height, 0x123456), target(source.size());
    for (auto _ : state) {
        memcpy(target.data(), source.data(), surface_bytes);
        benchmark::ClobberMemory();
    }
    count_bytes(state, surface_bytes);
}
BENCHMARK(blit_memcpy)->Name("blit/memcpy_1024x768");

bench_row_registrar r1(bench_ratio{"ZVFillRectangle vs memset", "fill/ZVFillRectangle_1024x768",
                                   "fill/memset_1024x768", 0.8, ratio_clock::cpu});
bench_row_registrar r2(bench_ratio{"ZVClearDrawBuffer vs memset", "fill/ZVClearDrawBuffer_1024x768",
                                   "fill/memset_1024x768", 0.8, ratio_clock::cpu});
bench_row_registrar r3(bench_ratio{"ZVFillRectangle vs boxColor", "fill/ZVFillRectangle_1024x768",
                                   "fill/sdl2_gfx_boxColor_1024x768", 0, ratio_clock::cpu});
bench_row_registrar r4(bench_ratio{"ZVCopyDrawBufferToView vs memcpy",
                                   "blit/ZVCopyDrawBufferToView_1024x768", "blit/memcpy_1024x768",
                                   0.7, ratio_clock::cpu});
// Slot for the bitmap calls: a 256 x 256 ZVPasteBitmap against memcpy of its bytes.
bench_row_registrar r5(bench_ratio{"ZVPasteBitmap vs memcpy", "blit/ZVPasteBitmap_256x256",
                                   "blit/memcpy_256x256", 0.7, ratio_clock::cpu});

} // namespace
