// A window's drawing state through its life: the defaults and the first buffer, the memory DC
// and the selection into it, the palette, and the teardown.
#include "draw/drawing_state.h"
#include "draw/window_buffers.h"

#include "core/heap.h"
#include "core/scale/window_scale.h"
#include "zelvan.h"

#include <new>

namespace {

// The first buffer, made before the window from the screen's DC (a window's DC has the same
// format), so that a size the system cannot hold leaves no window half made. Null for a size
// below 1 as well, where the window has no buffer until a resize gives it one.
HBITMAP make_first_buffer(int width, int height) {
    if (width < 1 || height < 1) return nullptr;
    HDC screen_dc = GetDC(nullptr);
    HBITMAP buffer = CreateCompatibleBitmap(screen_dc, width, height);
    ReleaseDC(nullptr, screen_dc);
    return buffer;
}

// The memory DC, like `window_dc`, or like the screen's DC for a canvas, which has no window.
HDC make_memory_dc(HDC window_dc) {
    if (window_dc) return CreateCompatibleDC(window_dc);
    HDC screen_dc = GetDC(nullptr);
    HDC memory_dc = screen_dc ? CreateCompatibleDC(screen_dc) : nullptr;
    if (screen_dc) ReleaseDC(nullptr, screen_dc);
    return memory_dc;
}

} // namespace

bool create_drawing_state(window_record *window) {
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
    window->drawing = d;
    window->buffer_bitmap[0] = make_first_buffer(window->width, window->height);
    return window->buffer_bitmap[0] || window->width < 1 || window->height < 1;
}

bool open_drawing(window_record *window, HDC window_dc) {
    window->memory_dc = make_memory_dc(window_dc);
    if (!window->memory_dc) return false;
    drawing_state &d = *window->drawing;
    // A canvas has no window DC: its picture is shown nowhere.
    HPALETTE window_palette = window_dc ? SelectPalette(window_dc, d.palette, FALSE) : nullptr;
    d.saved_palette = SelectPalette(window->memory_dc, d.palette, FALSE);
    if (window_dc) RealizePalette(window_dc);
    RealizePalette(window->memory_dc);
    HGDIOBJ own_bitmap = SelectObject(window->memory_dc, window->buffer_bitmap[0]);
    d.saved_brush = static_cast<HBRUSH>(SelectObject(window->memory_dc, d.fill_brush));
    d.saved_font = static_cast<HFONT>(SelectObject(window->memory_dc, d.font));
    d.saved_pen = static_cast<HPEN>(SelectObject(window->memory_dc, GetStockObject(NULL_PEN)));
    FillRect(window->memory_dc, &window->buffer_rect, d.background_brush);
    SelectObject(window->memory_dc, d.pen);
    if (window_dc) show_buffer(window, window_dc);
    // Between calls the memory DC holds its own bitmap; a buffer is selected only while it
    // is drawn or painted.
    SelectObject(window->memory_dc, own_bitmap);
    if (window_dc) SelectPalette(window_dc, window_palette, FALSE);
    MoveToEx(window->memory_dc, 0, 0, nullptr);
    return true;
}

void set_palette(window_record *window, HPALETTE palette) {
    SelectPalette(window->memory_dc, palette, FALSE);
    RealizePalette(window->memory_dc);
    // The stock palette a window starts with survives this; any other was made for it.
    DeleteObject(window->drawing->palette);
    window->drawing->palette = palette;
}

void free_drawing_state(window_record *window, bool dc_alive) {
    drawing_state *d = window->drawing;
    if (!d) return;
    if (dc_alive) {
        SelectObject(window->memory_dc, d->saved_pen);
        SelectObject(window->memory_dc, d->saved_brush);
        SelectObject(window->memory_dc, d->saved_font);
        SelectPalette(window->memory_dc, d->saved_palette, FALSE);
        RealizePalette(window->memory_dc);
    }
    staging_release(&d->staging);
    // Stock objects among these are ignored by the platform.
    DeleteObject(d->pen);
    DeleteObject(d->fill_brush);
    DeleteObject(d->background_brush);
    DeleteObject(d->font);
    DeleteObject(d->palette);
    if (dc_alive) DeleteDC(window->memory_dc);
    window->memory_dc = nullptr;
    for (HBITMAP &buffer : window->buffer_bitmap) {
        if (buffer) DeleteObject(buffer);
        buffer = nullptr;
    }
    d->~drawing_state();
    heap_free(d);
    window->drawing = nullptr;
}
