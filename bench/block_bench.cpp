// Whole blocks of pixels: a 1024 x 768 block written and read against memcpy of the same
// bytes, and a 64 x 64 block against the same pixels set one by one.
#include "bench/bench_support.h"

#include <benchmark/benchmark.h>

#include <string.h>
#include <vector>

namespace {

constexpr int width = 1024, height = 768, small = 64;
const char *const window_title = "bench blocks";

std::vector<ZVCOLOUR> colours(int count) {
    std::vector<ZVCOLOUR> block(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) block[i] = static_cast<ZVCOLOUR>(i * 2654435761u) & 0xFFFFFF;
    return block;
}

void put_whole(benchmark::State &state) {
    int window = bench_window(window_title, width, height);
    std::vector<ZVCOLOUR> block = colours(width * height);
    for (auto _ : state)
        benchmark::DoNotOptimize(ZVPutPixels(window, 0, 0, width, height, block.data(), width));
}
BENCHMARK(put_whole)->Name("block/ZVPutPixels_1024x768");

void get_whole(benchmark::State &state) {
    int window = bench_window(window_title, width, height);
    std::vector<ZVCOLOUR> block(static_cast<size_t>(width) * height);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ZVGetPixels(window, 0, 0, width, height, block.data(), width));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(get_whole)->Name("block/ZVGetPixels_1024x768");

void memcpy_whole(benchmark::State &state) {
    std::vector<ZVCOLOUR> source = colours(width * height), target(source.size());
    for (auto _ : state) {
        memcpy(target.data(), source.data(), source.size() * sizeof(ZVCOLOUR));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(memcpy_whole)->Name("block/memcpy_1024x768");

// 64 x 64 blocks walk the buffer so that each lands on pixels the last did not touch.
void put_small(benchmark::State &state) {
    int window = bench_window(window_title, width, height);
    std::vector<ZVCOLOUR> block = colours(small * small);
    unsigned n = 0;
    for (auto _ : state) {
        int x = static_cast<int>(n % (width / small)) * small;
        int y = static_cast<int>(n / (width / small) % (height / small)) * small;
        benchmark::DoNotOptimize(ZVPutPixels(window, x, y, small, small, block.data(), small));
        n++;
    }
}
BENCHMARK(put_small)->Name("block/ZVPutPixels_64x64");

void get_small(benchmark::State &state) {
    int window = bench_window(window_title, width, height);
    std::vector<ZVCOLOUR> block(static_cast<size_t>(small) * small);
    unsigned n = 0;
    for (auto _ : state) {
        int x = static_cast<int>(n % (width / small)) * small;
        int y = static_cast<int>(n / (width / small) % (height / small)) * small;
        benchmark::DoNotOptimize(ZVGetPixels(window, x, y, small, small, block.data(), small));
        benchmark::ClobberMemory();
        n++;
    }
}
BENCHMARK(get_small)->Name("block/ZVGetPixels_64x64");

void set_fast_small(benchmark::State &state) {
    int window = bench_window(window_title, width, height);
    std::vector<ZVCOLOUR> block = colours(small * small);
    for (auto _ : state)
        for (int y = 0; y < small; ++y)
            for (int x = 0; x < small; ++x)
                benchmark::DoNotOptimize(ZVSetPixelFast(window, x, y, block[y * small + x]));
}
BENCHMARK(set_fast_small)->Name("block/ZVSetPixelFast_64x64");

bench_row_registrar r1(bench_ratio{"ZVPutPixels 1024x768 vs memcpy", "block/ZVPutPixels_1024x768",
                                   "block/memcpy_1024x768", 0.7, ratio_clock::cpu});
bench_row_registrar r2(bench_ratio{"ZVGetPixels 1024x768 vs memcpy", "block/ZVGetPixels_1024x768",
                                   "block/memcpy_1024x768", 0.7, ratio_clock::cpu});
bench_row_registrar r3(bench_ratio{"ZVPutPixels 64x64 vs one ZVSetPixelFast a pixel",
                                   "block/ZVPutPixels_64x64", "block/ZVSetPixelFast_64x64", 10.0,
                                   ratio_clock::cpu});

} // namespace
