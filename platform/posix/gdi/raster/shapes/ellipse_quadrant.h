// The integer ellipse over one quadrant, from the sign of the ellipse's implicit function at a
// pixel's neighbours, kept up to date by finite differences (the midpoint method in the form
// A. Zingl published, and the pixel rules of the reference GDI for where it starts and stops).
//
// For a box of w x h pixels let a = w - 1 and b = h - 1, and measure a pixel centre by twice
// its offset from the box's centre: U = 2x - a, V = 2y - b (x from the left column, y up from
// the bottom row). The curve is G(U, V) = b^2 U^2 + a^2 V^2 - a^2 b^2 = 0. The walk starts at
// the right end of the middle row and ends left of the middle column. From each pixel it goes
// one column in when G at its diagonal neighbour (in and up) and at the neighbour above add up
// to zero or more, and one row up when G there and at the neighbour inward add up to zero or
// less; either, or both.
#ifndef ZELVAN_GDI_ELLIPSE_QUADRANT_H
#define ZELVAN_GDI_ELLIPSE_QUADRANT_H

#include <stdint.h>

struct gdi_quadrant_walk {
    int64_t x, y;     // the pixel: columns from the box's left, rows up from its bottom row
    int64_t last_x;   // the walk is over at the first pixel left of this column
    int64_t diagonal; // G at the pixel one column in and one row up
    // How G changes when U moves one pixel in, and when V moves one pixel up; each grows by
    // its own step every time it is taken (second differences of G).
    int64_t in_change, up_change;
    int64_t in_growth, up_growth;
};

// Boxes of up to gdi_large_shape pixels each way: G's differences then stay within 2^53.
inline gdi_quadrant_walk gdi_quadrant_start(int width, int height) {
    int64_t a = width - 1, b = height - 1, b_odd = b & 1;
    gdi_quadrant_walk w;
    w.x = a;
    w.y = height / 2; // V = b_odd: on the middle row, or the upper of the two
    w.last_x = width / 2;
    // With U = a and V = b_odd: G(U - 2, .) - G(U, .) = 4b^2 (1 - a),
    // G(., V + 2) - G(., V) = 4a^2 (1 + b_odd), and G(U, V) = a^2 b_odd.
    w.in_change = 4 * b * b * (1 - a);
    w.up_change = 4 * a * a * (1 + b_odd);
    w.diagonal = w.in_change + w.up_change + a * a * b_odd;
    w.in_growth = 8 * b * b;
    w.up_growth = 8 * a * a;
    return w;
}

inline bool gdi_quadrant_going(const gdi_quadrant_walk &w) {
    return w.x >= w.last_x;
}

inline void gdi_quadrant_step(gdi_quadrant_walk &w) {
    // G above is diagonal - in_change, G inward is diagonal - up_change.
    int64_t twice = 2 * w.diagonal;
    bool up = twice <= w.up_change;
    bool in = twice >= w.in_change || !up; // were neither to hold, stepping in ends the walk
    if (in) {
        w.x--;
        w.in_change += w.in_growth;
        w.diagonal += w.in_change;
    }
    if (up) {
        w.y++;
        w.up_change += w.up_growth;
        w.diagonal += w.up_change;
    }
}

#endif
