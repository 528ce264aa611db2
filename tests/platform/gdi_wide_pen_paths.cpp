// Wide pens paint their outlines straight onto the surface. These tests hold a segment's
// pixels to the band and discs the pixel rules describe, and painting to the spans the same
// outline keeps in a region, over many random lines, polylines and closed outlines of every
// width from 2 to 12, in all directions and clipped at every edge of the surface.
#include "gdi_test_util.h"
#include "platform/posix/gdi/raster/gdi_raster.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr int surface_width = 83, surface_height = 59;

// Which pixels of the surface a region's spans cover, row by row.
std::vector<bool> region_mask(const gdi_region &region) {
    std::vector<bool> mask(surface_width * surface_height, false);
    for (const gdi_span &span : region.spans) {
        EXPECT_TRUE(span.y >= 0 && span.y < surface_height && span.left >= 0 &&
                    span.left < span.right && span.right <= surface_width)
            << span.y << ": " << span.left << ".." << span.right;
        for (int x = span.left; x < span.right; x++) mask[span.y * surface_width + x] = true;
    }
    return mask;
}

// The general path: the outline's spans kept in a region instead of painted.
std::vector<bool> general_outline(int64_t width, const std::vector<POINT> &points, bool close) {
    gdi_surface frame = {nullptr, surface_width, surface_height, surface_width};
    gdi_region region;
    gdi_region_init(&region, &frame);
    gdi_wide_path(&region, width, points.data(), (int)points.size(), close);
    return region_mask(region);
}

// A point in or around the surface; now and then far outside it, so that long segments
// are clipped on both sides.
POINT random_point(std::mt19937 &rng) {
    if (rng() % 10 == 0) {
        std::uniform_int_distribution<int> far(-3000, 3000);
        return POINT{far(rng), far(rng)};
    }
    std::uniform_int_distribution<int> x(-15, surface_width + 15), y(-15, surface_height + 15);
    return POINT{x(rng), y(rng)};
}

// The next point of a polyline: in any direction, and often exactly horizontal, vertical
// or diagonal from the last one (the directions with their own handling).
POINT next_point(std::mt19937 &rng, POINT from) {
    POINT to = random_point(rng);
    switch (rng() % 6) {
    case 0:
        to.y = from.y;
        break;
    case 1:
        to.x = from.x;
        break;
    case 2:
        to.y = from.y + (to.x - from.x) * (rng() % 2 ? 1 : -1);
        break;
    default:
        break;
    }
    return to;
}

std::vector<POINT> random_polyline(std::mt19937 &rng, int count) {
    std::vector<POINT> points = {random_point(rng)};
    while ((int)points.size() < count) points.push_back(next_point(rng, points.back()));
    return points;
}

int random_width(std::mt19937 &rng) {
    return 2 + (int)(rng() % 11);
}

} // namespace

// LineTo through the public calls, with every pen style the library selects (wide dashed
// pens draw solid), against the general outline painted over what was there before.
TEST(gdi_wide_pen_paths, LineToMatchesTheGeneralWalkForEveryPenStyle) {
    gdi_canvas canvas(surface_width, surface_height, RGB(250, 240, 230));
    const gdi_surface &surface = gdi_dc_get(canvas.dc)->surface;
    std::mt19937 rng(20261208);
    int painted_cases = 0, clipped_cases = 0;
    for (int style : {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_INSIDEFRAME}) {
        for (int i = 0; i < 300; i++) {
            int width = random_width(rng);
            COLORREF colour = RGB(rng() % 200, 17 * i % 256, 90);
            POINT from = random_point(rng), to = next_point(rng, from);
            SCOPED_TRACE(testing::Message()
                         << "style " << style << ", width " << width << ", (" << from.x << ","
                         << from.y << ") to (" << to.x << "," << to.y << ")");
            HPEN pen = CreatePen(style, width, colour);
            HGDIOBJ old = SelectObject(canvas.dc, pen);
            std::vector<uint32_t> expected(surface.pixels,
                                           surface.pixels + surface.stride * surface.height);
            ASSERT_TRUE(MoveToEx(canvas.dc, from.x, from.y, nullptr));
            ASSERT_TRUE(LineTo(canvas.dc, to.x, to.y));
            SelectObject(canvas.dc, old);
            DeleteObject(pen);

            std::vector<bool> mask = general_outline(width, {from, to}, false);
            int covered = 0;
            for (int y = 0; y < surface_height; y++)
                for (int x = 0; x < surface_width; x++)
                    if (mask[y * surface_width + x]) {
                        expected[y * surface.stride + x] = gdi_pixel_from_colour(colour);
                        covered++;
                    }
            painted_cases += covered > 0;
            clipped_cases += covered > 0 && (from.x < 0 || from.y < 0 || to.x >= surface_width ||
                                             to.y >= surface_height);
            for (int y = 0; y < surface_height; y++)
                for (int x = 0; x < surface_width; x++)
                    ASSERT_EQ(surface.pixels[y * surface.stride + x],
                              expected[y * surface.stride + x])
                        << "at " << x << "," << y;
        }
    }
    // The random cases must reach the surface, and often cross its edges, to prove anything.
    EXPECT_GT(painted_cases, 1200);
    EXPECT_GT(clipped_cases, 300);
}

// Polylines with joins and closed outlines, painted straight onto a surface with padded
// rows: the same pixels as the kept spans of the general walk, and none in the padding.
TEST(gdi_wide_pen_paths, PolylinesAndClosedOutlinesMatchTheGeneralWalk) {
    constexpr int stride = surface_width + 5;
    constexpr uint32_t background = 0x00123456, ink = 0x00ABCDEF;
    std::vector<uint32_t> pixels(stride * surface_height);
    gdi_surface surface = {pixels.data(), surface_width, surface_height, stride};
    std::mt19937 rng(8122026);
    int painted_cases = 0;
    for (int i = 0; i < 1500; i++) {
        int width = random_width(rng);
        bool close = rng() % 2 == 0;
        std::vector<POINT> points = random_polyline(rng, 2 + (int)(rng() % 5));
        SCOPED_TRACE(testing::Message()
                     << "case " << i << ", width " << width << (close ? ", closed" : ", open"));
        std::fill(pixels.begin(), pixels.end(), background);

        gdi_region painting;
        gdi_region_init_painting(&painting, &surface, ink);
        gdi_wide_path(&painting, width, points.data(), (int)points.size(), close);
        EXPECT_TRUE(painting.spans.empty()); // painted, not kept

        std::vector<bool> mask = general_outline(width, points, close);
        int covered = 0;
        for (int y = 0; y < surface_height; y++) {
            for (int x = 0; x < stride; x++) {
                bool inside = x < surface_width && mask[y * surface_width + x];
                covered += inside;
                ASSERT_EQ(pixels[y * stride + x], inside ? ink : background)
                    << "at " << x << "," << y;
            }
        }
        painted_cases += covered > 0;
    }
    EXPECT_GT(painted_cases, 1000);
}

// The band and discs of one segment as the pixel rules state them, built from the polygon
// filler and the ellipse interior rather than the pen's own walk: a disc round each end, and
// the parallelogram between two copies of the segment moved across it, towards smaller x by
// half the pen's reach along each axis rounded half away from zero, towards larger x by that
// half rounded down plus one.
std::vector<bool> segment_by_the_rules(int64_t width, POINT p, POINT q) {
    gdi_surface frame = {nullptr, surface_width, surface_height, surface_width};
    gdi_region region;
    gdi_region_init(&region, &frame);
    for (POINT end : {p, q}) {
        int64_t left = end.x - width / 2, top = end.y - width / 2;
        gdi_ellipse_region(&region, left, top, left + width, top + width);
    }
    int64_t dx = (int64_t)q.x - p.x, dy = (int64_t)q.y - p.y;
    if (dx == 0 || dy == 0) {
        int64_t lo = (dy == 0 ? p.y : p.x) - width / 2;
        if (dy == 0)
            gdi_region_add_rect(&region, std::min(p.x, q.x), lo, std::max(p.x, q.x), lo + width);
        else
            gdi_region_add_rect(&region, lo, std::min(p.y, q.y), lo + width, std::max(p.y, q.y));
        return region_mask(region);
    }
    double length = std::hypot((double)dx, (double)dy);
    double half_x = width * std::fabs((double)dy) / length / 2,
           half_y = width * std::fabs((double)dx) / length / 2;
    int64_t near_x = (int64_t)std::floor(half_x + 0.5), near_y = (int64_t)std::floor(half_y + 0.5);
    int64_t far_x = (int64_t)std::floor(half_x) + 1, far_y = (int64_t)std::floor(half_y) + 1;
    int64_t sign = (dx > 0) == (dy > 0) ? 1 : -1; // towards smaller x is down the screen
    gdi_point corners[4] = {{p.x - near_x, p.y + sign * near_y},
                            {q.x - near_x, q.y + sign * near_y},
                            {q.x + far_x, q.y - sign * far_y},
                            {p.x + far_x, p.y - sign * far_y}};
    gdi_polygon_region(&region, corners, 4, GDI_ALTERNATE);
    return region_mask(region);
}

TEST(gdi_wide_pen_paths, SegmentsCoverTheRulesBandAndDiscs) {
    // The rules' own example: a 5-pixel pen from (10, 10) to (40, 25).
    EXPECT_EQ(general_outline(5, {{10, 10}, {40, 25}}, false),
              segment_by_the_rules(5, {10, 10}, {40, 25}));
    std::mt19937 rng(4242);
    std::uniform_int_distribution<int> pen(2, 40);
    int sloped = 0;
    for (int i = 0; i < 3000; i++) {
        POINT p = random_point(rng), q = next_point(rng, p);
        if (rng() % 8 == 0) { // a Pythagorean direction: reaches that are exact halves
            int k = 1 + (int)(rng() % 6);
            q = POINT{p.x + 3 * k * (rng() % 2 ? 1 : -1), p.y + 4 * k * (rng() % 2 ? 1 : -1)};
        }
        int width = i % 5 == 0 ? pen(rng) : random_width(rng);
        SCOPED_TRACE(testing::Message() << "width " << width << ", (" << p.x << "," << p.y
                                        << ") to (" << q.x << "," << q.y << ")");
        sloped += p.x != q.x && p.y != q.y;
        ASSERT_EQ(general_outline(width, {p, q}, false), segment_by_the_rules(width, p, q));
    }
    EXPECT_GT(sloped, 1500);
}

// Strokes far beyond the surface and pens wider than any surface: the pixels on the surface
// are those of an ordinary stroke, and nothing overflows for coordinates at the 32-bit limits.
TEST(gdi_wide_pen_paths, FarOutAndVeryWideStrokesCoverWhatAShortOneWould) {
    const POINT centre = {41, 29};
    const POINT directions[] = {{3, 1}, {1, -2}, {5, 7}, {-4, 3}, {1, 1}, {7, -1}};
    for (int width = 2; width <= 12; width += 5) {
        for (POINT d : directions) {
            SCOPED_TRACE(testing::Message()
                         << "width " << width << ", direction " << d.x << "," << d.y);
            // A body's copies depend only on its direction: a segment whose ends lie far off
            // covers the surface as one whose ends lie just off it.
            const int64_t far = (INT32_MAX - 100) / std::max(std::abs(d.x), std::abs(d.y));
            auto along = [&](int64_t t) {
                return POINT{(LONG)(centre.x + t * d.x), (LONG)(centre.y + t * d.y)};
            };
            std::vector<bool> near = general_outline(width, {along(-200), along(200)}, false);
            EXPECT_EQ(general_outline(width, {along(-far), along(far)}, false), near);
            EXPECT_GT(std::count(near.begin(), near.end(), true), 40);
        }
    }
    const std::vector<bool> everything(surface_width * surface_height, true);
    EXPECT_EQ(general_outline(INT32_MAX, {{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}}, false),
              everything);
    EXPECT_EQ(general_outline(INT32_MAX, {{INT32_MIN, 0}, {INT32_MAX, INT32_MIN}, {0, 5}}, true),
              everything);
    // A pen beyond the inset tables: its body's rows are exact; its discs lie far off.
    const int64_t huge = (int64_t)1 << 17;
    std::vector<bool> band = general_outline(
        huge, {{-1000000000, 24 + (LONG)(huge / 2)}, {1000000000, 24 + (LONG)(huge / 2)}}, false);
    std::vector<bool> lower_rows(everything);
    std::fill(lower_rows.begin(), lower_rows.begin() + 24 * surface_width, false);
    EXPECT_EQ(band, lower_rows);
}
