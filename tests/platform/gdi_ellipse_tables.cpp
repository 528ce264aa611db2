// One quarter walk feeds every ellipse path: the outline table that arcs and pies select
// from, the thin outline set straight from the walk, the interior painted directly or kept
// as spans, and the discs of wide pens. These tests hold those paths to each other for every
// box up to 40 x 40, odd sizes included, which no reference scene can draw.
#include "gdi_test_util.h"
#include "platform/posix/gdi/raster/gdi_raster.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <set>
#include <utility>
#include <vector>

namespace {

constexpr int largest = 40;

std::set<std::pair<int, int>> drawn(const gdi_canvas &canvas, COLORREF colour) {
    std::set<std::pair<int, int>> pixels;
    for (int y = 0; y < canvas.height; y++)
        for (int x = 0; x < canvas.width; x++)
            if (canvas.at(x, y) == colour) pixels.insert({x, y});
    return pixels;
}

} // namespace

// The table is closed and 8-connected, its four quarters mirror one another, and its pixels
// are exactly those of the thin solid outline.
TEST(gdi_ellipse_tables, OutlineTableMatchesTheThinOutline) {
    gdi_canvas canvas(largest + 4, largest + 4);
    SelectObject(canvas.dc, GetStockObject(NULL_BRUSH));
    for (int w = 3; w <= largest; w++) {
        for (int h = 3; h <= largest; h++) {
            SCOPED_TRACE(testing::Message() << w << " x " << h);
            const gdi_box box = {2, 2, 2 + w, 2 + h};
            std::vector<POINT> outline;
            int starts[5];
            gdi_ellipse_outline(box, &outline, starts);
            const int n = starts[1];
            ASSERT_EQ(starts[4], 4 * n);
            std::set<std::pair<int, int>> table;
            for (int i = 0; i < starts[4]; i++) {
                POINT p = outline[i], next = outline[(i + 1) % starts[4]];
                ASSERT_LE(std::abs(p.x - next.x), 1) << "step " << i;
                ASSERT_LE(std::abs(p.y - next.y), 1) << "step " << i;
                table.insert({p.x, p.y});
            }
            for (int i = 0; i < n; i++) {
                POINT q = outline[i], left = outline[2 * n - 1 - i], low = outline[4 * n - 1 - i];
                ASSERT_EQ(left.x, 2 * 2 + w - 1 - q.x);
                ASSERT_EQ(low.y, 2 * 2 + h - 1 - q.y);
            }
            canvas.clear(RGB(255, 255, 255));
            Ellipse(canvas.dc, 2, 2, 2 + w, 2 + h);
            ASSERT_EQ(drawn(canvas, RGB(0, 0, 0)), table);
        }
    }
}

// The interior painted straight onto the surface, kept as region spans, and stamped as a
// wide pen's round cap are the same pixels.
TEST(gdi_ellipse_tables, InteriorsAgreeAcrossFillRegionAndPenDisc) {
    gdi_canvas canvas(3 * largest, 3 * largest);
    const gdi_surface &surface = gdi_dc_get(canvas.dc)->surface;
    const COLORREF ink = RGB(0, 0, 255);
    for (int w = 2; w <= largest; w++) {
        for (int h = 2; h <= largest; h++) {
            SCOPED_TRACE(testing::Message() << w << " x " << h);
            canvas.clear(RGB(255, 255, 255));
            const RECT box = {5, 5, 5 + w, 5 + h};
            if (w >= 3 && h >= 3)
                gdi_ellipse_fill(&surface, 5, 5, 5 + w, 5 + h, 0x0000FF);
            else
                gdi_fill_rect(&surface, &box, 0x0000FF); // too thin to round
            std::set<std::pair<int, int>> filled = drawn(canvas, ink);
            gdi_region spans;
            gdi_region_init(&spans, &surface);
            gdi_ellipse_region(&spans, 5, 5, 5 + w, 5 + h);
            std::set<std::pair<int, int>> kept;
            for (const gdi_span &s : spans.spans)
                for (int x = s.left; x < s.right; x++) kept.insert({x, s.y});
            ASSERT_EQ(kept, filled);
            if (w != h) continue;
            // A cap of a w-pixel pen at (x, y) is the interior of the box starting w / 2 before.
            canvas.clear(RGB(255, 255, 255));
            HPEN pen = CreatePen(PS_SOLID, w, ink);
            HGDIOBJ old = SelectObject(canvas.dc, pen);
            MoveToEx(canvas.dc, 5 + w / 2, 5 + w / 2, nullptr);
            LineTo(canvas.dc, 5 + w / 2, 5 + w / 2);
            SelectObject(canvas.dc, old);
            DeleteObject(pen);
            ASSERT_EQ(drawn(canvas, ink), kept);
        }
    }
}

// An inside-frame pen wider than the box shrinks it past nothing: arcs and pies then have no
// outline to pick from, succeed and draw nothing.
TEST(gdi_ellipse_tables, InsideFramePensWiderThanTheBoxLeaveArcsEmpty) {
    gdi_canvas canvas(30, 30);
    HPEN pen = CreatePen(PS_INSIDEFRAME, 12, RGB(255, 0, 0));
    SelectObject(canvas.dc, pen);
    for (int size = 1; size <= 6; size++) {
        EXPECT_TRUE(Arc(canvas.dc, 10, 10, 10 + size, 10 + size, 0, 5, 5, 0));
        EXPECT_TRUE(Pie(canvas.dc, 10, 10, 10 + size, 10 + size, 0, 5, 5, 0));
    }
    SelectObject(canvas.dc, GetStockObject(BLACK_PEN));
    DeleteObject(pen);
    EXPECT_EQ(canvas.count(RGB(255, 255, 255)), 30 * 30);
}
