// The smooth scene drawn by Zelvan beside the same scene drawn by cairo: per colour channel,
// the mean difference is at most 2 of 255 and the largest at most 48.
#include "smooth_scene.h"
#include "zelvan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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

TEST(CairoComparison, SmoothSceneMatchesCairo) {
#if !ZELVAN_HAVE_CAIRO
    GTEST_SKIP() << "cairo was not found when the build was configured";
#else
    using namespace smooth_scene;
    int w = ZVCreateCanvas(k_width, k_height);
    ASSERT_GT(w, 0);
    draw_zelvan(w);
    std::vector<ZVCOLOUR> ours(static_cast<size_t>(k_width) * k_height);
    ASSERT_EQ(ZVGetPixels(w, 0, 0, k_width, k_height, ours.data(), k_width), ZV_OK);
    ZVDestroyWindow(w);

    cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, k_width, k_height);
    cairo_t *cr = cairo_create(surface);
    draw_cairo(cr);
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
    RecordProperty("mean_difference", std::to_string(mean));
    std::printf("mean channel difference %.3f (%.3f over the %zu inked pixels), largest %d at "
                "(%d, %d)\n",
                mean, total / (3.0 * static_cast<double>(inked)), inked, largest, largest_x,
                largest_y);
    if (mean > 2 || largest > 48 || std::getenv("ZELVAN_KEEP_PICTURES")) {
        write_ppm("smooth_scene_zelvan.ppm", mine);
        write_ppm("smooth_scene_cairo.ppm", theirs);
    }
    EXPECT_LE(mean, 2.0);
    EXPECT_LE(largest, 48);
#endif
}

} // namespace
