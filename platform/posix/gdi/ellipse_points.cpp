// The integer ellipse: A. Zingl's error walk over one quarter of the curve, and what is built
// from that walk here: the quarter's pixels, the insets of the interior's rows, and the
// interior itself as spans.
#include "platform/posix/gdi/gdi_raster.h"

#include <algorithm>
#include <vector>

namespace {

// The walk over the upper-right quarter of the ellipse in a width x height box. Its
// diameters, between the centres of the outermost pixels, are a = width - 1, b = height - 1.
struct quarter_walk {
    int64_t x, y;           // x from the box's left column, y up from its bottom row
    int64_t end_x;          // the quarter ends at its first pixel left of this column
    int64_t top_y;          // the box's top row
    int64_t err;            // the error term of the current pixel
    int64_t err_x, err_y;   // its parts for a step inwards and a step upwards
    int64_t grow_x, grow_y; // what each such step adds to its part: 8b² and 8a²
};

quarter_walk quarter_walk_start(int width, int height) {
    int64_t a = width - 1, b = height - 1, b_odd = b & 1;
    quarter_walk w;
    w.x = a;
    w.y = height / 2;
    w.end_x = width / 2;
    w.top_y = height - 1;
    w.err_x = 4 * b * b * (1 - a);
    w.err_y = 4 * a * a * (1 + b_odd);
    w.err = w.err_x + w.err_y + a * a * b_odd;
    w.grow_x = 8 * b * b;
    w.grow_y = 8 * a * a;
    return w;
}

inline bool quarter_walk_on(const quarter_walk &w) {
    return w.x >= w.end_x && w.y <= w.top_y;
}

// Moves to the next pixel: both decisions come from the error before either step changes it.
inline void quarter_walk_next(quarter_walk &w) {
    int64_t twice = 2 * w.err;
    bool inward = twice >= w.err_x, upward = twice <= w.err_y;
    // Boxes of three pixels or more always take a step; this keeps any input from stalling.
    if (!inward && !upward) inward = true;
    if (inward) {
        w.x--;
        w.err_x += w.grow_x;
        w.err += w.err_x;
    }
    if (upward) {
        w.y++;
        w.err_y += w.grow_y;
        w.err += w.err_y;
    }
}

// Calls row(offset, inset) for every row of the interior of the ellipse in a width x height
// box (at least 3 each way), offset counted from the box's top row.
template <typename Row> void for_each_interior_row(int width, int height, Row row) {
    static thread_local std::vector<int> insets; // kept per thread: no allocation per shape
    insets.resize((size_t)(height + 1) / 2);
    int reached = gdi_ellipse_insets(width, height, insets.data());
    int middle_low = height / 2, middle_high = height - 1 - height / 2; // equal for odd heights
    for (int k = 0; k < reached; k++) {
        row(middle_high - k, insets[k]);
        if (middle_low + k != middle_high - k) row(middle_low + k, insets[k]);
    }
}

} // namespace

void gdi_ellipse_quarter(int width, int height, std::vector<POINT> *pixels) {
    pixels->clear();
    for (quarter_walk w = quarter_walk_start(width, height); quarter_walk_on(w);
         quarter_walk_next(w))
        pixels->push_back(POINT{(LONG)w.x, (LONG)w.y});
}

int gdi_ellipse_insets(int width, int height, int *insets) {
    // A row's interior reaches out to the outermost pixel the walk sets in it: the first.
    int reached = 0;
    int64_t start_y = height / 2;
    for (quarter_walk w = quarter_walk_start(width, height); quarter_walk_on(w);
         quarter_walk_next(w)) {
        if (w.y - start_y == reached) insets[reached++] = (int)(width - 1 - w.x);
    }
    return reached;
}

void gdi_ellipse_region(gdi_region *region, int64_t left, int64_t top, int64_t right,
                        int64_t bottom) {
    int64_t width = right - left, height = bottom - top;
    if (width <= 2 || height <= 2) {
        gdi_region_add_rect(region, left, top, right, bottom);
        return;
    }
    if (width > gdi_large_shape || height > gdi_large_shape) {
        gdi_large_ellipse_region(region, gdi_box{left, top, right, bottom});
        return;
    }
    for_each_interior_row((int)width, (int)height, [&](int offset, int inset) {
        gdi_region_add_span(region, top + offset, left + inset, right - inset);
    });
}

void gdi_ellipse_fill(const gdi_surface *s, int left, int top, int right, int bottom,
                      uint32_t pixel) {
    for_each_interior_row(right - left, bottom - top, [&](int offset, int inset) {
        int y = top + offset;
        int from = std::max(left + inset, 0), to = std::min(right - inset, s->width);
        if (y >= 0 && y < s->height && from < to) gdi_fill_span(s, y, from, to, pixel);
    });
}
