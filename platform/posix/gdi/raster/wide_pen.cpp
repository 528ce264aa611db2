// Strokes of solid pens two pixels wide or more. A stroke is a union of simple pieces: the
// pen's disc on every vertex, and for every segment a band between two copies of the segment
// pushed apart across it. Each piece is added to the outline row by row, only on the rows and
// columns of the surface, so the cost follows what lands on the surface, not the stroke's size.
#include "platform/posix/gdi/raster/gdi_raster.h"

#include <math.h>

#include <vector>

namespace {

// The rows of a pen's disc as insets from both sides of its width x width box, worked out
// once per width and thread: a polyline (or a wide ellipse outline) puts a disc on every
// vertex, and the integer ellipse walk is the same each time.
struct disc_rows {
    int64_t width = 0;
    std::vector<int> insets;
};

const disc_rows &disc_rows_for(int64_t width) {
    static thread_local disc_rows rows;
    if (rows.width != width) {
        rows.width = width;
        rows.insets.assign((size_t)width, 0);
        // Boxes two pixels thin are filled whole: the disc of a 2-pixel pen is a square.
        if (width >= 3) gdi_ellipse_row_insets((int)width, (int)width, rows.insets.data());
    }
    return rows;
}

// Adds the pen's disc centred on (x, y): the interior of the ellipse in the width x width
// box whose top-left corner lies half the width (rounded down) up and left of the centre.
void add_disc(gdi_region *outline, int64_t width, int64_t x, int64_t y) {
    const int64_t left = x - width / 2, top = y - width / 2;
    const gdi_surface *s = outline->clip;
    if (left >= s->width || top >= s->height || left + width <= 0 || top + width <= 0) return;
    if (width > gdi_large_shape) { // no inset table as tall as that: rows from the equation
        gdi_ellipse_region(outline, left, top, left + width, top + width);
        return;
    }
    const int *insets = disc_rows_for(width).insets.data();
    int64_t first = top < 0 ? -top : 0;
    int64_t last = top + width > s->height ? s->height - top : width;
    for (int64_t r = first; r < last; r++)
        gdi_region_add_span(outline, top + r, left + insets[r], left + width - insets[r]);
}

// floor(width * along / sqrt(length2)), exactly: the largest j with j² · length2 <= (width ·
// along)². along <= sqrt(length2), so j <= width; both sides stay below 2^127 for any pen
// width and any difference of two 32-bit coordinates.
int64_t exact_reach(int64_t width, int64_t along, int64_t dx, int64_t dy) {
    typedef unsigned __int128 u128;
    const u128 length2 = (u128)(dx * (__int128)dx) + (u128)(dy * (__int128)dy);
    const u128 target = (u128)width * (u128)along * (u128)width * (u128)along;
    // A double's guess is off by a step at most; the exact comparisons settle it.
    double estimate = (double)width * (double)along / sqrt((double)dx * dx + (double)dy * dy);
    int64_t j = (int64_t)estimate;
    j = j < 0 ? 0 : j > width ? width : j;
    auto fits = [&](int64_t k) { return (u128)k * (u128)k * length2 <= target; };
    while (j > 0 && !fits(j)) j--;
    while (j < width && fits(j + 1)) j++;
    return j;
}

// Adds the band a segment from p to q covers, between its two end points.
void add_body(gdi_region *outline, int64_t width, POINT p, POINT q) {
    const int64_t dx = (int64_t)q.x - p.x, dy = (int64_t)q.y - p.y;
    const int64_t above = width / 2; // rows (or columns) of the pen before the line's own
    if (dy == 0) {
        int64_t from = p.x < q.x ? p.x : q.x, to = p.x < q.x ? q.x : p.x;
        gdi_region_add_rect(outline, from, p.y - above, to, p.y - above + width);
        return;
    }
    if (dx == 0) {
        int64_t from = p.y < q.y ? p.y : q.y, to = p.y < q.y ? q.y : p.y;
        gdi_region_add_rect(outline, p.x - above, from, p.x - above + width, to);
        return;
    }
    // The pen's reach across the line, along x and along y, as whole pixels rounded down.
    // Half of it, rounded half away from zero, is (reach + 1) / 2; rounded down, reach / 2.
    const int64_t reach_x = exact_reach(width, dy < 0 ? -dy : dy, dx, dy);
    const int64_t reach_y = exact_reach(width, dx < 0 ? -dx : dx, dx, dy);
    // Going towards smaller x across a line that falls to the right (dx·dy > 0, y down)
    // means going down; across one that rises, going up.
    const int64_t down = (dx > 0) == (dy > 0) ? 1 : -1;
    const int64_t near_x = -((reach_x + 1) / 2), near_y = down * ((reach_y + 1) / 2);
    const int64_t far_x = reach_x / 2 + 1, far_y = -down * (reach_y / 2 + 1);
    const gdi_point band[4] = {{p.x + near_x, p.y + near_y},
                               {q.x + near_x, q.y + near_y},
                               {q.x + far_x, q.y + far_y},
                               {p.x + far_x, p.y + far_y}};
    // The two copies are parallel, so the band is convex; a band too thin to have an
    // inside goes through the general walk, which gives its rows whatever they hold.
    if (!gdi_convex_region(outline, band, 4)) gdi_polygon_region(outline, band, 4, GDI_ALTERNATE);
}

bool same_point(POINT a, POINT b) {
    return a.x == b.x && a.y == b.y;
}

} // namespace

void gdi_wide_outline(gdi_region *outline, int64_t width, const POINT *points, int count,
                      bool close) {
    if (count <= 0 || width < 1) return;
    // A point repeated at once adds nothing: its disc is already there and its segment has
    // no length. Closing onto a first point equal to the last adds nothing either.
    POINT last = points[0];
    add_disc(outline, width, last.x, last.y);
    for (int i = 1; i < count; i++) {
        const POINT next = points[i];
        if (same_point(next, last)) continue;
        add_body(outline, width, last, next);
        add_disc(outline, width, next.x, next.y);
        last = next;
    }
    if (close && !same_point(last, points[0])) add_body(outline, width, last, points[0]);
}

void gdi_wide_lines(gdi_dc *dc, const POINT *points, int count, bool close, gdi_region *outline) {
    if (outline) {
        gdi_wide_outline(outline, dc->pen_state.width, points, count, close);
        return;
    }
    gdi_region painting; // called on its own: paint as the pieces are found
    gdi_region_init_painting(&painting, &dc->surface, dc->pen_state.pixel);
    gdi_wide_outline(&painting, dc->pen_state.width, points, count, close);
}
