// Circles, arcs, pies, rectangles, inversion and flood fill.
#include "draw/arc_points.h"
#include "draw/draw_call.h"
#include "draw/drawing_state.h"
#include "draw/smooth/smooth_shapes.h"

#include <algorithm>

namespace {

// Ellipse or Rectangle with the stock null brush, so only the outline is drawn; the fill
// brush goes back in afterwards.
template <typename Shape> BOOL outline_only(window_record *window, HDC dc, Shape shape) {
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    BOOL drawn = shape();
    SelectObject(dc, window->drawing->fill_brush);
    return drawn;
}

// Arc or Pie around a circle, between the radials of `start` and `start + sweep`.
template <typename ArcCall>
int arc_call(int handle, int xc, int yc, int radius, float start, float sweep, bool pie,
             ArcCall call) {
    return draw_call(handle, ZV_ERR_BAD_WINDOW, true, [=](window_record *window, HDC dc) {
        if (window->drawing->smooth)
            return smooth_arc(window, dc, xc, yc, radius, start, sweep, pie);
        RECT box = circle_box(xc, yc, radius);
        arc_points p = radial_points(xc, yc, start, sweep);
        return platform_result(call(dc, box.left, box.top, box.right, box.bottom, p.start.x,
                                    p.start.y, p.end.x, p.end.y));
    });
}

} // namespace

extern "C" {

ZVEXPORT int ZVAPI ZVCircle(int handle, int xc, int yc, int radius) {
    return draw_call(handle, ZV_ERR_BAD_WINDOW, true, [=](window_record *window, HDC dc) {
        if (window->drawing->smooth) return smooth_circle(window, dc, xc, yc, radius, false);
        RECT box = circle_box(xc, yc, radius);
        // An outline reports success whatever the platform said.
        outline_only(window, dc,
                     [&] { return Ellipse(dc, box.left, box.top, box.right, box.bottom); });
        return ZV_OK;
    });
}

ZVEXPORT int ZVAPI ZVFillCircle(int handle, int xc, int yc, int radius) {
    return draw_call(handle, ZV_ERR_BAD_WINDOW, true, [=](window_record *window, HDC dc) {
        if (window->drawing->smooth) return smooth_circle(window, dc, xc, yc, radius, true);
        RECT box = circle_box(xc, yc, radius);
        return platform_result(Ellipse(dc, box.left, box.top, box.right, box.bottom));
    });
}

ZVEXPORT int ZVAPI ZVArc(int handle, int xc, int yc, int radius, float start, float sweep) {
    return arc_call(handle, xc, yc, radius, start, sweep, false, Arc);
}

ZVEXPORT int ZVAPI ZVPie(int handle, int xc, int yc, int radius, float start, float sweep) {
    return arc_call(handle, xc, yc, radius, start, sweep, true, Pie);
}

ZVEXPORT int ZVAPI ZVRectangle(int handle, int x1, int y1, int x2, int y2) {
    return draw_call(handle, ZV_ERR_BAD_WINDOW, true, [=](window_record *window, HDC dc) {
        if (window->drawing->smooth) return smooth_rectangle(window, dc, x1, y1, x2, y2, false);
        return platform_result(outline_only(window, dc, [&] {
            return Rectangle(dc, std::min(x1, x2), std::min(y1, y2), std::max(x1, x2),
                             std::max(y1, y2));
        }));
    });
}

ZVEXPORT int ZVAPI ZVFillRectangle(int handle, int x1, int y1, int x2, int y2) {
    return draw_call(handle, ZV_ERR_BAD_WINDOW, true, [=](window_record *window, HDC dc) {
        if (window->drawing->smooth) return smooth_rectangle(window, dc, x1, y1, x2, y2, true);
        return platform_result(
            Rectangle(dc, std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)));
    });
}

ZVEXPORT int ZVAPI ZVInvertRectangle(int handle, int x1, int y1, int x2, int y2) {
    return draw_call(handle, ZV_ERR_BAD_WINDOW, true, [=](window_record *, HDC dc) {
        // InvertRect leaves out the right and bottom edges; one more takes in the corners
        // given, and saturates rather than wraps at the largest coordinate.
        RECT inverted{std::min(x1, x2), std::min(y1, y2),
                      saturate_int(int64_t{std::max(x1, x2)} + 1),
                      saturate_int(int64_t{std::max(y1, y2)} + 1)};
        return platform_result(InvertRect(dc, &inverted));
    });
}

ZVEXPORT int ZVAPI ZVFloodFill(int handle, int x, int y, ZVCOLOUR border) {
    return draw_call(handle, ZV_ERR_BAD_WINDOW, true, [=](window_record *, HDC dc) {
        return platform_result(ExtFloodFill(dc, x, y, colour_bits(border), FLOODFILLBORDER));
    });
}

} // extern "C"
