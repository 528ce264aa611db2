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
    return change_attributes(handle, [colour](window_record *r) {
        COLORREF kept = colour_bits(colour);
        r->drawing->foreground_colour = kept;
        SetTextColor(r->memory_dc, kept);
        rebuild_pen(r); // always, even for the same colour
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
    return change_attributes(handle, [colour](window_record *r) {
        r->drawing->background_colour = colour_bits(colour);
        HBRUSH made = CreateSolidBrush(r->drawing->background_colour);
        // Without a new brush the old one stays: clearing with it beats clearing with none.
        if (!made) return;
        DeleteObject(r->drawing->background_brush);
        r->drawing->background_brush = made;
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
    return change_attributes(handle, [style](window_record *r) {
        if (style == r->drawing->line_style && !r->drawing->pen_outdated) return;
        r->drawing->line_style = style;
        int pen_style = pen_style_for_line_style(style);
        // Two numbers that both mean solid keep the pen.
        if (pen_style == r->drawing->pen_style && !r->drawing->pen_outdated) return;
        r->drawing->pen_style = pen_style;
        rebuild_pen(r);
    });
}

ZVEXPORT int ZVAPI ZVGetLineStyle(int handle) {
    window_ref window(handle);
    return window.ok() ? window->drawing->line_style : ZV_ERR_BAD_WINDOW;
}

ZVEXPORT int ZVAPI ZVSetLineWidth(int handle, int width) {
    return change_attributes(handle, [width](window_record *r) {
        if (width == r->drawing->line_width && !r->drawing->pen_outdated) return;
        // Zero and negative widths go to the platform as they are (0 is a one-pixel pen).
        r->drawing->line_width = width;
        rebuild_pen(r);
    });
}

ZVEXPORT int ZVAPI ZVGetLineWidth(int handle) {
    window_ref window(handle);
    return window.ok() ? window->drawing->line_width : ZV_ERROR;
}

ZVEXPORT int ZVAPI ZVSetFillStyle(int handle, int style) {
    return change_attributes(handle, [style](window_record *r) {
        if (style == r->drawing->fill_style && !r->drawing->brush_outdated) return;
        r->drawing->fill_style = style;
        int hatch = hatch_for_fill_style(style);
        if (hatch == r->drawing->hatch_style && !r->drawing->brush_outdated) return;
        r->drawing->hatch_style = hatch;
        rebuild_fill_brush(r);
    });
}

ZVEXPORT int ZVAPI ZVGetFillStyle(int handle) {
    window_ref window(handle);
    return window.ok() ? window->drawing->fill_style : ZV_ERR_BAD_WINDOW;
}

ZVEXPORT int ZVAPI ZVSetFillColour(int handle, ZVCOLOUR colour) {
    return change_attributes(handle, [colour](window_record *r) {
        COLORREF kept = colour_bits(colour);
        if (kept == r->drawing->fill_colour && !r->drawing->brush_outdated) return;
        r->drawing->fill_colour = kept;
        rebuild_fill_brush(r);
    });
}

ZVEXPORT ZVCOLOUR ZVAPI ZVGetFillColour(int handle) {
    window_ref window(handle);
    return window.ok() ? window->drawing->fill_colour.load() : ZV_BAD_COLOUR;
}

} // extern "C"
