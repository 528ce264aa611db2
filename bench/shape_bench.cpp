// Lines of about 100 pixels in all directions and radius-50 circles and pies, against
// SDL2_gfx drawing the same shapes into a 32-bit software surface; arcs and rectangle
// outlines on their own.
#include "bench/bench_support.h"

#include <SDL2_gfxPrimitives.h>
#include <benchmark/benchmark.h>

#include <math.h>
#include <string.h>

#include <vector>

namespace {

constexpr int width = 1024, height = 768;
constexpr int star_rays = 16;
const char *const line_window = "bench lines";
const char *const circle_window = "bench circles";

// The line segments of a run of stars: each star sends a 100-pixel ray out from its centre
// in each of 16 directions and comes back along it, so every segment continues from the end
// of the one before. Successive stars sit at different places of the surface.
struct segment {
    int x1, y1, x2, y2;
    bool starts_star;
};

segment star_segment(unsigned k) {
    static int ray_x[star_rays], ray_y[star_rays];
    static bool made = false;
    if (!made) {
        for (int i = 0; i < star_rays; ++i) {
            ray_x[i] = (int)lround(100 * cos(i * 2 * M_PI / star_rays));
            ray_y[i] = (int)lround(100 * sin(i * 2 * M_PI / star_rays));
        }
        made = true;
    }
    unsigned star = k / (2 * star_rays), step = k % (2 * star_rays);
    int cx = 120 + (int)(star * 37 % 780), cy = 120 + (int)(star * 53 % 520);
    int tip_x = cx + ray_x[step / 2], tip_y = cy + ray_y[step / 2];
    if (step % 2 == 0) return segment{cx, cy, tip_x, tip_y, step == 0};
    return segment{tip_x, tip_y, cx, cy, false};
}

// Our window with a pen of the given width and library line style (0 solid, 1 dashed).
int line_window_with_pen(int pen_width, int style) {
    int window = bench_window(line_window, width, height);
    ZVSetLineStyle(window, style);
    ZVSetLineWidth(window, pen_width);
    ZVSetForeground(window, 0x0000FF);
    return window;
}

void line_star(benchmark::State &state, int pen_width, int style) {
    int window = line_window_with_pen(pen_width, style);
    unsigned k = 0;
    for (auto _ : state) {
        segment s = star_segment(k++);
        if (s.starts_star) ZVMoveTo(window, s.x1, s.y1);
        benchmark::DoNotOptimize(ZVLine(window, s.x2, s.y2));
    }
    ZVSetLineStyle(window, 0);
    ZVSetLineWidth(window, 1);
}
BENCHMARK_CAPTURE(line_star, w1, 1, 0)->Name("line/ZVLine_all_directions_w1");
BENCHMARK_CAPTURE(line_star, w5, 5, 0)->Name("line/ZVLine_all_directions_w5");
BENCHMARK_CAPTURE(line_star, dashed, 1, 1)->Name("line/ZVLine_all_directions_dashed");

void line_star_sdl(benchmark::State &state, int pen_width) {
    sdl_canvas canvas = bench_sdl_canvas(width, height);
    unsigned k = 0;
    for (auto _ : state) {
        segment s = star_segment(k++);
        if (pen_width == 1)
            benchmark::DoNotOptimize(
                lineColor(canvas.renderer, s.x1, s.y1, s.x2, s.y2, 0xFFFF0000u));
        else
            benchmark::DoNotOptimize(
                thickLineColor(canvas.renderer, s.x1, s.y1, s.x2, s.y2, pen_width, 0xFFFF0000u));
    }
    bench_sdl_release(canvas);
}
BENCHMARK_CAPTURE(line_star_sdl, w1, 1)->Name("line/sdl2_gfx_lineColor_all_directions");
BENCHMARK_CAPTURE(line_star_sdl, w5, 5)->Name("line/sdl2_gfx_thickLineColor_all_directions_w5");

// The reference GDI tool's own line loop, call for call, so its figures compare directly.
void line_gdi_pattern(benchmark::State &state, int pen_width) {
    int window = line_window_with_pen(pen_width, 0);
    unsigned n = 0;
    for (auto _ : state) {
        ZVMoveTo(window, 100 + n % 400, 100 + n % 300);
        benchmark::DoNotOptimize(ZVLine(window, 200 + n % 400, 100 + (n * 7) % 300));
        n++;
    }
    ZVSetLineWidth(window, 1);
}
BENCHMARK_CAPTURE(line_gdi_pattern, w1, 1)->Name("line/ZVLine_gdi_pattern_w1");
BENCHMARK_CAPTURE(line_gdi_pattern, w5, 5)->Name("line/ZVLine_gdi_pattern_w5");

enum class circle_kind { filled, outline, pie, arc };

// Centres move over the surface the way the reference GDI tool moves its ellipses.
void circle_ours(benchmark::State &state, circle_kind kind) {
    int window = bench_window(circle_window, width, height);
    ZVSetFillColour(window, 0x00C000);
    unsigned n = 0;
    for (auto _ : state) {
        int x = 200 + n % 500, y = 200 + n % 300;
        if (kind == circle_kind::filled) benchmark::DoNotOptimize(ZVFillCircle(window, x, y, 50));
        if (kind == circle_kind::outline) benchmark::DoNotOptimize(ZVCircle(window, x, y, 50));
        if (kind == circle_kind::pie)
            benchmark::DoNotOptimize(ZVPie(window, x, y, 50, 30.0f, 240.0f));
        if (kind == circle_kind::arc)
            benchmark::DoNotOptimize(ZVArc(window, x, y, 50, 30.0f, 240.0f));
        n++;
    }
}
BENCHMARK_CAPTURE(circle_ours, filled, circle_kind::filled)->Name("circle/ZVFillCircle_r50");
BENCHMARK_CAPTURE(circle_ours, outline, circle_kind::outline)->Name("circle/ZVCircle_r50");
BENCHMARK_CAPTURE(circle_ours, pie, circle_kind::pie)->Name("circle/ZVPie_r50_240deg");
BENCHMARK_CAPTURE(circle_ours, arc, circle_kind::arc)->Name("circle/ZVArc_r50_240deg");

// Rectangle outlines of 100 x 80 moving over the surface, with a one-pixel and a 5-pixel pen.
void rectangle_outline(benchmark::State &state, int pen_width) {
    int window = line_window_with_pen(pen_width, 0);
    unsigned n = 0;
    for (auto _ : state) {
        int x = 100 + n % 600, y = 100 + (n * 7) % 400;
        benchmark::DoNotOptimize(ZVRectangle(window, x, y, x + 99, y + 79));
        n++;
    }
    ZVSetLineWidth(window, 1);
}
BENCHMARK_CAPTURE(rectangle_outline, w1, 1)->Name("rect/ZVRectangle_100x80_w1");
BENCHMARK_CAPTURE(rectangle_outline, w5, 5)->Name("rect/ZVRectangle_100x80_w5");

void circle_sdl(benchmark::State &state, circle_kind kind) {
    sdl_canvas canvas = bench_sdl_canvas(width, height);
    SDL_Renderer *r = canvas.renderer;
    unsigned n = 0;
    for (auto _ : state) {
        Sint16 x = 200 + n % 500, y = 200 + n % 300;
        if (kind == circle_kind::filled)
            benchmark::DoNotOptimize(filledCircleColor(r, x, y, 50, 0xFF00C000u));
        if (kind == circle_kind::outline)
            benchmark::DoNotOptimize(circleColor(r, x, y, 50, 0xFF000000u));
        // SDL2_gfx angles run clockwise on the screen: 90 to 330 is a 240-degree slice.
        if (kind == circle_kind::pie)
            benchmark::DoNotOptimize(filledPieColor(r, x, y, 50, 90, 330, 0xFF00C000u));
        n++;
    }
    bench_sdl_release(canvas);
}
BENCHMARK_CAPTURE(circle_sdl, filled, circle_kind::filled)
    ->Name("circle/sdl2_gfx_filledCircleColor_r50");
BENCHMARK_CAPTURE(circle_sdl, outline, circle_kind::outline)
    ->Name("circle/sdl2_gfx_circleColor_r50");
BENCHMARK_CAPTURE(circle_sdl, pie, circle_kind::pie)
    ->Name("circle/sdl2_gfx_filledPieColor_r50_240deg");

// The memory limit for a filled circle: one memset of its pi * 50^2 pixels.
void circle_memset(benchmark::State &state) {
    const size_t bytes = (size_t)(M_PI * 50 * 50) * 4;
    std::vector<unsigned char> pixels(bytes);
    for (auto _ : state) {
        memset(pixels.data(), 0x40, bytes);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(circle_memset)->Name("circle/memset_of_r50_pixels");

bench_row_registrar r1(bench_ratio{"1-px line vs lineColor", "line/ZVLine_all_directions_w1",
                                   "line/sdl2_gfx_lineColor_all_directions", 1.5,
                                   ratio_clock::cpu});
bench_row_registrar r2(bench_ratio{"5-px line vs thickLineColor", "line/ZVLine_all_directions_w5",
                                   "line/sdl2_gfx_thickLineColor_all_directions_w5", 0,
                                   ratio_clock::cpu});
bench_row_registrar r3(bench_ratio{"dashed line vs lineColor", "line/ZVLine_all_directions_dashed",
                                   "line/sdl2_gfx_lineColor_all_directions", 0, ratio_clock::cpu});
bench_row_registrar r4(bench_ratio{"ZVFillCircle vs filledCircleColor", "circle/ZVFillCircle_r50",
                                   "circle/sdl2_gfx_filledCircleColor_r50", 1.0, ratio_clock::cpu});
bench_row_registrar r5(bench_ratio{"ZVCircle vs circleColor", "circle/ZVCircle_r50",
                                   "circle/sdl2_gfx_circleColor_r50", 0, ratio_clock::cpu});
bench_row_registrar r6(bench_ratio{"ZVPie vs filledPieColor", "circle/ZVPie_r50_240deg",
                                   "circle/sdl2_gfx_filledPieColor_r50_240deg", 0,
                                   ratio_clock::cpu});
bench_row_registrar r7(bench_ratio{"ZVFillCircle vs memset of pixels", "circle/ZVFillCircle_r50",
                                   "circle/memset_of_r50_pixels", 0.25, ratio_clock::cpu});

} // namespace
