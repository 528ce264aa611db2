// GDI internals shared by the files of gdi/: the object records behind the handles, the
// device context, and the entry points of the three layers (operations, object selection,
// pixel loops). Nothing outside gdi/ includes this header, except the fonts engine that
// lives in gdi/ too.
#ifndef ZELVAN_GDI_INTERNAL_H
#define ZELVAN_GDI_INTERNAL_H

#include "platform/posix/gdi/gdi_surface.h"
#include "platform/posix/gdi/objects/gdi_object.h"
#include "platform/posix/gdi/objects/handle_lookup.h"
#include "platform/win32.h"

#include <atomic>
#include <stdint.h>

// ---- Objects and handles (handle_table.cpp) ----

// Publishes `object` under a new handle; returns null when the table is full.
HGDIOBJ gdi_handle_alloc(gdi_object *object);
// DeleteObject: frees now, defers while selected, ignores stock objects.
bool gdi_handle_delete(HGDIOBJ handle);
// Unpublishes and frees a DC record (DeleteDC); its selections must be released first.
void gdi_handle_free_dc(gdi_object *dc);

// Frees the memory of any object record (objects.cpp); called with no selection left.
void gdi_object_destroy(gdi_object *object);
// Unpublishes and frees every object in the handle table (handle_table.cpp); unload only.
void gdi_release_all_objects(void);

// ---- Object records (objects.cpp, bitmap.cpp) ----

struct gdi_bitmap {
    gdi_object header;
    int width;
    int height;
    int stride;       // pixels from one row to the next, at least `width`
    uint32_t *pixels; // stride * height BGRX pixels; null for the stock bitmap
};

struct gdi_pen {
    gdi_object header;
    int style; // PS_ value
    int width; // as given to CreatePen
    COLORREF colour;
};

enum gdi_brush_style : uint8_t { GDI_BRUSH_SOLID, GDI_BRUSH_NULL, GDI_BRUSH_HATCHED };

struct gdi_brush {
    gdi_object header;
    gdi_brush_style style;
    int hatch; // HS_ value for hatched brushes
    COLORREF colour;
};

// A logical font. The fonts engine fills `engine` when it first needs the face and sets
// `release_engine`, which DeleteObject calls before the record is freed.
struct gdi_font {
    gdi_object header;
    int height;
    int width;
    int escapement;
    int orientation;
    int weight;
    DWORD italic;
    DWORD underline;
    DWORD strike_out;
    DWORD charset;
    DWORD pitch_and_family;
    char face[32];
    void *engine;
    void (*release_engine)(gdi_font *font);
};

struct gdi_palette {
    gdi_object header;
    int count;
    PALETTEENTRY *entries;
};

// Creates a font object from a filled-in record (header and engine fields are ignored);
// what CreateFontA builds on. Returns null when out of memory or handles.
HFONT gdi_font_create(const gdi_font *description);

// Stock objects (objects.cpp). The index is GetStockObject's; the 1x1 bitmap every memory
// DC starts with has its own accessor.
gdi_object *gdi_stock_object(int index);
gdi_bitmap *gdi_stock_bitmap(void);
// Makes the stock objects if they are not there yet. Every creation calls it first, so the
// stock objects always have their handles, even when a program uses up all the others.
void gdi_stock_init(void);

// ---- Colours ----

// COLORREF 0x00BBGGRR to the surface pixel 0x00RRGGBB (memory order B, G, R, X).
inline uint32_t gdi_pixel_from_colour(COLORREF colour) {
    return ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}
inline COLORREF gdi_colour_from_pixel(uint32_t pixel) {
    return ((pixel & 0xFFu) << 16) | (pixel & 0xFF00u) | ((pixel >> 16) & 0xFFu);
}

// ---- The device context (dc.cpp) ----

// What a selected pen draws with, in the rasterizer's terms.
enum gdi_pen_kind : uint8_t {
    GDI_PEN_NONE,   // PS_NULL: outlines are left out, fills are not
    GDI_PEN_THIN,   // one pixel across, solid
    GDI_PEN_DASHED, // one pixel across, in one of the dash patterns
    GDI_PEN_WIDE,   // two pixels or more across: solid, whatever the style asked
};

// The selected pen, read off its record once by SelectObject (pen_setup.cpp).
struct gdi_pen_state {
    gdi_pen_kind kind;
    bool inside_frame; // PS_INSIDEFRAME: shapes pull their outline in to keep the pen inside
    int width;         // pixels across; 0 for PS_NULL
    uint32_t pixel;
    uint32_t dashes; // for GDI_PEN_DASHED: bit i set when pixel i of the 24-pixel period is ink
};

struct gdi_dc {
    gdi_object header;
    bool is_memory;
    gdi_surface surface; // where drawing lands; zero size draws nothing
    uint32_t own_pixel;  // the pixel of the stock 1x1 bitmap while it is selected here
    gdi_bitmap *bitmap;  // memory DCs only
    gdi_pen *pen;
    gdi_brush *brush;
    gdi_font *font;
    gdi_palette *palette;
    COLORREF text_colour;
    COLORREF bk_colour;
    int bk_mode;
    int stretch_mode; // kept for SetStretchBltMode; every mode samples as COLORONCOLOR does
    UINT text_align;
    POINT position;
    gdi_pen_state pen_state;
};

// The live DC behind `hdc`, or null.
inline gdi_dc *gdi_dc_get(HDC hdc) {
    return reinterpret_cast<gdi_dc *>(gdi_handle_get(hdc, GDI_OBJ_DC));
}

// Recomputes `dc->pen_state` from `dc->pen` (pen_setup.cpp).
void gdi_pen_select(gdi_dc *dc);

// ---- Pixel loops (pixel_rows.cpp): whole rows, already clipped by the caller ----

inline uint32_t *gdi_row(const gdi_surface *s, int y) {
    return s->pixels + (ptrdiff_t)y * s->stride;
}
void gdi_fill_span(const gdi_surface *s, int y, int left, int right, uint32_t pixel);
void gdi_fill_rect(const gdi_surface *s, const RECT *r, uint32_t pixel);
// Fills the box [left, right] x [top, bottom] (both edges included, at least two pixels
// each way) with `fill` inside a one-pixel frame of `frame`, clipped to the surface.
void gdi_fill_framed_box(const gdi_surface *s, int64_t left, int64_t top, int64_t right,
                         int64_t bottom, uint32_t fill, uint32_t frame);
void gdi_invert_rect(const gdi_surface *s, const RECT *r);
// One row of an 8x8 pattern: bit 0x80 is x mod 8 == 0.
void gdi_pattern_span(const gdi_surface *s, int y, int left, int right, uint8_t bits, uint32_t fg,
                      uint32_t bg);
void gdi_copy_rect(const gdi_surface *dst, int dst_x, int dst_y, const gdi_surface *src, int src_x,
                   int src_y, int width, int height);

// For the unstretched blends (alpha_blend.cpp): whether a source rectangle lies wholly inside
// its surface, and the destination rectangle moved inside its surface with the source start
// moved alike (false when nothing is left).
bool gdi_source_rect_inside(const gdi_surface *src, int x, int y, int width, int height);
bool gdi_clip_unstretched(const gdi_surface *dst, int64_t *x, int64_t *y, int64_t *sx, int64_t *sy,
                          int64_t *width, int64_t *height);

// Intersects `r` with the surface; false when nothing is left.
bool gdi_clip_rect(const gdi_surface *s, RECT *r);

// ---- Brushes (hatch.cpp) ----

// Paints [left, right) of row y (clipped here) with `brush` as selected in `dc`.
void gdi_brush_span(const gdi_dc *dc, const gdi_brush *brush, int y, int left, int right);
// Paints a rectangle (clipped here) with `brush`.
void gdi_brush_rect(const gdi_dc *dc, const gdi_brush *brush, RECT r);

#endif
