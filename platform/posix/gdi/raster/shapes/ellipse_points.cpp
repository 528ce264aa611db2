// What is built from the quadrant walk of the integer ellipse (ellipse_quadrant.h): the
// quarter's pixels, the insets of the interior's rows, and the interior itself as spans.
#include "platform/posix/gdi/raster/gdi_raster.h"
#include "platform/posix/gdi/raster/shapes/ellipse_quadrant.h"

#include <algorithm>

namespace {

// Calls row(offset, inset) for every row of the interior of the ellipse in a width x height
// box (at least 3 each way), offset counted from the box's top row, as the walk reaches it.
template <typename Row> void for_each_interior_row(int width, int height, Row row) {
    int middle_low = height / 2, middle_high = height - 1 - height / 2; // equal for odd heights
    int reached = 0;
    for (gdi_quadrant_walk w = gdi_quadrant_start(width, height); gdi_quadrant_going(w);
         gdi_quadrant_step(w)) {
        if (w.y - height / 2 != reached) continue;
        // A row's interior reaches out to the outermost pixel the walk sets in it: the first.
        int inset = (int)(width - 1 - w.x);
        row(middle_high - reached, inset);
        if (middle_low + reached != middle_high - reached) row(middle_low + reached, inset);
        reached++;
    }
}

} // namespace

int gdi_ellipse_quarter(int width, int height, POINT *pixels) {
    int count = 0;
    for (gdi_quadrant_walk w = gdi_quadrant_start(width, height); gdi_quadrant_going(w);
         gdi_quadrant_step(w))
        pixels[count++] = POINT{(LONG)w.x, (LONG)w.y};
    return count;
}

void gdi_ellipse_row_insets(int width, int height, int *insets) {
    std::fill(insets, insets + height, width); // rows the walk never reaches stay empty
    for_each_interior_row(width, height, [&](int offset, int inset) { insets[offset] = inset; });
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
