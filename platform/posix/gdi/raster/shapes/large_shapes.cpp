// Ellipses, arcs and pies too large for point lists: every row of the surface that the
// shape crosses is worked out from the ellipse equation, so the cost follows the surface,
// never the shape. The pixels agree with the exact rasterizer to within a pixel along the
// outline; dashed pens draw solid here.
#include "platform/posix/gdi/raster/gdi_raster.h"

#include <algorithm>
#include <math.h>

namespace {

// The ellipse through the pixel centres of a box, in long double: centre and semi-axes.
struct gdi_conic {
    long double cx, cy, rx, ry;
};

// A pixel is inside when its centre lies within the ellipse through the outermost pixel
// centres grown by half a pixel: the pixels nearest to the curve belong to the shape.
gdi_conic gdi_conic_of(const gdi_box &box) {
    long double w = (long double)(box.right - box.left), h = (long double)(box.bottom - box.top);
    return gdi_conic{box.left + (w - 1) / 2, box.top + (h - 1) / 2, w / 2, h / 2};
}

// The centre radials start from: the middle pixel of the box, as for exact arcs.
gdi_conic gdi_radial_centre(const gdi_box &box) {
    return gdi_conic{(long double)(box.left + (box.right - box.left) / 2),
                     (long double)(box.top + (box.bottom - box.top) / 2), 0, 0};
}

// The pixels of row y inside the ellipse, as [*left, *right); false if none.
bool gdi_conic_row(const gdi_conic &c, int64_t y, int64_t *left, int64_t *right) {
    if (c.rx < 0 || c.ry <= 0) return false;
    long double t = ((long double)y - c.cy) / c.ry;
    long double room = 1 - t * t;
    if (room < 0) return false;
    long double half = c.rx * sqrtl(room);
    *left = (int64_t)ceill(c.cx - half);
    *right = (int64_t)floorl(c.cx + half) + 1;
    return *left < *right;
}

// The box grown (or shrunk, for negative amounts) by `before` at the left and top and
// `after` at the right and bottom.
gdi_box gdi_grow(const gdi_box &box, int64_t before, int64_t after) {
    return gdi_box{box.left - before, box.top - before, box.right + after, box.bottom + after};
}

// Which side of the ray `a` the point `v` lies on: positive when counter-clockwise of it
// (both with y pointing up).
long double gdi_cross(long double ax, long double ay, long double vx, long double vy) {
    return ax * vy - ay * vx;
}

// The counter-clockwise sector from radial s to radial e (y pointing down, as given).
struct gdi_sector {
    long double sx, sy, ex, ey;
    bool full, wide; // the whole turn; more than half a turn
};

gdi_sector gdi_sector_of(int64_t sx, int64_t sy, int64_t ex, int64_t ey) {
    gdi_sector s = {
        (long double)sx, -(long double)sy, (long double)ex, -(long double)ey, false, false};
    long double turn = gdi_cross(s.sx, s.sy, s.ex, s.ey);
    long double along = s.sx * s.ex + s.sy * s.ey;
    s.full = turn == 0 && along >= 0; // coinciding directions draw the whole ellipse
    s.wide = turn < 0;
    return s;
}

bool gdi_in_sector(const gdi_sector &s, long double vx, long double vy) {
    if (s.full) return true;
    long double from_start = gdi_cross(s.sx, s.sy, vx, vy);
    long double to_end = gdi_cross(vx, vy, s.ex, s.ey);
    if (s.wide) return !(from_start < 0 && to_end < 0);
    return from_start >= 0 && to_end >= 0;
}

// Adds the pixels of row y in [left, right) that lie in the sector around `centre`.
void gdi_add_sector_span(gdi_region *region, const gdi_sector &s, const gdi_conic &c, int64_t y,
                         int64_t left, int64_t right) {
    left = std::max<int64_t>(left, 0);
    right = std::min<int64_t>(right, region->clip->width);
    if (s.full) {
        gdi_region_add_span(region, y, left, right);
        return;
    }
    long double vy = c.cy - (long double)y;
    int64_t run = -1;
    for (int64_t x = left; x <= right; x++) {
        bool inside = x < right && gdi_in_sector(s, (long double)x - c.cx, vy);
        if (inside && run < 0) run = x;
        if (!inside && run >= 0) {
            gdi_region_add_span(region, y, run, x);
            run = -1;
        }
    }
}

// Adds, for every visible row, the part of the `outer` ellipse outside the `inner` one,
// restricted to the sector.
void gdi_add_ring(gdi_region *region, const gdi_box &outer, const gdi_box &inner,
                  const gdi_sector &s) {
    gdi_conic o = gdi_conic_of(outer), i = gdi_conic_of(inner), centre = gdi_radial_centre(outer);
    int64_t top = std::max<int64_t>(outer.top, 0);
    int64_t bottom = std::min<int64_t>(outer.bottom, region->clip->height);
    for (int64_t y = top; y < bottom; y++) {
        int64_t ol, orr, il, ir;
        if (!gdi_conic_row(o, y, &ol, &orr)) continue;
        if (inner.left >= inner.right || !gdi_conic_row(i, y, &il, &ir)) il = ir = orr;
        gdi_add_sector_span(region, s, centre, y, ol, std::min(il, orr));
        gdi_add_sector_span(region, s, centre, y, std::max(ir, ol), orr);
    }
}

// Adds the interior of the ellipse in `box` within the sector.
void gdi_add_wedge(gdi_region *region, const gdi_box &box, const gdi_sector &s) {
    gdi_conic c = gdi_conic_of(box);
    int64_t top = std::max<int64_t>(box.top, 0);
    int64_t bottom = std::min<int64_t>(box.bottom, region->clip->height);
    for (int64_t y = top; y < bottom; y++) {
        int64_t left, right;
        if (gdi_conic_row(c, y, &left, &right))
            gdi_add_sector_span(region, s, gdi_radial_centre(box), y, left, right);
    }
}

// The outline ring of the pen around the ellipse in `box`, painted with the pen.
void gdi_paint_ring(gdi_dc *dc, const gdi_box &box, const gdi_sector &s) {
    int64_t width = dc->pen_state.width;
    if (width == 0) return;
    gdi_region ring;
    gdi_region_init(&ring, &dc->surface);
    // Thin pens run along the box's edge pixels; wide ones are centred on them.
    gdi_box outer = gdi_grow(box, width / 2, width / 2);
    gdi_box inner = gdi_grow(outer, -width, -width);
    gdi_add_ring(&ring, outer, inner, s);
    gdi_region_paint(dc, &ring, dc->pen_state.pixel);
}

// The point where a radial (relative to the centre) leaves the ellipse.
POINT gdi_radial_end(const gdi_conic &c, int64_t x, int64_t y) {
    long double nx = (long double)x / std::max(c.rx, 0.5L),
                ny = (long double)y / std::max(c.ry, 0.5L);
    long double scale = (nx == 0 && ny == 0) ? 0 : 1 / sqrtl(nx * nx + ny * ny);
    long double px = c.cx + x * scale, py = c.cy + y * scale;
    auto clamp = [](long double v) {
        return (LONG)std::min<long double>(std::max<long double>(roundl(v), INT32_MIN), INT32_MAX);
    };
    return POINT{clamp(px), clamp(py)};
}

} // namespace

void gdi_large_ellipse_region(gdi_region *region, const gdi_box &box) {
    gdi_sector whole = gdi_sector_of(1, 0, 1, 0);
    gdi_add_wedge(region, box, whole);
}

void gdi_large_ellipse(gdi_dc *dc, const gdi_box &box) {
    gdi_sector whole = gdi_sector_of(1, 0, 1, 0);
    if (dc->brush->style != GDI_BRUSH_NULL) {
        gdi_region inside;
        gdi_region_init(&inside, &dc->surface);
        gdi_add_wedge(&inside, box, whole);
        gdi_region_paint_brush(dc, &inside, dc->brush);
    }
    gdi_paint_ring(dc, box, whole);
}

void gdi_large_arc(gdi_dc *dc, const gdi_box &box, int64_t sx, int64_t sy, int64_t ex, int64_t ey,
                   bool pie) {
    gdi_sector sector = gdi_sector_of(sx, sy, ex, ey);
    if (pie && dc->brush->style != GDI_BRUSH_NULL) {
        gdi_region inside;
        gdi_region_init(&inside, &dc->surface);
        gdi_add_wedge(&inside, box, sector);
        gdi_region_paint_brush(dc, &inside, dc->brush);
    }
    gdi_paint_ring(dc, box, sector);
    if (!pie) return;
    gdi_conic c = gdi_conic_of(box);
    POINT centre = {(LONG)(box.left + (box.right - box.left) / 2),
                    (LONG)(box.top + (box.bottom - box.top) / 2)};
    POINT radii[3] = {gdi_radial_end(c, ex, ey), centre, gdi_radial_end(c, sx, sy)};
    gdi_draw_path(dc, radii, 3, false);
}
