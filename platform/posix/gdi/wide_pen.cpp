// Wide solid pens: a stroke is the union of its segments' bodies, a round cap at each open
// end and a round join at each vertex, every piece a filled shape added to the outline.
#include "platform/posix/gdi/gdi_raster.h"

#include <algorithm>
#include <math.h>
#include <vector>

namespace {

// The round piece caps and joins are made of: the interior of the ellipse in the
// width x width box that starts width / 2 left of and above the point it is stamped on.
struct pen_disc {
    int64_t width;
    int64_t reach;                     // width / 2
    bool analytic;                     // too large for a table: worked out per visible row
    const std::vector<int> *row_inset; // from the box's top row; `width` for empty rows
};

pen_disc make_disc(int64_t width) {
    static thread_local std::vector<int> rows; // kept per thread: no allocation per stroke
    pen_disc disc = {width, width / 2, width > gdi_large_shape, &rows};
    if (disc.analytic) return disc;
    rows.resize((size_t)width);
    if (width <= 2)
        std::fill(rows.begin(), rows.end(), 0); // a square: too small to round
    else
        gdi_ellipse_row_insets((int)width, (int)width, rows.data());
    return disc;
}

void stamp_disc(gdi_region *outline, const pen_disc &disc, POINT at) {
    int64_t left = at.x - disc.reach, top = at.y - disc.reach;
    if (disc.analytic) {
        gdi_large_ellipse_region(outline, gdi_box{left, top, left + disc.width, top + disc.width});
        return;
    }
    int64_t first = std::max<int64_t>(0, -top);
    int64_t end = std::min<int64_t>(disc.width, outline->clip->height - top);
    for (int64_t row = first; row < end; row++) {
        int inset = (*disc.row_inset)[row];
        gdi_region_add_span(outline, top + row, left + inset, left + disc.width - inset);
    }
}

// Rounds half away from zero.
int64_t half_up(double value) {
    return (int64_t)llround(value);
}

// The body of a sloped segment from p to q, described by its two long edges: the segment
// moved across the line to either side, one side by the narrow half of the pen's extent
// and the other by the wide half.
struct body_edges {
    gdi_point near_from, far_from, far_to, near_to; // in outline order
};

body_edges sloped_body(POINT p, POINT q, int64_t width) {
    int64_t dx = (int64_t)q.x - p.x, dy = (int64_t)q.y - p.y;
    double length = sqrt((double)dx * (double)dx + (double)dy * (double)dy);
    // The pen's extent across the line, measured along each axis.
    double across_x = (double)width * (double)llabs(dy) / length;
    double across_y = (double)width * (double)llabs(dx) / length;
    int64_t narrow_x = half_up(across_x / 2), narrow_y = half_up(across_y / 2);
    int64_t wide_x = half_up((across_x + 1) / 2), wide_y = half_up((across_y + 1) / 2);
    // Laid out for a line going right and down; a line going left mirrors the y offsets, one
    // going up trades the two sides and mirrors the x offsets.
    if (dx < 0) {
        narrow_y = -narrow_y;
        wide_y = -wide_y;
    }
    if (dy < 0) {
        std::swap(narrow_x, wide_x);
        std::swap(narrow_y, wide_y);
        narrow_x = -narrow_x;
        wide_x = -wide_x;
    }
    gdi_point near_shift = {-narrow_x, narrow_y}, far_shift = {wide_x, -wide_y};
    return body_edges{{p.x + near_shift.x, p.y + near_shift.y},
                      {p.x + far_shift.x, p.y + far_shift.y},
                      {q.x + far_shift.x, q.y + far_shift.y},
                      {q.x + near_shift.x, q.y + near_shift.y}};
}

void add_body(gdi_region *outline, POINT p, POINT q, int64_t width, int64_t reach) {
    if (p.y == q.y && p.x == q.x) return; // a point has no body; its caps or joins cover it
    if (p.y == q.y) {
        gdi_region_add_rect(outline, std::min(p.x, q.x), p.y - reach, std::max(p.x, q.x),
                            p.y - reach + width);
        return;
    }
    if (p.x == q.x) {
        gdi_region_add_rect(outline, p.x - reach, std::min(p.y, q.y), p.x - reach + width,
                            std::max(p.y, q.y));
        return;
    }
    body_edges body = sloped_body(p, q, width);
    const gdi_point corners[4] = {body.near_from, body.far_from, body.far_to, body.near_to};
    if (gdi_convex_region(outline, corners, 4)) return;
    gdi_polygon_region(outline, corners, 4, GDI_ALTERNATE);
}

bool same_point(POINT a, POINT b) {
    return a.x == b.x && a.y == b.y;
}

} // namespace

void gdi_wide_outline(gdi_region *outline, int64_t width, const POINT *points, int count,
                      bool close) {
    // Repeated points at the ends are dropped, as long as two points are left.
    while (count > 2 && same_point(points[0], points[1])) {
        points++;
        count--;
    }
    while (count > 2 && same_point(points[count - 1], points[count - 2])) count--;
    if (count < 1) return;
    const pen_disc disc = make_disc(width);
    int segments = close ? count : count - 1;
    for (int i = 0; i < segments; i++)
        add_body(outline, points[i], points[(i + 1) % count], width, disc.reach);
    // Joins round the inner vertices a segment leaves from, and the point a closed path
    // closes at; the open ends of an open path get caps instead.
    for (int i = 1; i < segments; i++)
        if (!same_point(points[i], points[(i + 1) % count])) stamp_disc(outline, disc, points[i]);
    stamp_disc(outline, disc, points[0]);
    if (!close) stamp_disc(outline, disc, points[count - 1]);
}

void gdi_wide_lines(gdi_dc *dc, const POINT *points, int count, bool close, gdi_region *outline) {
    gdi_wide_outline(outline, dc->pen_state.width, points, count, close);
}
