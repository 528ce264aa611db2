// Pixels, points, lines and the current position.
#include "core/result_codes.h"
#include "draw/draw_call.h"
#include "draw/drawing_state.h"
#include "draw/smooth/smooth_shapes.h"

namespace {

// What the pixel calls give for a bad window: not a colour, not CLR_INVALID, not a code.
const ZVCOLOUR k_bad_colour = ZV_BAD_COLOUR;
const int k_bad_colour_code = static_cast<int>(ZV_BAD_COLOUR);

} // namespace

extern "C" {

ZVEXPORT ZVCOLOUR ZVAPI ZVSetPixel(int window, int x, int y, ZVCOLOUR colour) {
    return draw_call(window, k_bad_colour, true, [=](window_record *, HDC dc) {
        // The colour actually set, or CLR_INVALID (-1) when the point is outside.
        return static_cast<ZVCOLOUR>(SetPixel(dc, x, y, colour_bits(colour)));
    });
}

ZVEXPORT int ZVAPI ZVSetPixelFast(int window, int x, int y, ZVCOLOUR colour) {
    return draw_call(window, k_bad_colour_code, true, [=](window_record *, HDC dc) {
        return platform_result(SetPixelV(dc, x, y, colour_bits(colour)));
    });
}

ZVEXPORT ZVCOLOUR ZVAPI ZVGetPixel(int window, int x, int y) {
    // Reading changes nothing, so the buffer is not marked.
    return draw_call(window, k_bad_colour, false, [=](window_record *, HDC dc) {
        return static_cast<ZVCOLOUR>(GetPixel(dc, x, y));
    });
}

ZVEXPORT int ZVAPI ZVPlot(int handle, int x, int y) {
    return draw_call(handle, ZV_ERR_BAD_WINDOW, true, [=](window_record *window, HDC dc) {
        // A one-unit line covers exactly pixel (x, y), since lines leave out their end point.
        MoveToEx(dc, x, y, nullptr);
        BOOL drawn = LineTo(dc, saturate_int(int64_t{x} + 1), y);
        MoveToEx(dc, x, y, nullptr);
        // The position moves whether or not the platform drew.
        window->drawing->cur_x = x;
        window->drawing->cur_y = y;
        return platform_result(drawn);
    });
}

ZVEXPORT int ZVAPI ZVMoveTo(int window, int x, int y) {
    window_ref found(window);
    if (!found.ok()) return ZV_ERR_BAD_WINDOW;
    // Under the window lock, like ZVLine's read: a line never starts at an x from one move
    // and a y from another.
    EnterCriticalSection(&found->lock);
    found->drawing->cur_x = x;
    found->drawing->cur_y = y;
    LeaveCriticalSection(&found->lock);
    return ZV_OK;
}

ZVEXPORT int ZVAPI ZVLine(int handle, int x, int y) {
    return draw_call(handle, ZV_ERR_BAD_WINDOW, true, [=](window_record *window, HDC dc) {
        int from_x = window->drawing->cur_x, from_y = window->drawing->cur_y;
        window->drawing->cur_x = x;
        window->drawing->cur_y = y;
        if (window->drawing->smooth) return smooth_line(window, dc, from_x, from_y, x, y);
        // The DC's own position is never trusted: another call may have moved it.
        MoveToEx(dc, from_x, from_y, nullptr);
        return platform_result(LineTo(dc, x, y));
    });
}

ZVEXPORT int ZVAPI ZVGetCurXPos(int window) {
    window_ref found(window);
    if (!found.ok()) return ZV_ERR_BAD_WINDOW;
    // A position may equal ZV_ERR_BAD_WINDOW; the cleared last error tells the two apart.
    set_last_error(ZV_OK);
    EnterCriticalSection(&found->lock);
    int x = found->drawing->cur_x;
    LeaveCriticalSection(&found->lock);
    return x;
}

ZVEXPORT int ZVAPI ZVGetCurYPos(int window) {
    window_ref found(window);
    if (!found.ok()) return ZV_ERR_BAD_WINDOW;
    set_last_error(ZV_OK);
    EnterCriticalSection(&found->lock);
    int y = found->drawing->cur_y;
    LeaveCriticalSection(&found->lock);
    return y;
}

} // extern "C"
