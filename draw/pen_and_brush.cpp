// Pens and fill brushes: the attribute tables and the rebuild of the selected objects.
#include "draw/pen_and_brush.h"
#include "draw/drawing_state.h"

#include "zelvan.h"

namespace {

// Puts `made` in place of `current` in the memory DC. The replaced object is deleted only
// once its successor is selected, so nothing selected is ever deleted; stock objects are
// left alone by DeleteObject. Returns false, changing nothing, when `made` is unusable.
template <typename Handle> bool replace_selected(HDC dc, Handle &current, Handle made) {
    if (!made) return false;
    if (!SelectObject(dc, made)) {
        DeleteObject(made);
        return false;
    }
    DeleteObject(current);
    current = made;
    return true;
}

} // namespace

int pen_style_for_line_style(int line_style) {
    switch (line_style) {
    case ZV_LINE_DASH:
        return PS_DASH;
    case ZV_LINE_DASHDOT:
        return PS_DASHDOT; // PS_DOT is never used
    case ZV_LINE_DASHDOTDOT:
        return PS_DASHDOTDOT;
    case ZV_LINE_INVISIBLE:
        return PS_NULL;
    default:
        return PS_SOLID;
    }
}

int hatch_for_fill_style(int fill_style) {
    switch (fill_style) {
    case ZV_FILL_RISING_DIAGONAL:
        return HS_BDIAGONAL;
    case ZV_FILL_FALLING_DIAGONAL:
        return HS_FDIAGONAL;
    case ZV_FILL_CROSS_HATCH:
        return HS_DIAGCROSS;
    case ZV_FILL_HORIZONTAL:
        return HS_HORIZONTAL;
    case ZV_FILL_VERTICAL:
        return HS_VERTICAL;
    default:
        return SOLID_BRUSH; // HS_CROSS is never used
    }
}

void rebuild_pen(window_record *window) {
    int style = window->drawing->pen_style;
    // Dashed pens are cosmetic, one pixel wide; the width asked for is kept in the record for
    // when the style turns solid again.
    int width = (style == PS_SOLID || style == PS_NULL) ? window->drawing->line_width : 1;
    HPEN made = CreatePen(style, width, window->drawing->foreground_colour);
    // A pen the platform cannot make leaves the previous one in use until a later setter
    // succeeds; the setters still report ZV_OK.
    window->drawing->pen_outdated =
        !replace_selected(window->memory_dc, window->drawing->pen, made);
}

void rebuild_fill_brush(window_record *window) {
    COLORREF colour = window->drawing->fill_colour;
    HBRUSH made = window->drawing->hatch_style == SOLID_BRUSH
                      ? CreateSolidBrush(colour)
                      : CreateHatchBrush(window->drawing->hatch_style, colour);
    // As with pens: on failure the previous brush keeps filling until a later setter succeeds.
    window->drawing->brush_outdated =
        !replace_selected(window->memory_dc, window->drawing->fill_brush, made);
}
