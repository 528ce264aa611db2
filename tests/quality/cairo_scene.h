// The smooth scene drawn by cairo at the geometry docs/API.md gives for smooth shapes: a
// circle's fill is the disc of its radius around the corner point (xc, yc), its outline the
// pen centred on the circle half a pixel inside; lines and polygons run through pixel
// centres, with round caps and joins.
#ifndef ZELVAN_TESTS_QUALITY_CAIRO_SCENE_H
#define ZELVAN_TESTS_QUALITY_CAIRO_SCENE_H

#include "tests/api/smooth_scene.h"

#include <cairo.h>
#include <cmath>

namespace smooth_scene {

inline void cairo_colour(cairo_t *cr, ZVCOLOUR c) {
    cairo_set_source_rgb(cr, (c & 0xFF) / 255.0, (c >> 8 & 0xFF) / 255.0, (c >> 16 & 0xFF) / 255.0);
}

inline void cairo_stroke_with(cairo_t *cr, const shape &s) {
    cairo_colour(cr, s.pen);
    cairo_set_line_width(cr, s.width);
    cairo_stroke(cr);
}

inline void draw_cairo(cairo_t *cr) {
    const double pi = 3.14159265358979323846;
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    for (const shape &s : shapes()) {
        cairo_new_path(cr);
        switch (s.what) {
        case kind::filled_circle:
            cairo_arc(cr, s.x, s.y, s.size, 0, 2 * pi);
            cairo_colour(cr, s.fill);
            cairo_fill(cr);
            [[fallthrough]];
        case kind::circle:
            cairo_new_path(cr);
            cairo_arc(cr, s.x, s.y, s.size - 0.5, 0, 2 * pi);
            cairo_stroke_with(cr, s);
            break;
        case kind::line:
            cairo_move_to(cr, s.x + 0.5, s.y + 0.5);
            cairo_line_to(cr, s.x2 + 0.5, s.y2 + 0.5);
            cairo_stroke_with(cr, s);
            break;
        case kind::pie: {
            // Counter-clockwise on screen is the negative direction of cairo's angles.
            double from = -s.start * pi / 180, to = from - s.sweep * pi / 180;
            cairo_move_to(cr, s.x, s.y);
            cairo_arc_negative(cr, s.x, s.y, s.size, from, to);
            cairo_close_path(cr);
            cairo_colour(cr, s.fill);
            cairo_fill(cr);
            cairo_move_to(cr, s.x, s.y);
            cairo_arc_negative(cr, s.x, s.y, s.size - 0.5, from, to);
            cairo_close_path(cr);
            cairo_stroke_with(cr, s);
            break;
        }
        case kind::star:
            for (int i = 0; i < 5; ++i)
                cairo_line_to(cr, s.x + k_star[2 * i] + 0.5, s.y + k_star[2 * i + 1] + 0.5);
            cairo_close_path(cr);
            cairo_colour(cr, s.fill);
            cairo_fill_preserve(cr);
            cairo_stroke_with(cr, s);
            break;
        }
    }
}

} // namespace smooth_scene

#endif
