// The smooth scene, and plots of many points, drawn by Zelvan beside the same drawn by cairo:
// per colour channel, the mean difference is at most 2 of 255 and the largest at most 48.
#include "smooth_scene.h"
#include "zelvan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#if ZELVAN_HAVE_CAIRO
#include "cairo_scene.h"
#endif

namespace {

// Writes a picture of 0x00RRGGBB pixels as a PPM file, for a person to look at when the
// comparison fails.
void write_ppm(const char *name, const std::vector<uint32_t> &rgb) {
    FILE *f = std::fopen(name, "wb");
    if (!f) return;
    std::fprintf(f, "P6 %d %d 255\n", smooth_scene::k_width, smooth_scene::k_height);
    for (uint32_t p : rgb) {
        unsigned char c[3] = {static_cast<unsigned char>(p >> 16),
                              static_cast<unsigned char>(p >> 8), static_cast<unsigned char>(p)};
        std::fwrite(c, 1, 3, f);
    }
    std::fclose(f);
}

#if ZELVAN_HAVE_CAIRO
// Draws a picture of the scene's size with `zelvan(window)` and `cairo(cr)`, and holds them to
// the tolerances; both pictures are kept as `<name>_zelvan.ppm` and `<name>_cairo.ppm` when they
// differ more, or when ZELVAN_KEEP_PICTURES is set.
template <typename Zelvan, typename Cairo>
void expect_like_cairo(const char *name, Zelvan zelvan, Cairo cairo) {
    using namespace smooth_scene;
    std::vector<ZVCOLOUR> ours = drawn_on_canvas(zelvan);
    ASSERT_FALSE(ours.empty());

    cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, k_width, k_height);
    cairo_t *cr = cairo_create(surface);
    cairo(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const unsigned char *data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);

    std::vector<uint32_t> theirs, mine;
    double total = 0;
    int largest = 0, largest_x = 0, largest_y = 0;
    for (int y = 0; y < k_height; ++y)
        for (int x = 0; x < k_width; ++x) {
            uint32_t c = reinterpret_cast<const uint32_t *>(data + y * stride)[x] & 0xFFFFFF;
            ZVCOLOUR z = ours[static_cast<size_t>(y) * k_width + x];
            uint32_t m = (z & 0xFF) << 16 | (z & 0xFF00) | (z >> 16 & 0xFF);
            theirs.push_back(c);
            mine.push_back(m);
            for (int shift : {0, 8, 16}) {
                int d = std::abs(static_cast<int>(c >> shift & 0xFF) -
                                 static_cast<int>(m >> shift & 0xFF));
                total += d;
                if (d > largest) largest = d, largest_x = x, largest_y = y;
            }
        }
    cairo_surface_destroy(surface);
    double mean = total / (3.0 * k_width * k_height);
    // The mean over the shapes' own pixels, which the white background would otherwise dilute.
    size_t inked = 0;
    for (size_t i = 0; i < mine.size(); ++i) inked += mine[i] != 0xFFFFFF || theirs[i] != 0xFFFFFF;
    ::testing::Test::RecordProperty(std::string(name) + "_mean_difference", std::to_string(mean));
    std::printf("%s: mean channel difference %.3f (%.3f over the %zu inked pixels), largest %d at "
                "(%d, %d)\n",
                name, mean, total / (3.0 * static_cast<double>(inked)), inked, largest, largest_x,
                largest_y);
    if (mean > 2 || largest > 48 || std::getenv("ZELVAN_KEEP_PICTURES")) {
        write_ppm((std::string(name) + "_zelvan.ppm").c_str(), mine);
        write_ppm((std::string(name) + "_cairo.ppm").c_str(), theirs);
    }
    EXPECT_LE(mean, 2.0) << name;
    EXPECT_LE(largest, 48) << name;
}

// Plots as fractional polylines: sine waves sampled every pixel (slight bends) and every 9
// pixels (sharp ones) at pen widths 1 to 9, a zigzag with a turn back on itself, and a closed
// outline whose path crosses itself.
struct plot {
    int width;
    double step, amplitude, middle;
    ZVCOLOUR colour;
};
const plot k_plots[] = {{1, 1, 40, 50, 0x0000C0},
                        {2, 1, 60, 120, 0xC04000},
                        {5, 1, 30, 200, 0x008000},
                        {9, 9, 50, 280, 0x800080},
                        {3, 9, 140, 180, 0x0080C0}};

std::vector<float> plot_points(const plot &p) {
    std::vector<float> xy;
    for (double x = 5; x < smooth_scene::k_width - 5; x += p.step) {
        xy.push_back(static_cast<float>(x));
        xy.push_back(static_cast<float>(p.middle + p.amplitude * std::sin(x * 0.04)));
    }
    return xy;
}

const float k_zigzag[] = {20, 330, 120, 250, 60, 250, 200, 340, 205, 300, 60, 335};
const int k_crossing[] = {300, 250, 460, 350, 460, 250, 300, 350};

void draw_plots_zelvan(int w) {
    ZVSetBackground(w, 0xFFFFFF);
    ZVClearDrawBuffer(w);
    ZVSetSmooth(w, 1);
    for (const plot &p : k_plots) {
        std::vector<float> xy = plot_points(p);
        ZVSetForeground(w, p.colour);
        ZVSetLineWidth(w, p.width);
        ZVPolylineF(w, xy.data(), static_cast<int>(xy.size() / 2));
    }
    ZVSetForeground(w, 0x202020);
    ZVSetLineWidth(w, 4);
    ZVPolylineF(w, k_zigzag, 6);
    ZVPolygon(w, k_crossing, 4);
}

void draw_plots_cairo(cairo_t *cr) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    auto stroke = [&](ZVCOLOUR c, int width) {
        smooth_scene::cairo_colour(cr, c);
        cairo_set_line_width(cr, width);
        cairo_stroke(cr);
    };
    for (const plot &p : k_plots) {
        std::vector<float> xy = plot_points(p);
        for (size_t i = 0; i < xy.size(); i += 2) cairo_line_to(cr, xy[i] + 0.5, xy[i + 1] + 0.5);
        stroke(p.colour, p.width);
    }
    for (int i = 0; i < 6; ++i) cairo_line_to(cr, k_zigzag[2 * i] + 0.5, k_zigzag[2 * i + 1] + 0.5);
    stroke(0x202020, 4);
    for (int i = 0; i < 4; ++i)
        cairo_line_to(cr, k_crossing[2 * i] + 0.5, k_crossing[2 * i + 1] + 0.5);
    cairo_close_path(cr);
    stroke(0x202020, 4);
}
#endif

TEST(CairoComparison, SmoothSceneMatchesCairo) {
#if !ZELVAN_HAVE_CAIRO
    GTEST_SKIP() << "cairo was not found when the build was configured";
#else
    expect_like_cairo("smooth_scene", smooth_scene::draw_zelvan, smooth_scene::draw_cairo);
#endif
}

TEST(CairoComparison, PlotsMatchCairo) {
#if !ZELVAN_HAVE_CAIRO
    GTEST_SKIP() << "cairo was not found when the build was configured";
#else
    expect_like_cairo("smooth_plots", draw_plots_zelvan, draw_plots_cairo);
#endif
}

} // namespace
