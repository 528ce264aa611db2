// What a wide solid pen covers along a path. Designed from the pixel rules of the reference
// GDI, which give the covered set: a disc (the ellipse interior of a pen-sized box) around
// every vertex and, along each segment, a band between two copies of the segment moved apart
// by rounded amounts. A sloped band is a parallelogram, here the overlap of two strips: the
// one between its long sides and the one between its short sides, found row by row.
#include "platform/posix/gdi/raster/gdi_raster.h"

#include <algorithm>
#include <math.h>
#include <utility>
#include <vector>

namespace {

__extension__ typedef __int128 wide_int;
__extension__ typedef unsigned __int128 wide_uint;

// ---- Discs ----

// The row insets of the disc of the last width drawn, per thread: a path puts the same disc
// at every vertex, and a program tends to keep its pen.
struct disc_rows {
    int64_t width = 0;
    std::vector<int> insets;
};

const std::vector<int> &disc_insets(int64_t width) {
    static thread_local disc_rows cached;
    if (cached.width != width) {
        cached.insets.resize((size_t)width);
        gdi_ellipse_row_insets((int)width, (int)width, cached.insets.data());
        cached.width = width;
    }
    return cached.insets;
}

void add_disc(gdi_region *region, int64_t width, POINT centre) {
    int64_t left = centre.x - width / 2, top = centre.y - width / 2;
    if (width < 3 || width > gdi_large_shape) { // squares, and discs beyond the walked sizes
        gdi_ellipse_region(region, left, top, left + width, top + width);
        return;
    }
    int64_t first = std::max<int64_t>(top, 0),
            end = std::min<int64_t>(top + width, region->clip->height);
    if (first >= end || left >= region->clip->width || left + width <= 0) return;
    const std::vector<int> &insets = disc_insets(width);
    for (int64_t y = first; y < end; y++) {
        int inset = insets[(size_t)(y - top)];
        gdi_region_add_span(region, y, left + inset, left + width - inset);
    }
}

// ---- Bands ----

// floor(width * across / sqrt(across^2 + along^2)), exactly: how far a pen `width` across
// reaches along one axis from a segment whose extents are `across` on the other axis and
// `along` on this one. A floating-point guess, then put right with whole numbers.
int64_t pen_reach(uint64_t width, uint64_t across, uint64_t along) {
    wide_uint length_sq = (wide_uint)across * across + (wide_uint)along * along;
    wide_uint scaled = (wide_uint)width * across;
    wide_uint scaled_sq = scaled * scaled; // below 2^126: width < 2^31, across < 2^33
    // A double guesses to within one while the product stays within its 53 bits.
    uint64_t reach = scaled < ((wide_uint)1 << 52)
                         ? (uint64_t)((double)scaled / sqrt((double)length_sq))
                         : (uint64_t)((long double)scaled / sqrtl((long double)length_sq));
    while (reach > 0 && (wide_uint)reach * reach * length_sq > scaled_sq) reach--;
    while ((wide_uint)(reach + 1) * (reach + 1) * length_sq <= scaled_sq) reach++;
    return (int64_t)reach;
}

// A line's crossing of one row after another: the first pixel at or right of it. The line
// runs through (x0, y0) with direction (dx, dy), dy > 0.
struct row_crossing {
    int64_t x;     // the first column at or right of the line on the current row
    int64_t slack; // x * dy less the line's exact x * dy: in [0, dy)
    int64_t dy;
    int64_t whole, extra; // per row the line moves dx = whole * dy + extra, 0 <= extra < dy
};

// ceil(moved / dy) for dy > 0; a 128-bit division is a library call, so numbers that fit
// divide natively.
wide_int ceil_quotient(wide_int moved, int64_t dy) {
    if (moved >= INT64_MIN + dy && moved <= INT64_MAX - dy) {
        int64_t m = (int64_t)moved;
        return m >= 0 ? (m + dy - 1) / dy : -((-m) / dy);
    }
    return moved >= 0 ? (moved + dy - 1) / dy : -((-moved) / dy);
}

row_crossing crossing_at(int64_t x0, int64_t y0, int64_t dx, int64_t dy, int64_t row) {
    wide_int moved = (wide_int)(row - y0) * dx; // the line's x on `row`, times dy, less x0 * dy
    wide_int steps = ceil_quotient(moved, dy);
    row_crossing c;
    c.x = x0 + (int64_t)steps;
    c.slack = (int64_t)(steps * dy - moved);
    c.dy = dy;
    c.whole = dx >= 0 ? dx / dy : -((-dx + dy - 1) / dy);
    c.extra = dx - c.whole * dy;
    return c;
}

inline void next_row(row_crossing &c) {
    c.x += c.whole;
    c.slack -= c.extra;
    if (c.slack < 0) {
        c.slack += c.dy;
        c.x++;
    }
}

// One side of the band, from (x0, y0) to (x1, y1), neither row nor column. It bounds the
// band only on the rows between its ends; elsewhere it lies outside, often so far that
// following it would overflow, so it is followed on those rows only.
struct band_side {
    int64_t first_row, end_row; // its rows, cut to those walked
    bool lower;                 // it bounds the left of each row's span, else the right
    row_crossing at;
};

band_side side_between(int64_t x0, int64_t y0, int64_t x1, int64_t y1, bool lower,
                       int64_t walk_first, int64_t walk_end) {
    band_side side;
    side.first_row = std::max(std::min(y0, y1), walk_first);
    side.end_row = std::min(std::max(y0, y1) + 1, walk_end);
    side.lower = lower;
    if (side.first_row < side.end_row) {
        if (y1 < y0) { // turned to run down the screen
            std::swap(x0, x1);
            std::swap(y0, y1);
        }
        side.at = crossing_at(x0, y0, x1 - x0, y1 - y0, side.first_row);
    }
    return side;
}

inline void bound_row(band_side &side, int64_t y, int64_t *lo, int64_t *hi) {
    if (y < side.first_row || y >= side.end_row) return;
    if (side.lower)
        *lo = std::max(*lo, side.at.x);
    else
        *hi = std::min(*hi, side.at.x);
    next_row(side.at);
}

// The band of a segment with neither extent zero: the parallelogram between the segment
// moved towards smaller x by (near_x, near_y) and towards larger x by (far_x, far_y), each
// across the line, filled as the polygon filler does: a pixel is in when the point at its
// top-left corner lies inside, left and top edges included, right and bottom ones not.
void add_sloped_band(gdi_region *region, int64_t width, POINT p, POINT q) {
    int64_t dx = (int64_t)q.x - p.x, dy = (int64_t)q.y - p.y;
    uint64_t span_x = (uint64_t)(dx < 0 ? -dx : dx), span_y = (uint64_t)(dy < 0 ? -dy : dy);
    int64_t reach_x = pen_reach((uint64_t)width, span_y, span_x);
    int64_t reach_y = pen_reach((uint64_t)width, span_x, span_y);
    // Half of each reach: rounded half away from zero towards smaller x, down plus one
    // towards larger x.
    int64_t near_x = (reach_x + 1) / 2, near_y = (reach_y + 1) / 2;
    int64_t far_x = reach_x / 2 + 1, far_y = reach_y / 2 + 1;
    // Moving across a falling line (on screen, y down) towards smaller x moves down.
    int64_t down = (dx > 0) == (dy > 0) ? 1 : -1;
    // The corners: p and q moved towards smaller x (a, c) and towards larger x (b, e).
    int64_t ax = p.x - near_x, ay = p.y + down * near_y, cx = ax + dx, cy = ay + dy;
    int64_t bx = p.x + far_x, by = p.y - down * far_y, ex = bx + dx, ey = by + dy;

    int64_t top = std::min({ay, by, cy, ey}), bottom = std::max({ay, by, cy, ey});
    int64_t first = std::max<int64_t>(top, 0);
    int64_t end = std::min<int64_t>(bottom, region->clip->height);
    if (first >= end) return;
    // The copy towards smaller x is the left side; of the two ends, p's is on the left when
    // the segment runs towards larger x.
    band_side sides[4] = {side_between(ax, ay, cx, cy, true, first, end),
                          side_between(bx, by, ex, ey, false, first, end),
                          side_between(ax, ay, bx, by, dx > 0, first, end),
                          side_between(cx, cy, ex, ey, dx < 0, first, end)};
    auto rows_near_an_end = [&](int64_t from, int64_t to) {
        for (int64_t y = from; y < to; y++) {
            int64_t lo = INT64_MIN, hi = INT64_MAX;
            for (band_side &side : sides) bound_row(side, y, &lo, &hi);
            gdi_region_add_span(region, y, lo, hi);
        }
    };
    // Between the rows of the two short sides only the long ones bound a row: most of a band,
    // walked without looking at the others.
    int64_t upper_end = (dy > 0 ? std::max(ay, by) : std::max(cy, ey)) + 1;
    int64_t lower_first = dy > 0 ? std::min(cy, ey) : std::min(ay, by);
    int64_t middle_first = std::min(std::max(upper_end, first), end);
    int64_t middle_end = std::min(std::max(lower_first, middle_first), end);
    rows_near_an_end(first, middle_first);
    row_crossing &left = sides[0].at, &right = sides[1].at;
    if (region->paints_at_once) { // a wide pen's rows are short: painted here in a plain loop
        const gdi_surface *s = region->clip;
        const uint32_t pixel = region->pixel;
        uint32_t *row = gdi_row(s, (int)middle_first);
        for (int64_t y = middle_first; y < middle_end; y++, row += s->stride) {
            int64_t from = std::max<int64_t>(left.x, 0), to = std::min<int64_t>(right.x, s->width);
            for (int64_t x = from; x < to; x++) row[x] = pixel;
            next_row(left);
            next_row(right);
        }
    } else {
        for (int64_t y = middle_first; y < middle_end; y++) {
            gdi_region_add_span(region, y, left.x, right.x);
            next_row(left);
            next_row(right);
        }
    }
    rows_near_an_end(middle_end, end);
}

// The band of a segment along a row or a column: w rows (or columns) from w / 2 before the
// line, from the segment's smaller end up to its larger one.
void add_straight_band(gdi_region *region, int64_t width, POINT p, POINT q) {
    int64_t lo_x = std::min(p.x, q.x), hi_x = std::max(p.x, q.x);
    int64_t lo_y = std::min(p.y, q.y), hi_y = std::max(p.y, q.y);
    if (p.y == q.y) {
        lo_y = p.y - width / 2;
        hi_y = lo_y + width;
    } else {
        lo_x = p.x - width / 2;
        hi_x = lo_x + width;
    }
    gdi_region_add_rect(region, lo_x, lo_y, hi_x, hi_y);
}

} // namespace

void gdi_wide_path(gdi_region *region, int64_t width, const POINT *points, int count, bool closed) {
    for (int i = 0; i < count; i++) {
        POINT p = points[i];
        // A vertex repeating the one before adds nothing: its disc is there already.
        if (i == 0 || p.x != points[i - 1].x || p.y != points[i - 1].y) add_disc(region, width, p);
        if (i + 1 == count && !closed) break;
        POINT q = points[i + 1 == count ? 0 : i + 1];
        if (p.x == q.x && p.y == q.y) continue;
        if (p.x == q.x || p.y == q.y)
            add_straight_band(region, width, p, q);
        else
            add_sloped_band(region, width, p, q);
    }
}
