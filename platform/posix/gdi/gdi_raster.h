// The rasterizer's own interfaces: span regions, pens drawing polylines, dash positions,
// polygon and ellipse scan conversion. Used by the drawing operations in gdi/.
#ifndef ZELVAN_GDI_RASTER_H
#define ZELVAN_GDI_RASTER_H

#include "platform/posix/gdi/gdi_internal.h"

#include <vector>

// ---- Regions (region.cpp): sets of pixels kept as horizontal spans ----

struct gdi_span {
    int y;
    int left;
    int right; // exclusive
};

// A region already clipped to the surface it will be painted on. Spans may overlap; every
// painter writes one colour or one brush, so painting an overlap twice changes nothing.
struct gdi_region {
    const gdi_surface *clip;
    std::vector<gdi_span> spans;
    // Set when the region would be painted in one colour as soon as it is complete (a wide
    // pen's outline): each span is then painted as it is added and none is kept.
    bool paints_at_once;
    uint32_t pixel;
};

void gdi_region_init(gdi_region *region, const gdi_surface *clip);
// A region whose spans are painted on `clip` in `pixel` as they are added.
void gdi_region_init_painting(gdi_region *region, const gdi_surface *clip, uint32_t pixel);
// Adds [left, right) of row y, clipped to the surface. Inline: shapes add a span per row.
inline void gdi_region_add_span(gdi_region *region, int64_t y, int64_t left, int64_t right) {
    const gdi_surface *s = region->clip;
    if (y < 0 || y >= s->height) return;
    left = left > 0 ? left : 0;
    right = right < s->width ? right : s->width;
    if (left >= right) return;
    if (__builtin_expect(!region->paints_at_once, 1)) { // the filled shapes, span per row
        region->spans.push_back(gdi_span{(int)y, (int)left, (int)right});
        return;
    }
    // A wide pen's rows are a few pixels long: a plain loop beats the call and block set-up.
    if (right - left > 8) {
        gdi_fill_span(s, (int)y, (int)left, (int)right, region->pixel);
        return;
    }
    uint32_t *row = gdi_row(s, (int)y);
    for (int64_t x = left; x < right; x++) row[x] = region->pixel;
}
// Adds the rectangle [left, right) x [top, bottom), clipped to the surface.
void gdi_region_add_rect(gdi_region *region, int64_t left, int64_t top, int64_t right,
                         int64_t bottom);
// Adds the same spans again moved by (dx, dy): how a round cap or join is stamped.
void gdi_region_add_moved(gdi_region *region, const std::vector<gdi_span> &shape, int64_t dx,
                          int64_t dy);
void gdi_region_paint(const gdi_dc *dc, const gdi_region *region, uint32_t pixel);
void gdi_region_paint_brush(const gdi_dc *dc, const gdi_region *region, const gdi_brush *brush);

// ---- Scan conversion (polygon.cpp, ellipse_points.cpp) ----

enum gdi_fill_mode { GDI_ALTERNATE, GDI_WINDING };

// A vertex in 64 bits: wide pens put corners beyond the reach of a POINT.
struct gdi_point {
    int64_t x, y;
};

// Adds the interior of a polygon: rows from the top vertex down to, not including, the
// bottom one; on each row from the left edge up to, not including, the right edge.
void gdi_polygon_region(gdi_region *region, const gdi_point *points, int count, gdi_fill_mode mode);
// The same pixels for a convex outline of up to 8 points, in either fill mode, walking two
// edges per row instead of a sorted edge list. False (nothing added) for any other outline.
bool gdi_convex_region(gdi_region *region, const gdi_point *points, int count);

// The points of the first quadrant of a width x height ellipse, relative to its box,
// counter-clockwise from the x axis (Alois Zingl's integer ellipse). Returns the count;
// `points` needs room for (width + height) / 2 + 2 entries.
int gdi_ellipse_quadrant(int width, int height, POINT *points);

// Adds the interior of the ellipse inscribed in [left, right) x [top, bottom): each row
// from left + x to right - x, the same spans CreateEllipticRgn gives for that box.
void gdi_ellipse_region(gdi_region *region, int left, int top, int right, int bottom);
// Paints the same interior in one colour straight onto the surface (width, height >= 2).
void gdi_ellipse_fill(const gdi_surface *s, int left, int top, int right, int bottom,
                      uint32_t pixel);

// Above this box size in either direction shapes are rasterized analytically instead of
// through point lists (which would need memory in proportion to the size).
constexpr int64_t gdi_large_shape = 1 << 16;

// ---- Shape boxes (shapes.cpp) ----

// A bounding box in 64 bits: the sums and differences of Win32 ints never overflow.
struct gdi_box {
    int64_t left, top, right, bottom; // right and bottom excluded
};

// The box a pen outlines for Rectangle, Ellipse, Arc and Pie: ordered, shrunk for
// PS_INSIDEFRAME; false when it is empty (nothing is drawn, and the call succeeds).
bool gdi_pen_box(const gdi_dc *dc, int left, int top, int right, int bottom, gdi_box *box);

// The analytic fallbacks for shapes beyond gdi_large_shape (large_shapes.cpp): the same
// outline-over-fill rules, computed per surface row instead of from point lists.
void gdi_large_ellipse(gdi_dc *dc, const gdi_box &box);
// Adds the interior of the ellipse in `box`, computed per visible row.
void gdi_large_ellipse_region(gdi_region *region, const gdi_box &box);
// (sx, sy) and (ex, ey): the radial points relative to the box centre.
void gdi_large_arc(gdi_dc *dc, const gdi_box &box, int64_t sx, int64_t sy, int64_t ex, int64_t ey,
                   bool pie);

// ---- Pens (pen.cpp, raster_line.cpp, wide_pen.cpp) ----

void gdi_dash_reset(gdi_pen_state *pen);
void gdi_dash_skip(gdi_pen_state *pen, uint64_t pixels);

void gdi_null_lines(gdi_dc *dc, const POINT *points, int count, bool close, gdi_region *outline);
void gdi_solid_lines(gdi_dc *dc, const POINT *points, int count, bool close, gdi_region *outline);
void gdi_dashed_lines(gdi_dc *dc, const POINT *points, int count, bool close, gdi_region *outline);
void gdi_wide_lines(gdi_dc *dc, const POINT *points, int count, bool close, gdi_region *outline);

// How the body of each wide segment (a parallelogram) is scan converted: the convex walk
// drawing uses, or the general polygon walk it must always agree with.
enum gdi_body_walk { GDI_BODY_CONVEX, GDI_BODY_POLYGON };
// Adds the outline of a polyline drawn with a solid pen `width` pixels wide (at least 2):
// round caps at open ends, round joins at the vertices.
void gdi_wide_outline(gdi_region *outline, int64_t width, const POINT *points, int count,
                      bool close, gdi_body_walk walk);

// Draws a polyline with the selected pen from the start of its dash pattern: directly for
// thin pens, through a region for wide ones. The common path of every outline.
void gdi_stroke(gdi_dc *dc, const POINT *points, int count, bool close);

// The pixel for gaps of dashed pens and hatches, or nothing when the mode is TRANSPARENT.
inline bool gdi_gap_pixel(const gdi_dc *dc, uint32_t *pixel) {
    *pixel = gdi_pixel_from_colour(dc->bk_colour);
    return dc->bk_mode != TRANSPARENT;
}

#endif
