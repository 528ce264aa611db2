// Smooth shapes: the quality test's scene (filled circles, circle outlines of widths 1 to 7,
// lines of widths 1 to 9, pies and a star) drawn by Zelvan and by cairo's image surface at
// the same geometry, and one-pixel anti-aliased lines and circles against SDL2_gfx's
// aalineRGBA and aacircleRGBA.
#include "bench/bench_support.h"
#include "tests/api/smooth_scene.h"
#include "tests/quality/cairo_scene.h"

#include <SDL2_gfxPrimitives.h>
#include <benchmark/benchmark.h>

#include <math.h>
#include <vector>

namespace {

const char *const scene_window = "bench smooth scene";
const char *const shape_window = "bench smooth shapes";
constexpr int width = 1024, height = 768;

// A cairo image surface and its drawing context, freed together.
struct cairo_target {
    cairo_surface_t *surface;
    cairo_t *cr;
    cairo_target(int w, int h)
        : surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h)), cr(cairo_create(surface)) {
    }
    ~cairo_target() {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
};

void scene_zelvan(benchmark::State &state) {
    int window = bench_window(scene_window, smooth_scene::k_width, smooth_scene::k_height);
    for (auto _ : state) smooth_scene::draw_zelvan(window);
    ZVSetSmooth(window, 0);
}
BENCHMARK(scene_zelvan)->Name("smooth/scene_zelvan");

void scene_cairo(benchmark::State &state) {
    cairo_target target(smooth_scene::k_width, smooth_scene::k_height);
    cairo_t *cr = target.cr;
    for (auto _ : state) {
        smooth_scene::draw_cairo(cr);
        cairo_surface_flush(target.surface);
    }
}
BENCHMARK(scene_cairo)->Name("smooth/scene_cairo_image_surface");

// A ray of about 100 pixels from a centre that wanders over the surface, in one of 16
// directions, the next each call.
struct ray {
    int x1, y1, x2, y2;
};
ray next_ray(unsigned k) {
    int cx = 120 + static_cast<int>(k / 16 * 37 % 780),
        cy = 120 + static_cast<int>(k / 16 * 53 % 520);
    double a = (k % 16) * 2 * M_PI / 16;
    return ray{cx, cy, cx + static_cast<int>(lround(100 * cos(a))),
               cy + static_cast<int>(lround(100 * sin(a)))};
}

int smooth_shape_window() {
    int window = bench_window(shape_window, width, height);
    ZVSetSmooth(window, 1);
    ZVSetLineWidth(window, 1);
    ZVSetForeground(window, 0x0000FF);
    return window;
}

void aa_line_zelvan(benchmark::State &state) {
    int window = smooth_shape_window();
    unsigned k = 0;
    for (auto _ : state) {
        ray r = next_ray(k++);
        ZVMoveTo(window, r.x1, r.y1);
        benchmark::DoNotOptimize(ZVLine(window, r.x2, r.y2));
    }
    ZVSetSmooth(window, 0);
}
BENCHMARK(aa_line_zelvan)->Name("smooth/ZVLine_smooth_w1_all_directions");

void aa_line_sdl(benchmark::State &state) {
    sdl_canvas canvas = bench_sdl_canvas(width, height);
    unsigned k = 0;
    for (auto _ : state) {
        ray r = next_ray(k++);
        benchmark::DoNotOptimize(aalineRGBA(canvas.renderer, static_cast<Sint16>(r.x1),
                                            static_cast<Sint16>(r.y1), static_cast<Sint16>(r.x2),
                                            static_cast<Sint16>(r.y2), 255, 0, 0, 255));
    }
    bench_sdl_release(canvas);
}
BENCHMARK(aa_line_sdl)->Name("smooth/sdl2_gfx_aalineRGBA_all_directions");

void aa_line_cairo(benchmark::State &state) {
    cairo_target target(width, height);
    cairo_t *cr = target.cr;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_set_line_width(cr, 1);
    unsigned k = 0;
    for (auto _ : state) {
        ray r = next_ray(k++);
        cairo_move_to(cr, r.x1 + 0.5, r.y1 + 0.5);
        cairo_line_to(cr, r.x2 + 0.5, r.y2 + 0.5);
        cairo_stroke(cr);
    }
}
BENCHMARK(aa_line_cairo)->Name("smooth/cairo_line_w1_all_directions");

// Circles whose centres wander over the surface, outlined or filled (with their outline).
void aa_circle_zelvan(benchmark::State &state, bool filled) {
    int window = smooth_shape_window();
    ZVSetFillColour(window, 0x00C000);
    unsigned n = 0;
    for (auto _ : state) {
        int x = 200 + n % 500, y = 200 + n % 300;
        benchmark::DoNotOptimize(filled ? ZVFillCircle(window, x, y, 50)
                                        : ZVCircle(window, x, y, 50));
        n++;
    }
    ZVSetSmooth(window, 0);
}
BENCHMARK_CAPTURE(aa_circle_zelvan, outline, false)->Name("smooth/ZVCircle_smooth_r50");
BENCHMARK_CAPTURE(aa_circle_zelvan, filled, true)->Name("smooth/ZVFillCircle_smooth_r50");

void aa_circle_sdl(benchmark::State &state) {
    sdl_canvas canvas = bench_sdl_canvas(width, height);
    unsigned n = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(aacircleRGBA(canvas.renderer, static_cast<Sint16>(200 + n % 500),
                                              static_cast<Sint16>(200 + n % 300), 50, 0, 0, 0,
                                              255));
        n++;
    }
    bench_sdl_release(canvas);
}
BENCHMARK(aa_circle_sdl)->Name("smooth/sdl2_gfx_aacircleRGBA_r50");

void aa_fill_circle_cairo(benchmark::State &state) {
    cairo_target target(width, height);
    cairo_t *cr = target.cr;
    unsigned n = 0;
    for (auto _ : state) {
        double x = 200 + n % 500, y = 200 + n % 300;
        cairo_arc(cr, x, y, 50, 0, 2 * M_PI);
        cairo_set_source_rgb(cr, 0, 0.75, 0);
        cairo_fill(cr);
        cairo_arc(cr, x, y, 49.5, 0, 2 * M_PI);
        cairo_set_source_rgb(cr, 1, 0, 0);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        n++;
    }
}
BENCHMARK(aa_fill_circle_cairo)->Name("smooth/cairo_fill_and_outline_r50");

// A plot: a sine wave of 480 points across the scene's surface, two pixels wide, as one
// fractional polyline. Not a target; it shows what overlapping pieces cost.
std::vector<float> plot_points() {
    std::vector<float> xy;
    for (int i = 0; i < smooth_scene::k_width; ++i) {
        xy.push_back(static_cast<float>(i));
        xy.push_back(static_cast<float>(180 + 150 * sin(i * 0.05)));
    }
    return xy;
}

void plot_zelvan(benchmark::State &state) {
    int window = bench_window(scene_window, smooth_scene::k_width, smooth_scene::k_height);
    ZVSetSmooth(window, 1);
    ZVSetLineWidth(window, 2);
    std::vector<float> xy = plot_points();
    for (auto _ : state)
        benchmark::DoNotOptimize(ZVPolylineF(window, xy.data(), static_cast<int>(xy.size() / 2)));
    ZVSetSmooth(window, 0);
}
BENCHMARK(plot_zelvan)->Name("smooth/ZVPolylineF_plot_480_points_w2");

void plot_cairo(benchmark::State &state) {
    cairo_target target(smooth_scene::k_width, smooth_scene::k_height);
    cairo_t *cr = target.cr;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, 2);
    std::vector<float> xy = plot_points();
    for (auto _ : state) {
        for (size_t i = 0; i < xy.size(); i += 2) cairo_line_to(cr, xy[i] + 0.5, xy[i + 1] + 0.5);
        cairo_stroke(cr);
    }
}
BENCHMARK(plot_cairo)->Name("smooth/cairo_plot_480_points_w2");

bench_row_registrar r1(bench_ratio{"smooth scene vs cairo", "smooth/scene_zelvan",
                                   "smooth/scene_cairo_image_surface", 1.0, ratio_clock::cpu});
bench_row_registrar r2(bench_ratio{
    "smooth 1-px line vs aalineRGBA", "smooth/ZVLine_smooth_w1_all_directions",
    "smooth/sdl2_gfx_aalineRGBA_all_directions", 1.0, ratio_clock::cpu});
bench_row_registrar r3(bench_ratio{"smooth 1-px line vs cairo",
                                   "smooth/ZVLine_smooth_w1_all_directions",
                                   "smooth/cairo_line_w1_all_directions", 1.0, ratio_clock::cpu});
bench_row_registrar r4(bench_ratio{"smooth ZVCircle vs aacircleRGBA", "smooth/ZVCircle_smooth_r50",
                                   "smooth/sdl2_gfx_aacircleRGBA_r50", 1.0, ratio_clock::cpu});
bench_row_registrar r5(bench_ratio{"smooth ZVFillCircle vs cairo", "smooth/ZVFillCircle_smooth_r50",
                                   "smooth/cairo_fill_and_outline_r50", 1.0, ratio_clock::cpu});
bench_row_registrar r6(bench_ratio{"smooth plot vs cairo", "smooth/ZVPolylineF_plot_480_points_w2",
                                   "smooth/cairo_plot_480_points_w2", 0, ratio_clock::cpu});

} // namespace
