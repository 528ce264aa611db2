// One-pixel lines whose ends lie anywhere in the 32-bit range, against a reference that places
// each pixel by exact rational rounding: pixel k of a line with major extent D and minor
// extent d sits round(k d / D) minor steps from the start. Extents are odd, so no pixel is a tie.
#include "gdi_test_util.h"
#include "platform/posix/gdi/gdi_raster.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <stdlib.h>

namespace {

constexpr LONG lowest = INT32_MIN, highest = INT32_MAX;
constexpr COLORREF ink = RGB(0, 0, 0), gap = RGB(255, 0, 0), paper = RGB(255, 255, 255);

// Paints the pixels of p -> q (q left out) that land on a w x h picture. Pixel k is a dash
// when the PS_DASH pattern (18 on, 6 off) stands on one at `phase + k`; solid lines pass no
// phase. Returns the line's major extent, by which a polyline's pattern moves on.
int64_t reference_line(std::vector<COLORREF> *picture, int w, int h, POINT p, POINT q,
                       int64_t phase = -1) {
    int64_t dx = (int64_t)q.x - p.x, dy = (int64_t)q.y - p.y;
    bool x_major = llabs(dx) > llabs(dy);
    int64_t major_extent = x_major ? llabs(dx) : llabs(dy);
    int64_t minor_extent = x_major ? llabs(dy) : llabs(dx);
    EXPECT_TRUE(major_extent % 2 == 1 || minor_extent == 0) << "a tie would need the tie rule";
    int64_t major0 = x_major ? p.x : p.y, minor0 = x_major ? p.y : p.x;
    int major_sign = (x_major ? dx : dy) < 0 ? -1 : 1;
    int minor_sign = (x_major ? dy : dx) < 0 ? -1 : 1;
    for (int64_t c = 0; c < (x_major ? w : h); c++) {
        int64_t k = (c - major0) * major_sign;
        if (k < 0 || k >= major_extent) continue;
        __int128 twice = (__int128)2 * k * minor_extent + major_extent;
        int64_t minor = minor0 + minor_sign * (int64_t)(twice / (2 * (__int128)major_extent));
        if (minor < 0 || minor >= (x_major ? h : w)) continue;
        int64_t x = x_major ? c : minor, y = x_major ? minor : c;
        (*picture)[(size_t)(y * w + x)] = phase < 0 || (phase + k) % 24 < 18 ? ink : gap;
    }
    return major_extent;
}

// Ends near the limits and beyond 2^27; all but the last cross the 64 x 48 canvas.
const POINT far_lines[][2] = {
    {{lowest, -1000000030}, {highest, 1000000070}},
    {{-1000000000, lowest}, {1000000077, highest}},
    {{highest, lowest + 40}, {lowest, highest}},
    {{10, 20}, {2000000007, 1000000003}},
    {{60, 40}, {-1500000001, -300000007}},
    {{-300000000, -7}, {300000201, 40}},
    {{50, lowest}, {53, highest}},
    {{lowest, 30}, {highest, 30}},
    {{20, highest}, {20, lowest}},
    {{lowest, 100}, {highest, 101}},
};

void expect_same(const gdi_canvas &canvas, const std::vector<COLORREF> &expected) {
    std::vector<COLORREF> drawn = canvas.pixels();
    int differing = 0;
    for (size_t i = 0; i < drawn.size(); i++)
        if (drawn[i] != expected[i] && differing++ < 8)
            ADD_FAILURE() << "pixel (" << i % canvas.width << ", " << i / canvas.width << ") is "
                          << std::hex << drawn[i] << ", expected " << expected[i];
    EXPECT_EQ(differing, 0);
}

} // namespace

TEST(gdi_far_lines, SolidLinesAreExactAcrossTheWholeRange) {
    gdi_canvas canvas(64, 48);
    std::vector<COLORREF> expected(64 * 48, paper);
    for (const auto &line : far_lines) {
        MoveToEx(canvas.dc, line[0].x, line[0].y, nullptr);
        EXPECT_TRUE(LineTo(canvas.dc, line[1].x, line[1].y));
        reference_line(&expected, 64, 48, line[0], line[1]);
    }
    expect_same(canvas, expected);
    EXPECT_GT(canvas.count(ink), 300) << "every line but the last crosses the canvas";
}

TEST(gdi_far_lines, DashesAdvanceByWholeSegmentsOffTheSurface) {
    gdi_canvas canvas(64, 48);
    HPEN pen = CreatePen(PS_DASH, 1, ink);
    HGDIOBJ old = SelectObject(canvas.dc, pen);
    SetBkColor(canvas.dc, gap);
    std::vector<COLORREF> expected(64 * 48, paper);
    // One polyline zig-zagging through the canvas: each segment starts where the pattern
    // stands after the 2^31-odd pixels of the ones before it, nearly all of them clipped.
    const POINT path[] = {{lowest, -1000000030},
                          {highest, 1000000069},
                          {-1000000000, lowest},
                          {1000000077, highest},
                          {10, 20},
                          {2000000007, 1000000003},
                          {lowest, 30},
                          {highest, 30},
                          {20, lowest + 1}};
    int64_t phase = 0;
    for (size_t i = 0; i + 1 < sizeof path / sizeof path[0]; i++)
        phase += reference_line(&expected, 64, 48, path[i], path[i + 1], phase);
    gdi_stroke(gdi_dc_get(canvas.dc), path, sizeof path / sizeof path[0], false);
    expect_same(canvas, expected);
    EXPECT_GT(canvas.count(gap), 20);
    SelectObject(canvas.dc, old);
    DeleteObject(pen);
}
