// The smooth mode and its opacity, and the polygon and fractional polyline calls, exact or
// smooth by the window's mode.
#include "draw/draw_call.h"
#include "draw/drawing_state.h"
#include "draw/smooth/smooth_paint.h"
#include "draw/smooth/smooth_shapes.h"

#include <cmath>

namespace {

// Sets one of the mode's values under the window lock, so that a shape drawn meanwhile on
// another thread is drawn wholly with the old value or wholly with the new.
int set_under_lock(int handle, std::atomic<int> drawing_state::*field, int value) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    EnterCriticalSection(&window->lock);
    (window->drawing->*field) = value;
    LeaveCriticalSection(&window->lock);
    return ZV_OK;
}

// The points of an integer x, y array, as pixel positions.
bool read_points(const int *xy, int count, grow_array<scan_point> *points) {
    if (!points->reserve(static_cast<size_t>(count))) return false;
    for (int i = 0; i < count; ++i)
        points->push(
            scan_point{static_cast<double>(xy[2 * i]), static_cast<double>(xy[2 * i + 1])});
    return true;
}

// The exact outline: lines from point to point, closed back to the first when `closed`.
int exact_lines(HDC dc, const POINT *points, int count, bool closed) {
    BOOL drawn = MoveToEx(dc, points[0].x, points[0].y, nullptr);
    for (int i = 1; i < count; ++i) drawn = LineTo(dc, points[i].x, points[i].y) && drawn;
    if (closed) drawn = LineTo(dc, points[0].x, points[0].y) && drawn;
    return platform_result(drawn);
}

int polygon_call(int handle, const int *xy, int count, bool filled) {
    if (!xy || count < (filled ? 3 : 2)) return ZV_ERROR;
    return draw_call(handle, ZV_ERR_BAD_WINDOW, true, [=](window_record *window, HDC dc) {
        grow_array<scan_point> points;
        if (!read_points(xy, count, &points)) return ZV_ERR_NO_MEMORY;
        if (window->drawing->smooth)
            return smooth_path(window, dc, points.items, points.count, true, filled);
        int filled_result = ZV_OK;
        if (filled) {
            // Pixels whose centres the polygon holds, by the non-zero rule, with the fill brush.
            edge_list edges(buffer_clip(window));
            for (size_t i = 0; i < points.count; ++i) points[i].x += 0.5, points[i].y += 0.5;
            edges.add_outline(points.items, points.count);
            filled_result = fill_centres(window, dc, &edges);
        }
        grow_array<POINT> corners;
        if (!corners.reserve(static_cast<size_t>(count))) return ZV_ERR_NO_MEMORY;
        for (int i = 0; i < count; ++i) corners.push(POINT{xy[2 * i], xy[2 * i + 1]});
        int outline_result = exact_lines(dc, corners.items, count, true);
        return filled_result != ZV_OK ? filled_result : outline_result;
    });
}

} // namespace

extern "C" {

ZVEXPORT int ZVAPI ZVSetSmooth(int window, int on) {
    return set_under_lock(window, &drawing_state::smooth, on != 0);
}

ZVEXPORT int ZVAPI ZVGetSmooth(int window) {
    window_ref found(window);
    return found.ok() ? found->drawing->smooth.load() : ZV_ERR_BAD_WINDOW;
}

ZVEXPORT int ZVAPI ZVSetOpacity(int window, int opacity) {
    // Out of range is refused rather than clamped: 256 or -1 is more likely a slip than a wish.
    if (opacity < 0 || opacity > 255) return ZV_ERROR;
    return set_under_lock(window, &drawing_state::opacity, opacity);
}

ZVEXPORT int ZVAPI ZVGetOpacity(int window) {
    window_ref found(window);
    return found.ok() ? found->drawing->opacity.load() : ZV_ERR_BAD_WINDOW;
}

ZVEXPORT int ZVAPI ZVPolygon(int window, const int *xy, int count) {
    return polygon_call(window, xy, count, false);
}

ZVEXPORT int ZVAPI ZVFillPolygon(int window, const int *xy, int count) {
    return polygon_call(window, xy, count, true);
}

ZVEXPORT int ZVAPI ZVPolylineF(int handle, const float *xy, int count) {
    if (!xy || count < 2) return ZV_ERROR;
    // A point that is not a finite number has nowhere to be: the call draws nothing.
    for (int64_t i = 0; i < int64_t{count} * 2; ++i)
        if (!std::isfinite(xy[i])) return ZV_ERROR;
    return draw_call(handle, ZV_ERR_BAD_WINDOW, true, [=](window_record *window, HDC dc) {
        if (window->drawing->smooth) {
            grow_array<scan_point> points;
            if (!points.reserve(static_cast<size_t>(count))) return ZV_ERR_NO_MEMORY;
            for (int i = 0; i < count; ++i) points.push(scan_point{xy[2 * i], xy[2 * i + 1]});
            return smooth_path(window, dc, points.items, points.count, false, false);
        }
        // Rounded half away from zero, and held within the int range.
        grow_array<POINT> corners;
        if (!corners.reserve(static_cast<size_t>(count))) return ZV_ERR_NO_MEMORY;
        for (int i = 0; i < count; ++i)
            corners.push(POINT{
                saturate_int(std::llround(std::fmax(std::fmin(xy[2 * i], 4e9f), -4e9f))),
                saturate_int(std::llround(std::fmax(std::fmin(xy[2 * i + 1], 4e9f), -4e9f)))});
        return exact_lines(dc, corners.items, count, false);
    });
}

} // extern "C"
