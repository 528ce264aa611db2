// One-pixel lines, solid and dashed: Win32's Bresenham variant, clipped analytically so
// that a line of any length costs only the pixels that land on the surface. The clip is exact
// for every pair of 32-bit points: extents reach 2^32, so products of two are taken in 128 bits.
// Past 2^28 the reference GDI bends such lines off their end points; we keep them exact.
#include "platform/posix/gdi/raster/gdi_raster.h"

#include <algorithm>
#include <stdlib.h>

namespace {

// Wide enough for twice an extent times an extent (2^66) with room to add and round.
__extension__ typedef __int128 gdi_wide;

// num / den for positive operands. A 128-bit division is a slow library call, and nearly every
// line's terms fit in 64 bits, so those divide natively.
gdi_wide gdi_quotient(gdi_wide num, gdi_wide den) {
    if (num <= INT64_MAX && den <= INT64_MAX) return (int64_t)num / (int64_t)den;
    return num / den;
}

// A sloped line in major/minor axis terms. Pixel k (0 <= k < d_major; the end point is
// excluded) sits k steps along the major axis and n(k) steps along the minor one.
struct gdi_bresenham {
    bool x_major;
    int64_t major0, minor0;   // the start point
    int major_inc, minor_inc; // +1 or -1
    int64_t d_major, d_minor; // absolute extents, d_major > 0
    int bias;
};

// Win32's tie-breaking: numbering the octants 1..8 clockwise from the +x axis (y pointing
// down), octants 3, 5, 6 and 8 round their midpoint decisions the other way (bias 1).
int gdi_line_bias(int64_t dx, int64_t dy) {
    bool x_major = llabs(dx) > llabs(dy);             // a 45-degree line counts as y-major
    if (dy > 0) return (dx <= 0 && !x_major) ? 1 : 0; // octant 3
    if (dx < 0) return 1;                             // octants 5 and 6
    return x_major ? 1 : 0;                           // octant 8 (7 has none)
}

gdi_bresenham gdi_line_setup(POINT p, POINT q) {
    int64_t dx = (int64_t)q.x - p.x, dy = (int64_t)q.y - p.y;
    gdi_bresenham b;
    b.x_major = llabs(dx) > llabs(dy);
    b.bias = gdi_line_bias(dx, dy);
    b.major0 = b.x_major ? p.x : p.y;
    b.minor0 = b.x_major ? p.y : p.x;
    b.d_major = llabs(b.x_major ? dx : dy);
    b.d_minor = llabs(b.x_major ? dy : dx);
    b.major_inc = (b.x_major ? dx : dy) < 0 ? -1 : 1;
    b.minor_inc = (b.x_major ? dy : dx) < 0 ? -1 : 1;
    return b;
}

// n(k) = ceil((2 k d_minor + bias - d_major) / (2 d_major)): how many minor steps the
// midpoint rule has taken by pixel k, that is k d_minor / d_major rounded to the nearest
// integer, halves rounding up when bias is 1 and down when it is 0.
int64_t gdi_line_minor_steps(const gdi_bresenham &b, int64_t k) {
    gdi_wide twice_major = (gdi_wide)2 * b.d_major;
    gdi_wide a = (gdi_wide)2 * k * b.d_minor + b.bias - b.d_major;
    return a <= 0 ? 0 : (int64_t)gdi_quotient(a + twice_major - 1, twice_major);
}

// The pixel indices [first, last] that fall in [lo, hi] along an axis moving by `inc` per
// index from `origin`, given as offsets: origin + inc * offset in [lo, hi].
void gdi_axis_range(int64_t origin, int inc, int64_t lo, int64_t hi, int64_t *first,
                    int64_t *last) {
    *first = inc > 0 ? lo - origin : origin - hi;
    *last = inc > 0 ? hi - origin : origin - lo;
}

// Clips a sloped line to the surface: the pixel index range [*k0, *k1]; false if empty.
bool gdi_line_clip(const gdi_bresenham &b, const gdi_surface *s, int64_t *k0, int64_t *k1) {
    int64_t major_hi = (b.x_major ? s->width : s->height) - 1;
    int64_t minor_hi = (b.x_major ? s->height : s->width) - 1;
    int64_t first, last, n_lo, n_hi;
    gdi_axis_range(b.major0, b.major_inc, 0, major_hi, &first, &last);
    *k0 = std::max<int64_t>(first, 0);
    *k1 = std::min<int64_t>(last, b.d_major - 1);
    gdi_axis_range(b.minor0, b.minor_inc, 0, minor_hi, &n_lo, &n_hi);
    if (n_hi < 0) return false;
    // The first pixel with n(k) >= n_lo and the last with n(k) <= n_hi (n is monotonic).
    // Both numerators are positive, so the divisions round down as the inequalities need.
    gdi_wide twice_major = (gdi_wide)2 * b.d_major, twice_minor = (gdi_wide)2 * b.d_minor;
    if (n_lo >= 1) {
        gdi_wide first_in =
            gdi_quotient(twice_major * (n_lo - 1) + b.d_major - b.bias, twice_minor) + 1;
        if (first_in > *k1) return false;
        *k0 = std::max(*k0, (int64_t)first_in);
    }
    // n(k) never passes d_minor, so a line whose minor range ends on the surface needs no
    // division there (most lines: a division costs more than their pixels).
    if (n_hi < b.d_minor) {
        gdi_wide last_in = gdi_quotient(twice_major * n_hi + b.d_major - b.bias, twice_minor);
        if (last_in < *k1) *k1 = (int64_t)last_in;
    }
    return *k0 <= *k1;
}

// Walks pixels k0..k1 of a sloped line, calling plot(pointer) for each; plot is inlined.
template <typename Plot>
void gdi_line_walk(const gdi_bresenham &b, const gdi_surface *s, int64_t k0, int64_t k1,
                   Plot plot) {
    int64_t n = gdi_line_minor_steps(b, k0);
    int64_t major = b.major0 + k0 * b.major_inc, minor = b.minor0 + n * b.minor_inc;
    // The decision term at pixel k0; it stays within a few extents, though its parts do not.
    int64_t err =
        (int64_t)((gdi_wide)2 * (k0 + 1) * b.d_minor - b.d_major - (gdi_wide)2 * n * b.d_major);
    int64_t x = b.x_major ? major : minor, y = b.x_major ? minor : major;
    ptrdiff_t x_step = b.x_major ? b.major_inc : b.minor_inc;
    ptrdiff_t y_step = (ptrdiff_t)(b.x_major ? b.minor_inc : b.major_inc) * s->stride;
    ptrdiff_t major_step = b.x_major ? x_step : y_step;
    ptrdiff_t minor_step = b.x_major ? y_step : x_step;
    uint32_t *p = gdi_row(s, (int)y) + x;
    for (int64_t k = k0;; k++) {
        plot(p);
        if (k == k1) break; // never step the pointer off the surface
        if (err + b.bias > 0) {
            p += minor_step;
            err += 2 * b.d_minor - 2 * b.d_major;
        } else {
            err += 2 * b.d_minor;
        }
        p += major_step;
    }
}

// Pixels of an axis-aligned line from `start` towards `end` (excluded), as the range of
// coordinates [lo, hi] along its axis.
void gdi_axis_line_range(int64_t start, int64_t end, int64_t *lo, int64_t *hi) {
    // Going forwards the run is [start, end); going backwards it is (end, start].
    *lo = start <= end ? start : end + 1;
    *hi = start <= end ? end - 1 : start;
}

// An axis-aligned solid line: one clipped span of a row or a column.
void gdi_solid_axis_line(gdi_dc *dc, POINT p, POINT q) {
    const gdi_surface *s = &dc->surface;
    bool horizontal = p.y == q.y;
    int64_t lo, hi;
    gdi_axis_line_range(horizontal ? p.x : p.y, horizontal ? q.x : q.y, &lo, &hi);
    int64_t across = horizontal ? p.y : p.x;
    if (across < 0 || across >= (horizontal ? s->height : s->width)) return;
    lo = std::max<int64_t>(lo, 0);
    hi = std::min<int64_t>(hi, (horizontal ? s->width : s->height) - 1);
    if (lo > hi) return;
    uint32_t pixel = dc->pen_state.pixel;
    if (horizontal) {
        gdi_fill_span(s, (int)across, (int)lo, (int)hi + 1, pixel);
        return;
    }
    // A column is one store a row: a fill of one-pixel rows would set up a run for each.
    uint32_t *at = gdi_row(s, (int)lo) + across;
    for (int64_t y = lo; y <= hi; y++, at += s->stride) *at = pixel;
}

void gdi_solid_line(gdi_dc *dc, POINT p, POINT q) {
    if (p.y == q.y || p.x == q.x) {
        gdi_solid_axis_line(dc, p, q);
        return;
    }
    uint32_t pixel = dc->pen_state.pixel;
    gdi_bresenham b = gdi_line_setup(p, q);
    int64_t k0, k1;
    if (!gdi_line_clip(b, &dc->surface, &k0, &k1)) return;
    gdi_line_walk(b, &dc->surface, k0, k1, [pixel](uint32_t *at) { *at = pixel; });
}

// A dashed run along one axis: pixels 0 .. count - 1 from the start, of which [first, last]
// are on the surface; `at_index(i)` is the address of pixel i. Pixel i lies i pixels further into
// the pattern than `*phase`, which moves on by the whole run.
template <typename Address>
void gdi_dashed_run(gdi_dc *dc, uint32_t *phase, int64_t count, int64_t first, int64_t last,
                    Address at_index) {
    const gdi_pen_state *pen = &dc->pen_state;
    uint32_t gap;
    bool draw_gaps = gdi_gap_pixel(dc, &gap);
    if (first <= last) {
        uint32_t at = gdi_dash_advance(*phase, (uint64_t)first);
        for (int64_t i = first; i <= last;) {
            bool dash;
            int64_t run = std::min<int64_t>(gdi_dash_run(pen->dashes, at, &dash), last - i + 1);
            if (dash || draw_gaps) {
                uint32_t pixel = dash ? pen->pixel : gap;
                for (int64_t j = 0; j < run; j++) *at_index(i + j) = pixel;
            }
            at = gdi_dash_advance(at, (uint64_t)run);
            i += run;
        }
    }
    *phase = gdi_dash_advance(*phase, (uint64_t)count);
}

void gdi_dashed_axis_line(gdi_dc *dc, POINT p, POINT q, uint32_t *phase) {
    const gdi_surface *s = &dc->surface;
    bool horizontal = p.y == q.y;
    int64_t from = horizontal ? p.x : p.y, to = horizontal ? q.x : q.y;
    int64_t across = horizontal ? p.y : p.x;
    int inc = from <= to ? 1 : -1;
    int64_t count = llabs(to - from);
    int64_t limit = (horizontal ? s->width : s->height) - 1;
    int64_t first = 0, last = -1;
    if (across >= 0 && across < (horizontal ? s->height : s->width)) {
        gdi_axis_range(from, inc, 0, limit, &first, &last);
        first = std::max<int64_t>(first, 0);
        last = std::min<int64_t>(last, count - 1);
    }
    if (horizontal)
        gdi_dashed_run(dc, phase, count, first, last,
                       [&](int64_t i) { return gdi_row(s, (int)across) + (from + inc * i); });
    else
        gdi_dashed_run(dc, phase, count, first, last,
                       [&](int64_t i) { return gdi_row(s, (int)(from + inc * i)) + across; });
}

} // namespace

void gdi_dashed_line(gdi_dc *dc, POINT p, POINT q, uint32_t *phase) {
    if (p.y == q.y || p.x == q.x) {
        gdi_dashed_axis_line(dc, p, q, phase);
        return;
    }
    const gdi_pen_state *pen = &dc->pen_state;
    gdi_bresenham b = gdi_line_setup(p, q);
    int64_t k0, k1;
    uint32_t gap;
    bool draw_gaps = gdi_gap_pixel(dc, &gap);
    if (gdi_line_clip(b, &dc->surface, &k0, &k1)) {
        const uint32_t dashes = pen->dashes;
        uint32_t at = gdi_dash_advance(*phase, (uint64_t)k0);
        bool dash;
        int left = gdi_dash_run(dashes, at, &dash);
        // Read once: a store through `pixel` could otherwise be the pen's colour itself.
        const uint32_t ink = pen->pixel;
        gdi_line_walk(b, &dc->surface, k0, k1, [&](uint32_t *pixel) {
            if (dash || draw_gaps) *pixel = dash ? ink : gap;
            at++;
            if (--left == 0) { // a run never reaches past the period's end
                if (at == gdi_dash_period) at = 0;
                left = gdi_dash_run(dashes, at, &dash);
            }
        });
    }
    *phase = gdi_dash_advance(*phase, (uint64_t)b.d_major);
}

// A segment to a neighbouring pixel covers just its start, since the end is left out: the
// outlines of ellipses and arcs are made of nothing else, so they skip the line set-up.
void gdi_solid_step(gdi_dc *dc, POINT p, POINT q) {
    int64_t dx = (int64_t)q.x - p.x, dy = (int64_t)q.y - p.y;
    if (dx < -1 || dx > 1 || dy < -1 || dy > 1) {
        gdi_solid_line(dc, p, q);
        return;
    }
    const gdi_surface *s = &dc->surface;
    if ((dx | dy) != 0 && p.x >= 0 && p.x < s->width && p.y >= 0 && p.y < s->height)
        gdi_row(s, (int)p.y)[p.x] = dc->pen_state.pixel;
}
