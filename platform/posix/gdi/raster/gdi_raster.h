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

// The pixels of the upper-right quarter of the ellipse inscribed in a width x height box
// (the walk of shapes/ellipse_quadrant.h), from the right end of its middle row up to its top
// row: x counted from the box's left column, y upwards from its bottom row. Returns the count;
// `pixels` needs room for gdi_ellipse_quarter_room(width, height).
int gdi_ellipse_quarter(int width, int height, POINT *pixels);
// Each pixel is one step in or up (or both) from the one before.
inline int gdi_ellipse_quarter_room(int width, int height) {
    return width / 2 + height / 2 + 3;
}

// How far in from both sides of the box each of the `height` rows of the ellipse's interior
// starts, from the top row down; `width` for rows left empty. Boxes of at least 3 x 3.
void gdi_ellipse_row_insets(int width, int height, int *insets);

// Adds the interior of the ellipse inscribed in [left, right) x [top, bottom): each row
// from left + inset to right - inset. Boxes two pixels thin or less are filled whole.
void gdi_ellipse_region(gdi_region *region, int64_t left, int64_t top, int64_t right,
                        int64_t bottom);
// Paints the same interior in one colour straight onto the surface.
void gdi_ellipse_fill(const gdi_surface *s, int left, int top, int right, int bottom,
                      uint32_t pixel);

// Above this box size in either direction shapes are rasterized analytically instead of
// through point lists (which would need memory in proportion to the size).
constexpr int64_t gdi_large_shape = 1 << 16;

// ---- Shape boxes (rectangle.cpp) ----

// A bounding box in 64 bits: the sums and differences of Win32 ints never overflow.
struct gdi_box {
    int64_t left, top, right, bottom; // right and bottom excluded
};

// The box whose edge pixels Rectangle, Ellipse, Arc and Pie run their outline through: the
// corners in order, pulled in for PS_INSIDEFRAME so that the pen stays inside the box given.
// A pen wider than the box makes its edges cross (right <= left or bottom <= top); each shape
// says what it draws then. False for a box with no pixel: nothing is drawn, the call succeeds.
bool gdi_pen_box(const gdi_dc *dc, int left, int top, int right, int bottom, gdi_box *box);

// The closed outline of the ellipse in `box`, counter-clockwise on screen from the right end
// of its middle row (raster_ellipse.cpp); each quarter lists all its pixels, so a pixel on a
// mirror line may follow itself. `quarter_starts[q]` is the index where quarter q (0 upper right, 1
// upper left, 2 lower left, 3 lower right) begins; quarter_starts[4] is the size.
void gdi_ellipse_outline(const gdi_box &box, std::vector<POINT> *outline, int quarter_starts[5]);

// The analytic fallbacks for shapes beyond gdi_large_shape (large_shapes.cpp): the same
// outline-over-fill rules, computed per surface row instead of from point lists.
void gdi_large_ellipse(gdi_dc *dc, const gdi_box &box);
// Adds the interior of the ellipse in `box`, computed per visible row.
void gdi_large_ellipse_region(gdi_region *region, const gdi_box &box);
// (sx, sy) and (ex, ey): the radial points relative to the box centre.
void gdi_large_arc(gdi_dc *dc, const gdi_box &box, int64_t sx, int64_t sy, int64_t ex, int64_t ey,
                   bool pie);

// ---- Pens (pen_setup.cpp, paths.cpp, raster_line.cpp, wide_paths.cpp) ----

// Every dash pattern repeats within 24 pixels; `gdi_pen_state::dashes` holds one period.
constexpr uint32_t gdi_dash_period = 24;

// From pixel `phase` of the period on: how many pixels stay ink (or stay gap), counting no
// further than the period's end, and in `ink` which of the two they are.
inline int gdi_dash_run(uint32_t dashes, uint32_t phase, bool *ink) {
    uint32_t ahead = dashes >> phase;
    *ink = (ahead & 1) != 0;
    uint32_t turns = (*ink ? ~ahead : ahead) | (1u << (gdi_dash_period - phase));
    return __builtin_ctz(turns);
}

// Moves `phase` on by `pixels` along the period.
inline uint32_t gdi_dash_advance(uint32_t phase, uint64_t pixels) {
    return (uint32_t)((phase + pixels % gdi_dash_period) % gdi_dash_period);
}

// One-pixel lines from p to q, q left out (raster_line.cpp). The dashed one starts at
// `*phase` of the pen's pattern and moves it on by the line's length along its major axis.
void gdi_solid_step(gdi_dc *dc, POINT p, POINT q);
void gdi_dashed_line(gdi_dc *dc, POINT p, POINT q, uint32_t *phase);

// Adds what a solid pen `width` pixels across (at least 2) covers along a path: the pen's
// disc around every vertex and the band of every segment between two different vertices,
// the closing one too when `closed`.
void gdi_wide_path(gdi_region *region, int64_t width, const POINT *points, int count, bool closed);

// Draws a path with the selected pen; a dash pattern starts afresh at its first point. What
// every outline, LineTo and shape alike, is drawn with.
void gdi_draw_path(gdi_dc *dc, const POINT *points, int count, bool closed);

// The pixel for gaps of dashed pens and hatches, or nothing when the mode is TRANSPARENT.
inline bool gdi_gap_pixel(const gdi_dc *dc, uint32_t *pixel) {
    *pixel = gdi_pixel_from_colour(dc->bk_colour);
    return dc->bk_mode != TRANSPARENT;
}

#endif
