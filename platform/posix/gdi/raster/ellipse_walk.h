// A. Zingl's integer ellipse walk over the upper-right quarter of an ellipse, inline for the
// loops that set or fill pixels as the walk goes (ellipse_points.cpp, raster_ellipse.cpp).
#ifndef ZELVAN_GDI_ELLIPSE_WALK_H
#define ZELVAN_GDI_ELLIPSE_WALK_H

#include <stdint.h>

// The walk over the upper-right quarter of the ellipse in a width x height box. Its
// diameters, between the centres of the outermost pixels, are a = width - 1, b = height - 1.
struct gdi_quarter_walk {
    int64_t x, y;           // x from the box's left column, y up from its bottom row
    int64_t end_x;          // the quarter ends at its first pixel left of this column
    int64_t top_y;          // the box's top row
    int64_t err;            // the error term of the current pixel
    int64_t err_x, err_y;   // its parts for a step inwards and a step upwards
    int64_t grow_x, grow_y; // what each such step adds to its part: 8b² and 8a²
};

inline gdi_quarter_walk gdi_quarter_walk_start(int width, int height) {
    int64_t a = width - 1, b = height - 1, b_odd = b & 1;
    gdi_quarter_walk w;
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

inline bool gdi_quarter_walk_on(const gdi_quarter_walk &w) {
    return w.x >= w.end_x && w.y <= w.top_y;
}

// Moves to the next pixel: both decisions come from the error before either step changes it.
inline void gdi_quarter_walk_next(gdi_quarter_walk &w) {
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

#endif
