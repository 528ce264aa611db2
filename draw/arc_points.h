// The radial points that tell the platform where an arc or a pie starts and ends.
#ifndef ZELVAN_DRAW_ARC_POINTS_H
#define ZELVAN_DRAW_ARC_POINTS_H

#include "platform/win32.h"

// The bounding box of a circle, worked out in 64 bits: xc + r must not wrap around.
RECT circle_box(int xc, int yc, int radius);

struct arc_points {
    POINT start;
    POINT end;
};

// The start and end radials for an arc around (xc, yc) that begins at `start` degrees
// (counter-clockwise from the positive x axis, as seen on screen) and turns `sweep` degrees.
arc_points radial_points(int xc, int yc, float start, float sweep);

#endif
