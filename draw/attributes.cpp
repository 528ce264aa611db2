// The drawing attributes of a window: colours, line style and width, fill style and colour.
#include "draw/draw_call.h"
#include "draw/drawing_state.h"
#include "draw/pen_and_brush.h"

namespace {

// Runs `change(record)` under the window lock. The setters swap objects in the memory DC,
// so a drawing call on another thread never finds a deleted pen or brush selected there.
template <typename Change> int change_attributes(int handle, Change change) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    EnterCriticalSection(&window->lock);
    change(window.record);
    LeaveCriticalSection(&window->lock);
    return ZV_OK;
}

} // namespace

extern "C" {

ZVEXPORT int ZVAPI ZVSetForeground(int handle, ZVCOLOUR colour) {
    return change_attributes(handle, [colour](window_record *window) {
        COLORREF kept = colour_bits(colour);
        window->drawing->foreground_colour = kept;
        SetTextColor(window->memory_dc, kept);
        rebuild_pen(window); // always, even for the same colour
    });
}

ZVEXPORT ZVCOLOUR ZVAPI ZVGetForeground(int handle) {
    window_ref window(handle);
    if (!window.ok()) return static_cast<ZVCOLOUR>(ZV_ERR_BAD_WINDOW);
    return window->drawing->foreground_colour.load();
}

ZVEXPORT int ZVAPI ZVSetBackground(int handle, ZVCOLOUR colour) {
    // Under the lock: the paint handler, the clears and the resize routine fill with this
    // brush under the same lock. It is never selected, so it can be deleted at once.
    return change_attributes(handle, [colour](window_record *window) {
        window->drawing->background_colour = colour_bits(colour);
        HBRUSH made = CreateSolidBrush(window->drawing->background_colour);
        // Without a new brush the old one stays: clearing with it beats clearing with none.
        if (!made) return;
        DeleteObject(window->drawing->background_brush);
        window->drawing->background_brush = made;
    });
}

ZVEXPORT ZVCOLOUR ZVAPI ZVGetBackground(int handle) {
    window_ref window(handle);
    // No stored colour has its top byte set, so this cannot be mistaken for one.
    return window.ok() ? window->drawing->background_colour.load() : ZV_BAD_COLOUR;
}

ZVEXPORT ZVCOLOUR ZVAPI ZVGetRGBColour(int red, int green, int blue) {
    return static_cast<ZVCOLOUR>((red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16);
}

ZVEXPORT int ZVAPI ZVSetLineStyle(int handle, int style) {
    return change_attributes(handle, [style](window_record *window) {
        if (style == window->drawing->line_style && !window->drawing->pen_outdated) return;
        window->drawing->line_style = style;
        int pen_style = pen_style_for_line_style(style);
        // Two numbers that both mean solid keep the pen.
        if (pen_style == window->drawing->pen_style && !window->drawing->pen_outdated) return;
        window->drawing->pen_style = pen_style;
        rebuild_pen(window);
    });
}

ZVEXPORT int ZVAPI ZVGetLineStyle(int handle) {
    window_ref window(handle);
    return window.ok() ? window->drawing->line_style : ZV_ERR_BAD_WINDOW;
}

ZVEXPORT int ZVAPI ZVSetLineWidth(int handle, int width) {
    return change_attributes(handle, [width](window_record *window) {
        if (width == window->drawing->line_width && !window->drawing->pen_outdated) return;
        // Zero and negative widths go to the platform as they are (0 is a one-pixel pen).
        window->drawing->line_width = width;
        rebuild_pen(window);
    });
}

ZVEXPORT int ZVAPI ZVGetLineWidth(int handle) {
    window_ref window(handle);
    return window.ok() ? window->drawing->line_width : ZV_ERROR;
}

ZVEXPORT int ZVAPI ZVSetFillStyle(int handle, int style) {
    return change_attributes(handle, [style](window_record *window) {
        if (style == window->drawing->fill_style && !window->drawing->brush_outdated) return;
        window->drawing->fill_style = style;
        int hatch = hatch_for_fill_style(style);
        if (hatch == window->drawing->hatch_style && !window->drawing->brush_outdated) return;
        window->drawing->hatch_style = hatch;
        rebuild_fill_brush(window);
    });
}

ZVEXPORT int ZVAPI ZVGetFillStyle(int handle) {
    window_ref window(handle);
    return window.ok() ? window->drawing->fill_style : ZV_ERR_BAD_WINDOW;
}

ZVEXPORT int ZVAPI ZVSetFillColour(int handle, ZVCOLOUR colour) {
    return change_attributes(handle, [colour](window_record *window) {
        COLORREF kept = colour_bits(colour);
        if (kept == window->drawing->fill_colour && !window->drawing->brush_outdated) return;
        window->drawing->fill_colour = kept;
        rebuild_fill_brush(window);
    });
}

ZVEXPORT ZVCOLOUR ZVAPI ZVGetFillColour(int handle) {
    window_ref window(handle);
    return window.ok() ? window->drawing->fill_colour.load() : ZV_BAD_COLOUR;
}

} // extern "C"
