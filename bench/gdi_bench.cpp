// The rasterizer alone, on a 1024 x 768 memory DC, with the reference GDI tool's own loops:
// what the library calls cost without their lookup, lock and selections.
#include "platform/win32.h"

#include <benchmark/benchmark.h>

#include <string.h>
#include <vector>

namespace {

constexpr int width = 1024, height = 768;

// A memory DC with a 1024 x 768 bitmap, a red 1-pixel pen and a green brush.
struct bench_canvas {
    HDC dc;
    HBITMAP bitmap;
    HPEN pen;
    HBRUSH brush;
    bench_canvas() {
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateCompatibleBitmap(dc, width, height);
        pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
        brush = CreateSolidBrush(RGB(0, 255, 0));
        SelectObject(dc, bitmap);
        SelectObject(dc, pen);
        SelectObject(dc, brush);
    }
    ~bench_canvas() {
        DeleteDC(dc);
        DeleteObject(bitmap);
        DeleteObject(pen);
        DeleteObject(brush);
    }
};

void fill_rect_full_surface(benchmark::State &state) {
    bench_canvas c;
    RECT all = {0, 0, width + 1, height + 1};
    for (auto _ : state) FillRect(c.dc, &all, c.brush);
    state.SetBytesProcessed(state.iterations() * width * height * 4);
}
BENCHMARK(fill_rect_full_surface)->Name("gdi/FillRect_1024x768");

void line_100_pixels(benchmark::State &state) {
    bench_canvas c;
    int n = 0;
    for (auto _ : state) {
        MoveToEx(c.dc, 100 + n % 400, 100 + n % 300, nullptr);
        LineTo(c.dc, 200 + n % 400, 100 + (n * 7) % 300);
        n++;
    }
}
BENCHMARK(line_100_pixels)->Name("gdi/LineTo_100px_w1");

void line_100_pixels_width_5(benchmark::State &state) {
    bench_canvas c;
    HPEN wide = CreatePen(PS_SOLID, 5, RGB(0, 0, 255));
    SelectObject(c.dc, wide);
    int n = 0;
    for (auto _ : state) {
        MoveToEx(c.dc, 100 + n % 400, 100 + n % 300, nullptr);
        LineTo(c.dc, 200 + n % 400, 100 + (n * 7) % 300);
        n++;
    }
    SelectObject(c.dc, c.pen);
    DeleteObject(wide);
}
BENCHMARK(line_100_pixels_width_5)->Name("gdi/LineTo_100px_w5");

void filled_circle_radius_50(benchmark::State &state) {
    bench_canvas c;
    int n = 0;
    for (auto _ : state) {
        Ellipse(c.dc, 150 + n % 500, 150 + n % 300, 250 + n % 500, 250 + n % 300);
        n++;
    }
}
BENCHMARK(filled_circle_radius_50)->Name("gdi/Ellipse_filled_r50");

void circle_outline_radius_50(benchmark::State &state) {
    bench_canvas c;
    SelectObject(c.dc, GetStockObject(NULL_BRUSH));
    int n = 0;
    for (auto _ : state) {
        Ellipse(c.dc, 150 + n % 500, 150 + n % 300, 250 + n % 500, 250 + n % 300);
        n++;
    }
}
BENCHMARK(circle_outline_radius_50)->Name("gdi/Ellipse_outline_r50");

void set_pixel(benchmark::State &state) {
    bench_canvas c;
    int n = 0;
    for (auto _ : state) {
        SetPixelV(c.dc, n % width, (n >> 10) % height, RGB(0, 0, 255));
        n++;
    }
}
BENCHMARK(set_pixel)->Name("gdi/SetPixelV");

void bit_blt_full_surface(benchmark::State &state) {
    bench_canvas source, target;
    for (auto _ : state) BitBlt(target.dc, 0, 0, width, height, source.dc, 0, 0, SRCCOPY);
    state.SetBytesProcessed(state.iterations() * width * height * 4);
}
BENCHMARK(bit_blt_full_surface)->Name("gdi/BitBlt_1024x768");

} // namespace
