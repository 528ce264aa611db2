// One-pixel lines whose ends lie anywhere in the 32-bit range, against a reference that places
// each pixel by exact rational rounding: pixel k of a line with major extent D and minor
// extent d sits round(k d / D) minor steps from the start. Extents are odd, so no pixel is a tie.
#include "gdi_test_util.h"
#include "platform/posix/gdi/raster/gdi_raster.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <stdlib.h>

namespace {

constexpr LONG lowest = INT32_MIN, highest = INT32_MAX;
constexpr COLORREF ink = RGB(0, 0, 0), gap = RGB(255, 0, 0);

// Paints the pixels of p -> q (q left out) that land on the 64 x 48 picture; with a `phase`,
// pixel k is a PS_DASH dash (18 on, 6 off) or gap at phase + k. Returns the major extent.
int64_t reference_line(std::vector<COLORREF> *picture, POINT p, POINT q, int64_t phase = -1) {
    int64_t dx = (int64_t)q.x - p.x, dy = (int64_t)q.y - p.y;
    bool x_major = llabs(dx) > llabs(dy);
    int64_t extent = x_major ? llabs(dx) : llabs(dy), across = x_major ? llabs(dy) : llabs(dx);
    EXPECT_TRUE(extent % 2 == 1 || across == 0) << "a tie would need the tie rule";
    int major_sign = (x_major ? dx : dy) < 0 ? -1 : 1,
        minor_sign = (x_major ? dy : dx) < 0 ? -1 : 1;
    for (int64_t c = 0; c < (x_major ? 64 : 48); c++) {
        int64_t k = (c - (x_major ? p.x : p.y)) * major_sign;
        if (k < 0 || k >= extent) continue;
        __int128 rounded = ((__int128)2 * k * across + extent) / (2 * (__int128)extent);
        int64_t minor = (x_major ? p.y : p.x) + minor_sign * (int64_t)rounded;
        if (minor < 0 || minor >= (x_major ? 48 : 64)) continue;
        size_t at = x_major ? (size_t)(minor * 64 + c) : (size_t)(c * 64 + minor);
        (*picture)[at] = phase < 0 || (phase + k) % 24 < 18 ? ink : gap;
    }
    return extent;
}

// A path zig-zagging through the canvas between ends near the limits and beyond 2^27; the
// segments from (highest, 30) and (20, highest) miss it.
const POINT path[] = {{lowest, -1000000030},
                      {highest, 1000000069},
                      {-1000000000, lowest},
                      {1000000077, highest},
                      {10, 20},
                      {2000000007, 1000000003},
                      {-1500000000, -300000006},
                      {-300000001, -7},
                      {300000200, 41},
                      {50, lowest},
                      {53, highest},
                      {lowest, 30},
                      {highest, 30},
                      {20, lowest + 1},
                      {20, highest},
                      {lowest + 1, 100}};
constexpr int points = sizeof path / sizeof path[0];

} // namespace

TEST(gdi_far_lines, SolidLinesAreExactAndDashesMoveOnByWholeSegments) {
    gdi_canvas solid(64, 48), dashed(64, 48);
    std::vector<COLORREF> expect_solid(64 * 48, RGB(255, 255, 255)), expect_dashed = expect_solid;
    int64_t phase = 0;
    for (int i = 0; i + 1 < points; i++) {
        MoveToEx(solid.dc, path[i].x, path[i].y, nullptr);
        EXPECT_TRUE(LineTo(solid.dc, path[i + 1].x, path[i + 1].y));
        reference_line(&expect_solid, path[i], path[i + 1]);
        phase += reference_line(&expect_dashed, path[i], path[i + 1], phase);
    }
    EXPECT_EQ(solid.pixels(), expect_solid);
    EXPECT_GT(solid.count(ink), 300);

    // One stroke: each segment's pattern starts where the clipped pixels before it left it.
    HPEN pen = CreatePen(PS_DASH, 1, ink);
    HGDIOBJ old = SelectObject(dashed.dc, pen);
    SetBkColor(dashed.dc, gap);
    gdi_draw_path(gdi_dc_get(dashed.dc), path, points, false);
    EXPECT_EQ(dashed.pixels(), expect_dashed);
    EXPECT_GT(dashed.count(gap), 20);
    SelectObject(dashed.dc, old);
    DeleteObject(pen);
}
