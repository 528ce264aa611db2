// Wide solid pens: each segment is a quadrilateral as wide as the pen, with a round cap at
// the open ends and a round join at every vertex; the pieces' spans go to one region (which
// for drawing paints them as they come: overlaps are painted twice in the same colour).
#include "platform/posix/gdi/gdi_raster.h"

#include <math.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

struct gdi_wide_pen {
    gdi_region *outline;
    int64_t width;
    gdi_body_walk walk;
    // The round cap: an ellipse region `width` across, row i spanning [left, right) from
    // the cap's top-left corner. Looked up on first use.
    const std::vector<std::pair<int, int>> *cap_rows;
    // Set once a cap has covered the whole surface: nothing later can add a pixel, and a pen
    // far wider than the surface would otherwise add every row again at every vertex.
    bool covers_surface;
};

// True when the round cap centred on `at` contains every pixel of the surface.
bool gdi_cap_covers_surface(const gdi_wide_pen &pen, POINT at) {
    const gdi_surface *s = pen.outline->clip;
    // A pixel's centre within (width / 2 - 1) of the centre is inside the integer ellipse.
    double reach = (double)pen.width / 2 - 1;
    if (reach <= 0) return false;
    double far_x = std::max(fabs((double)at.x), fabs((double)at.x - s->width));
    double far_y = std::max(fabs((double)at.y), fabs((double)at.y - s->height));
    return far_x * far_x + far_y * far_y <= reach * reach;
}

// False when a segment from p to q, however it is turned, cannot reach the surface.
bool gdi_segment_near_surface(const gdi_wide_pen &pen, POINT p, POINT q) {
    const gdi_surface *s = pen.outline->clip;
    int64_t reach = pen.width / 2 + 2;
    return std::min<int64_t>(p.x, q.x) - reach < s->width &&
           std::max<int64_t>(p.x, q.x) + reach > 0 &&
           std::min<int64_t>(p.y, q.y) - reach < s->height &&
           std::max<int64_t>(p.y, q.y) + reach > 0;
}

// The round cap's rows, from the same integer ellipse as Ellipse's interior. The cap of the
// last width used on this thread is kept: a run of lines with one pen builds it once.
const std::vector<std::pair<int, int>> &gdi_cap_rows(int64_t pen_width) {
    static thread_local int64_t cached_width = -1;
    static thread_local std::vector<std::pair<int, int>> rows;
    if (cached_width == pen_width) return rows;
    int width = (int)pen_width;
    gdi_surface frame = {nullptr, width, width, width};
    gdi_region cap;
    gdi_region_init(&cap, &frame);
    gdi_ellipse_region(&cap, 0, 0, width, width);
    rows.assign(width, std::make_pair(0, 0));
    for (const gdi_span &span : cap.spans) rows[span.y] = {span.left, span.right};
    cached_width = pen_width;
    return rows;
}

// Stamps a round cap (or round join) centred on `at`: its box starts width / 2 up and left.
void gdi_stamp_cap(gdi_wide_pen &pen, POINT at) {
    const gdi_surface *s = pen.outline->clip;
    if (pen.covers_surface) return;
    if (gdi_cap_covers_surface(pen, at)) {
        gdi_region_add_rect(pen.outline, 0, 0, s->width, s->height);
        pen.covers_surface = true;
        return;
    }
    int64_t left = (int64_t)at.x - pen.width / 2, top = (int64_t)at.y - pen.width / 2;
    if (left >= s->width || top >= s->height || left + pen.width <= 0 || top + pen.width <= 0)
        return;
    if (pen.width > gdi_large_shape) {
        gdi_large_ellipse_region(pen.outline,
                                 gdi_box{left, top, left + pen.width, top + pen.width});
        return;
    }
    if (!pen.cap_rows) pen.cap_rows = &gdi_cap_rows(pen.width);
    const std::vector<std::pair<int, int>> &rows = *pen.cap_rows;
    int64_t first = std::max<int64_t>(0, -top), end = std::min<int64_t>(pen.width, s->height - top);
    for (int64_t i = first; i < end; i++)
        gdi_region_add_span(pen.outline, top + i, left + rows[i].first, left + rows[i].second);
}

// Half the pen's extent across a sloped segment, rounded half away from zero.
int64_t gdi_round_half(double value) {
    return (int64_t)(value > 0 ? value + 0.5 : value - 0.5);
}

// Adds one segment from p to q whose direction is (dx, dy) (the direction of the original
// segment, which p and q may have been moved along). False for an empty segment.
bool gdi_wide_segment(gdi_wide_pen &pen, POINT p, POINT q, int64_t dx, int64_t dy) {
    int64_t w = pen.width;
    if (dx == 0 && dy == 0) return false;
    if (pen.covers_surface || !gdi_segment_near_surface(pen, p, q)) return true;
    if (dy == 0) { // horizontal: the pen's rows from y - width / 2 down
        int64_t top = (int64_t)p.y - w / 2;
        gdi_region_add_rect(pen.outline, std::min(p.x, q.x), top, std::max(p.x, q.x), top + w);
        return true;
    }
    if (dx == 0) { // vertical: the pen's columns from x - width / 2 right
        int64_t left = (int64_t)p.x - w / 2;
        gdi_region_add_rect(pen.outline, left, std::min(p.y, q.y), left + w, std::max(p.y, q.y));
        return true;
    }
    double length = hypot((double)dx, (double)dy);
    double width_x = (double)w * (double)llabs(dy) / length; // the pen's extent along x
    double width_y = (double)w * (double)llabs(dx) / length; // and along y
    // The pen's width splits unevenly around the line: the narrow half on one side, the
    // wide half (one more when the width is odd) on the other.
    int64_t narrow_x = gdi_round_half(width_x / 2), narrow_y = gdi_round_half(width_y / 2);
    int64_t wide_x = gdi_round_half((width_x + 1) / 2), wide_y = gdi_round_half((width_y + 1) / 2);
    if (dx < 0) {
        wide_y = -wide_y;
        narrow_y = -narrow_y;
    }
    if (dy < 0) {
        std::swap(narrow_x, wide_x);
        std::swap(narrow_y, wide_y);
        wide_x = -wide_x;
        narrow_x = -narrow_x;
    }
    gdi_point corners[4] = {{p.x - narrow_x, p.y + narrow_y},
                            {p.x + wide_x, p.y - wide_y},
                            {q.x + wide_x, q.y - wide_y},
                            {q.x - narrow_x, q.y + narrow_y}};
    if (pen.walk == GDI_BODY_CONVEX && gdi_convex_region(pen.outline, corners, 4)) return true;
    gdi_polygon_region(pen.outline, corners, 4, GDI_ALTERNATE);
    return true;
}

int64_t gdi_dx(const POINT &a, const POINT &b) {
    return (int64_t)b.x - a.x;
}
int64_t gdi_dy(const POINT &a, const POINT &b) {
    return (int64_t)b.y - a.y;
}

// Strokes `count` segments of the polyline starting at point `start`, from `first` to
// `last` (closed outlines wrap around the point list).
void gdi_wide_segments(gdi_wide_pen &pen, const POINT *pts, int num, bool close, int start,
                       int count, POINT first, POINT last) {
    if (!close) {
        gdi_stamp_cap(pen, first);
        gdi_stamp_cap(pen, last);
    }
    const POINT &p0 = pts[start], &p1 = pts[(start + 1) % num];
    if (count == 1) {
        gdi_wide_segment(pen, first, last, gdi_dx(p0, p1), gdi_dy(p0, p1));
        return;
    }
    gdi_wide_segment(pen, first, p1, gdi_dx(p0, p1), gdi_dy(p0, p1));
    for (int i = 1; i < count - 1; i++) {
        const POINT &a = pts[(start + i) % num], &b = pts[(start + i + 1) % num];
        if (gdi_wide_segment(pen, a, b, gdi_dx(a, b), gdi_dy(a, b))) gdi_stamp_cap(pen, a);
    }
    const POINT &a = pts[(start + count - 1) % num], &b = pts[(start + count) % num];
    gdi_wide_segment(pen, a, last, gdi_dx(a, b), gdi_dy(a, b));
    gdi_stamp_cap(pen, a); // the round join before the last segment
    if (close) gdi_stamp_cap(pen, last);
}

} // namespace

void gdi_wide_outline(gdi_region *outline, int64_t width, const POINT *points, int count,
                      bool close, gdi_body_walk walk) {
    // Empty segments at either end take no part: they would only repeat a cap.
    while (count > 2 && points[0].x == points[1].x && points[0].y == points[1].y) {
        points++;
        count--;
    }
    while (count > 2 && points[count - 1].x == points[count - 2].x &&
           points[count - 1].y == points[count - 2].y)
        count--;
    gdi_wide_pen pen = {outline, width, walk, nullptr, false};
    if (close)
        gdi_wide_segments(pen, points, count, true, 0, count, points[0], points[0]);
    else
        gdi_wide_segments(pen, points, count, false, 0, count - 1, points[0], points[count - 1]);
}

void gdi_wide_lines(gdi_dc *dc, const POINT *points, int count, bool close, gdi_region *outline) {
    gdi_wide_outline(outline, dc->pen_state.width, points, count, close, GDI_BODY_CONVEX);
}
