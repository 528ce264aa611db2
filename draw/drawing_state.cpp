// A window's drawing state through its life: the defaults, the selection into the new memory
// DC, and the teardown.
#include "draw/drawing_state.h"

#include "core/heap.h"
#include "core/window_scale.h"
#include "zelvan.h"

#include <new>

bool create_drawing_state(window_record *r) {
    void *block = heap_alloc(sizeof(drawing_state));
    if (!block) return false;
    // Value-initialised: no saved objects, nothing outdated, position, buffers and frames at 0.
    auto *d = new (block) drawing_state();
    d->palette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    d->fill_brush = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    d->background_brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    d->pen = static_cast<HPEN>(GetStockObject(BLACK_PEN));
    d->font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    d->foreground_colour = 0;
    d->fill_colour = 0;
    d->fill_style = ZV_FILL_SOLID;
    d->line_style = ZV_LINE_SOLID;
    d->pen_style = PS_SOLID;
    d->background_colour = 0xFFFFFF;
    d->hatch_style = SOLID_BRUSH;
    d->line_width = 1;
    d->opacity = 255;
    r->drawing = d;
    return true;
}

void open_drawing(window_record *r, HDC window_dc) {
    drawing_state &d = *r->drawing;
    // A canvas has no window DC: its picture is shown nowhere.
    HPALETTE window_palette = window_dc ? SelectPalette(window_dc, d.palette, FALSE) : nullptr;
    d.saved_palette = SelectPalette(r->memory_dc, d.palette, FALSE);
    if (window_dc) RealizePalette(window_dc);
    RealizePalette(r->memory_dc);
    HGDIOBJ own_bitmap = SelectObject(r->memory_dc, r->buffer_bitmap[0]);
    d.saved_brush = static_cast<HBRUSH>(SelectObject(r->memory_dc, d.fill_brush));
    d.saved_font = static_cast<HFONT>(SelectObject(r->memory_dc, d.font));
    d.saved_pen = static_cast<HPEN>(SelectObject(r->memory_dc, GetStockObject(NULL_PEN)));
    FillRect(r->memory_dc, &r->buffer_rect, d.background_brush);
    SelectObject(r->memory_dc, d.pen);
    if (window_dc) show_buffer(r, window_dc);
    // Between calls the memory DC holds its own bitmap; a buffer is selected only while it
    // is drawn or painted.
    SelectObject(r->memory_dc, own_bitmap);
    if (window_dc) SelectPalette(window_dc, window_palette, FALSE);
    MoveToEx(r->memory_dc, 0, 0, nullptr);
}

void free_drawing_state(window_record *r, bool dc_alive) {
    drawing_state *d = r->drawing;
    if (!d) return;
    if (dc_alive) {
        SelectObject(r->memory_dc, d->saved_pen);
        SelectObject(r->memory_dc, d->saved_brush);
        SelectObject(r->memory_dc, d->saved_font);
        SelectPalette(r->memory_dc, d->saved_palette, FALSE);
        RealizePalette(r->memory_dc);
    }
    staging_release(&d->staging);
    // Stock objects among these are ignored by the platform.
    DeleteObject(d->pen);
    DeleteObject(d->fill_brush);
    DeleteObject(d->background_brush);
    DeleteObject(d->font);
    DeleteObject(d->palette);
    d->~drawing_state();
    heap_free(d);
    r->drawing = nullptr;
}
