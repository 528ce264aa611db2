// Where ZVDrawBitmap draws. Each destination pixel's centre is carried back through the
// inverse of the draw's turn, mirror and scale onto the bitmap; the pixel is drawn when its
// centre lands inside the source rectangle and on the bitmap, and takes its colour from where
// it landed.
#ifndef ZELVAN_IMAGE_SPRITE_MAPPING_H
#define ZELVAN_IMAGE_SPRITE_MAPPING_H

#include <stdint.h>

// A draw as the caller asks for it.
struct sprite_draw {
    int src_x, src_y, src_width, src_height; // may reach off the bitmap
    int x, y, width, height;                 // the destination rectangle, sizes above 0
    double angle;                            // degrees, counter-clockwise on screen
    bool flip_x, flip_y;
};

// The inverse map. The centre of destination pixel (px, py) lands on bitmap position
// u = u_centre + (px + 0.5 - centre_x) * du_dx + (py + 0.5 - centre_y) * du_dy, and v likewise.
struct sprite_mapping {
    double centre_x, centre_y, u_centre, v_centre;
    double du_dx, du_dy, dv_dx, dv_dy;
    // The source rectangle's part on the bitmap, in bitmap pixels: [left, right) x [top, bottom).
    int left, top, right, bottom;
    // Destination pixels outside [box_left, box_right) x [box_top, box_bottom) are never drawn.
    int64_t box_left, box_top, box_right, box_bottom;
};

// The map of `draw` over a bitmap of the given size; false when the source rectangle has no
// pixel on the bitmap, or the angle is not a number, and nothing is drawn.
bool sprite_mapping_make(const sprite_draw &draw, int bitmap_width, int bitmap_height,
                         sprite_mapping *mapping);

// Whether the draw lays the source rectangle on the destination pixel for pixel: no turn (a
// whole number of full turns), no mirror, the same size.
bool sprite_draw_is_plain(const sprite_draw &draw);

// Columns [*first, *last) of destination row `py` whose centres may land inside the source: a
// pixel or two more at each end than those that do, never fewer.
void sprite_row_span(const sprite_mapping &mapping, int64_t py, int64_t *first, int64_t *last);

// A bitmap coordinate in fixed point, 32 bits of fraction: how the rows are walked, so that a
// step adds the same amount at every pixel.
const double SPRITE_FIXED_ONE = 4294967296.0;
inline int64_t sprite_fixed(double value) {
    return static_cast<int64_t>(value * SPRITE_FIXED_ONE + (value >= 0 ? 0.5 : -0.5));
}

#endif
