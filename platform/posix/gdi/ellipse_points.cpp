// Integer ellipses after Alois Zingl: the outline points of a quadrant, and the spans of
// an ellipse's interior. Both walk the same error term, so outline and fill agree.
#include "platform/posix/gdi/gdi_raster.h"

#include <algorithm>
#include <vector>

namespace {

// The error-term walk of a width x height ellipse, shared by the outline and the fill.
struct gdi_zingl {
    int64_t asq, bsq, dx, dy, err;
};

gdi_zingl gdi_zingl_start(int width, int height) {
    int64_t a = width - 1, b = height - 1;
    gdi_zingl z;
    z.asq = 8 * a * a;
    z.bsq = 8 * b * b;
    z.dx = 4 * b * b * (1 - a);
    z.dy = 4 * a * a * (1 + (b % 2));
    z.err = z.dx + z.dy + a * a * (b % 2);
    return z;
}

// One step: returns whether x moves (by one, inwards) and whether y moves (outwards).
void gdi_zingl_step(gdi_zingl &z, bool *x_moves, bool *y_moves) {
    int64_t e2 = 2 * z.err;
    *x_moves = e2 >= z.dx;
    *y_moves = e2 <= z.dy;
    if (*x_moves) {
        z.dx += z.bsq;
        z.err += z.dx;
    }
    if (*y_moves) {
        z.dy += z.asq;
        z.err += z.dy;
    }
}

} // namespace

int gdi_ellipse_quadrant(int width, int height, POINT *points) {
    gdi_zingl z = gdi_zingl_start(width, height);
    POINT p = {width - 1, height / 2}; // from the right end of the middle row
    int count = 0;
    while (p.x >= width / 2) {
        points[count++] = p;
        bool x_moves, y_moves;
        gdi_zingl_step(z, &x_moves, &y_moves);
        if (x_moves) p.x--;
        if (y_moves) p.y++;
    }
    return count;
}

// The interior runs of the rows of the lower half from the middle row down: row
// height / 2 + i spans [left + inset[i], right - inset[i]).
void gdi_ellipse_insets(int width, int height, std::vector<int> *insets) {
    int half = height / 2, rows = height - half;
    insets->assign(rows, -1);
    gdi_zingl z = gdi_zingl_start(width, height);
    int x = 0, row = 0;
    (*insets)[0] = 0;
    while (x <= width / 2) {
        bool x_moves, y_moves;
        gdi_zingl_step(z, &x_moves, &y_moves);
        if (x_moves) x++;
        if (y_moves && ++row < rows) (*insets)[row] = x;
        if (row >= rows) break;
    }
}

namespace {

// Calls span(y, left, right) for each interior row of the ellipse (width, height >= 2)
// that lies in rows [0, clip_height), unclipped in x.
template <typename Span>
void gdi_ellipse_rows(int left, int top, int right, int bottom, int clip_height, Span span) {
    int width = right - left, height = bottom - top;
    static thread_local std::vector<int> insets; // reused: no allocation per shape
    gdi_ellipse_insets(width, height, &insets);
    int half = height / 2, last = height - 1;
    int first_row = (int)std::max<int64_t>(0, -(int64_t)top);
    int end_row = (int)std::min<int64_t>(height, (int64_t)clip_height - top);
    for (int i = first_row; i < end_row; i++) {
        // The upper rows mirror the lower ones: row i takes the run of row height - 1 - i.
        int inset = insets[(i < half ? last - i : i) - half];
        if (inset >= 0) span((int64_t)top + i, (int64_t)left + inset, (int64_t)right - inset);
    }
}

} // namespace

void gdi_ellipse_region(gdi_region *region, int left, int top, int right, int bottom) {
    if (right - left < 2 || bottom - top < 2) { // too thin to round: the plain rectangle
        gdi_region_add_rect(region, left, top, right, bottom);
        return;
    }
    gdi_ellipse_rows(
        left, top, right, bottom, region->clip->height,
        [region](int64_t y, int64_t l, int64_t r) { gdi_region_add_span(region, y, l, r); });
}

void gdi_ellipse_fill(const gdi_surface *s, int left, int top, int right, int bottom,
                      uint32_t pixel) {
    gdi_ellipse_rows(left, top, right, bottom, s->height,
                     [s, pixel](int64_t y, int64_t l, int64_t r) {
                         l = std::max<int64_t>(l, 0);
                         r = std::min<int64_t>(r, s->width);
                         if (l < r) gdi_fill_span(s, (int)y, (int)l, (int)r, pixel);
                     });
}
