// Smooth lines, circles, arcs, pies, rectangles and polygons: the fill first, then the pen's
// stroke over it, each painted by its share of every pixel.
#include "draw/smooth/smooth_shapes.h"

#include "draw/arc_points.h"
#include "draw/draw_call.h"
#include "draw/drawing_state.h"
#include "draw/smooth/smooth_paint.h"

#include <algorithm>
#include <cstring>

namespace {

const double k_pi = 3.14159265358979323846;
// The dash patterns of the exact mode's one-pixel pens, in pixels along the path.
const double k_dash[] = {18, 6};
const double k_dash_dot[] = {9, 6, 3, 6};
const double k_dash_dot_dot[] = {9, 3, 3, 3, 3, 3};
// 360.0f read as a signed integer (see draw/arc_points.cpp).
const int32_t k_full_turn_bits = 0x43B40000;

// The window's pen as a stroke; false for the invisible pen. Dashed pens are one pixel wide,
// as in the exact mode; widths below one draw one pixel wide.
bool pen_stroke(const drawing_state &d, stroke_style *style) {
    switch (d.pen_style) {
    case PS_NULL:
        return false;
    case PS_DASH:
        *style = stroke_style{1, k_dash, 2};
        return true;
    case PS_DASHDOT:
        *style = stroke_style{1, k_dash_dot, 4};
        return true;
    case PS_DASHDOTDOT:
        *style = stroke_style{1, k_dash_dot_dot, 6};
        return true;
    default:
        *style = stroke_style{static_cast<double>(std::max(d.line_width, 1)), nullptr, 0};
        return true;
    }
}

// The window's outline builder, emptied for a new outline.
outline_builder *fresh_outline(window_record *w) {
    w->drawing->outline.restart(buffer_clip(w));
    return &w->drawing->outline;
}

template <typename Build> int stroke(window_record *w, HDC dc, Build build) {
    stroke_style style;
    if (!pen_stroke(*w->drawing, &style)) return ZV_OK;
    outline_builder *out = fresh_outline(w);
    build(out, style);
    return paint_outline(w, dc, out, w->drawing->foreground_colour, w->drawing->opacity);
}

// A hatched fill stays exact: `exact` draws it with the platform shape under the null pen,
// and the smooth outline goes over it. A solid fill is smooth, built by `build`.
template <typename Build, typename Exact>
int fill(window_record *w, HDC dc, Build build, Exact exact) {
    if (w->drawing->hatch_style != SOLID_BRUSH) {
        SelectObject(dc, GetStockObject(NULL_PEN));
        BOOL drawn = exact();
        SelectObject(dc, w->drawing->pen);
        return platform_result(drawn);
    }
    outline_builder *out = fresh_outline(w);
    build(out);
    return paint_outline(w, dc, out, w->drawing->fill_colour, w->drawing->opacity);
}

// The first failure of a fill and the stroke over it.
int first_failure(int fill_result, int stroke_result) {
    return fill_result != ZV_OK ? fill_result : stroke_result;
}

// Where an arc starts and how far it turns, in the buffer's radians (y down), from degrees
// counter-clockwise on screen: as in the exact mode it always runs counter-clockwise, from
// the start to the end radial, and radials that coincide make a whole circle.
struct arc_range {
    double from, turn;
};
arc_range range_of(float start, float sweep) {
    double first = std::isfinite(start) ? static_cast<double>(start) : 0.0;
    int32_t sweep_bits;
    std::memcpy(&sweep_bits, &sweep, sizeof sweep_bits);
    double degrees = 360;
    if (sweep_bits < k_full_turn_bits && std::isfinite(first + static_cast<double>(sweep))) {
        degrees = std::fmod(static_cast<double>(sweep), 360.0);
        if (degrees <= 0) degrees += 360;
    }
    return arc_range{-first * k_pi / 180, -degrees * k_pi / 180};
}

} // namespace

int smooth_line(window_record *w, HDC dc, int x1, int y1, int x2, int y2) {
    scan_point ends[2] = {{x1 + 0.5, y1 + 0.5}, {x2 + 0.5, y2 + 0.5}};
    return stroke(w, dc, [&](outline_builder *out, const stroke_style &style) {
        stroke_path(out, style, ends, 2, false);
    });
}

int smooth_circle(window_record *w, HDC dc, int xc, int yc, int radius, bool filled) {
    double r = std::fabs(static_cast<double>(radius));
    if (r == 0) return ZV_OK;
    scan_point centre{static_cast<double>(xc), static_cast<double>(yc)};
    int filled_result = ZV_OK;
    if (filled) {
        filled_result = fill(
            w, dc, [&](outline_builder *out) { fill_disc(out, centre, r); },
            [&] {
                RECT b = circle_box(xc, yc, radius);
                return Ellipse(dc, b.left, b.top, b.right, b.bottom);
            });
    }
    return first_failure(filled_result,
                         stroke(w, dc, [&](outline_builder *out, const stroke_style &style) {
                             stroke_arc(out, style, centre, r - 0.5, 0, 2 * k_pi);
                         }));
}

int smooth_arc(window_record *w, HDC dc, int xc, int yc, int radius, float start, float sweep,
               bool pie) {
    double r = std::fabs(static_cast<double>(radius));
    if (r == 0) return ZV_OK;
    scan_point centre{static_cast<double>(xc), static_cast<double>(yc)};
    arc_range range = range_of(start, sweep);
    int filled_result = ZV_OK;
    if (pie) {
        filled_result = fill(
            w, dc,
            [&](outline_builder *out) { fill_sector(out, centre, r, range.from, range.turn); },
            [&] {
                RECT b = circle_box(xc, yc, radius);
                arc_points p = radial_points(xc, yc, start, sweep);
                return Pie(dc, b.left, b.top, b.right, b.bottom, p.start.x, p.start.y, p.end.x,
                           p.end.y);
            });
    }
    return first_failure(
        filled_result, stroke(w, dc, [&](outline_builder *out, const stroke_style &style) {
            if (!pie) return stroke_arc(out, style, centre, r - 0.5, range.from, range.turn);
            stroke_pie(out, style, centre, r - 0.5, range.from, range.turn);
        }));
}

int smooth_rectangle(window_record *w, HDC dc, int x1, int y1, int x2, int y2, bool filled) {
    int64_t left = std::min(x1, x2), top = std::min(y1, y2);
    int64_t right = std::max(x1, x2), bottom = std::max(y1, y2);
    if (left == right || top == bottom) return ZV_OK;
    int filled_result = ZV_OK;
    if (filled) {
        filled_result = fill(
            w, dc,
            [&](outline_builder *out) {
                fill_box(out, static_cast<double>(left), static_cast<double>(top),
                         static_cast<double>(right), static_cast<double>(bottom));
            },
            [&] {
                return Rectangle(dc, static_cast<int>(left), static_cast<int>(top),
                                 static_cast<int>(right), static_cast<int>(bottom));
            });
    }
    // The outline runs through the centres of the exact outline's pixels.
    double l = left + 0.5, t = top + 0.5, r = right - 0.5, b = bottom - 0.5;
    scan_point corners[4] = {{l, t}, {r, t}, {r, b}, {l, b}};
    return first_failure(filled_result,
                         stroke(w, dc, [&](outline_builder *out, const stroke_style &style) {
                             stroke_path(out, style, corners, 4, true);
                         }));
}

int smooth_path(window_record *w, HDC dc, const scan_point *points, size_t count, bool closed,
                bool filled) {
    grow_array<scan_point> centres;
    if (!centres.reserve(count)) return ZV_ERR_NO_MEMORY;
    for (size_t i = 0; i < count; ++i)
        centres.push(scan_point{points[i].x + 0.5, points[i].y + 0.5});
    int filled_result = ZV_OK;
    if (filled && w->drawing->hatch_style != SOLID_BRUSH) {
        edge_list edges(buffer_clip(w));
        edges.add_outline(centres.items, count);
        filled_result = fill_centres(w, dc, &edges);
    } else if (filled) {
        outline_builder *out = fresh_outline(w);
        out->edges.add_outline(centres.items, count);
        filled_result = paint_outline(w, dc, out, w->drawing->fill_colour, w->drawing->opacity);
    }
    return first_failure(filled_result,
                         stroke(w, dc, [&](outline_builder *out, const stroke_style &style) {
                             stroke_path(out, style, centres.items, count, closed);
                         }));
}
