// GDI objects other than DCs and bitmaps: pens, brushes, palettes, the font record, the
// stock objects, and the object-wide calls DeleteObject, GetObjectA and GetPaletteEntries.
#include "platform/posix/gdi/gdi_internal.h"

#include <initializer_list>
#include <new>
#include <stdlib.h>
#include <string.h>

namespace {

constexpr int stock_count = 18; // GetStockObject indices 0..17

struct stock_table {
    gdi_object *objects[stock_count];
    gdi_bitmap bitmap;
};

// The 20 static colours of the Win32 default palette (red, green, blue).
const BYTE default_palette_colours[20][3] = {
    {0x00, 0x00, 0x00}, {0x80, 0x00, 0x00}, {0x00, 0x80, 0x00}, {0x80, 0x80, 0x00},
    {0x00, 0x00, 0x80}, {0x80, 0x00, 0x80}, {0x00, 0x80, 0x80}, {0xC0, 0xC0, 0xC0},
    {0xC0, 0xDC, 0xC0}, {0xA6, 0xCA, 0xF0}, {0xFF, 0xFB, 0xF0}, {0xA0, 0xA0, 0xA4},
    {0x80, 0x80, 0x80}, {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0xFF, 0xFF, 0x00},
    {0x00, 0x00, 0xFF}, {0xFF, 0x00, 0xFF}, {0x00, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF},
};

template <typename T> T *gdi_new_record(gdi_object_type type) {
    T *record = new (std::nothrow) T();
    if (record) record->header.type = type;
    return record;
}

// Publishes a freshly made record, or frees it when no handle is left.
template <typename T> HGDIOBJ gdi_publish(T *record) {
    gdi_stock_init();
    if (!record) return nullptr;
    HGDIOBJ handle = gdi_handle_alloc(&record->header);
    if (!handle) gdi_object_destroy(&record->header);
    return handle;
}

template <typename T> T *gdi_make_stock(T *record) {
    record->header.stock = true;
    gdi_handle_alloc(&record->header);
    return record;
}

gdi_object *gdi_stock_brush(gdi_brush_style style, COLORREF colour) {
    gdi_brush *brush = gdi_new_record<gdi_brush>(GDI_OBJ_BRUSH);
    brush->style = style;
    brush->colour = colour;
    return &gdi_make_stock(brush)->header;
}

gdi_object *gdi_stock_pen(int style, COLORREF colour) {
    gdi_pen *pen = gdi_new_record<gdi_pen>(GDI_OBJ_PEN);
    pen->style = style;
    pen->width = 1;
    pen->colour = colour;
    return &gdi_make_stock(pen)->header;
}

gdi_object *gdi_stock_font() {
    gdi_font *font = gdi_new_record<gdi_font>(GDI_OBJ_FONT);
    font->height = 16; // the system font: a sans face, 16 pixels
    font->weight = FW_NORMAL;
    strcpy(font->face, "Sans");
    return &gdi_make_stock(font)->header;
}

gdi_object *gdi_stock_palette() {
    gdi_palette *palette = gdi_new_record<gdi_palette>(GDI_OBJ_PALETTE);
    palette->count = 20;
    palette->entries = new PALETTEENTRY[20];
    for (int i = 0; i < 20; i++) {
        const BYTE *rgb = default_palette_colours[i];
        palette->entries[i] = PALETTEENTRY{rgb[0], rgb[1], rgb[2], 0};
    }
    return &gdi_make_stock(palette)->header;
}

stock_table *gdi_build_stock() {
    static stock_table table;
    table.objects[WHITE_BRUSH] = gdi_stock_brush(GDI_BRUSH_SOLID, RGB(255, 255, 255));
    table.objects[LTGRAY_BRUSH] = gdi_stock_brush(GDI_BRUSH_SOLID, RGB(192, 192, 192));
    table.objects[GRAY_BRUSH] = gdi_stock_brush(GDI_BRUSH_SOLID, RGB(128, 128, 128));
    table.objects[DKGRAY_BRUSH] = gdi_stock_brush(GDI_BRUSH_SOLID, RGB(64, 64, 64));
    table.objects[BLACK_BRUSH] = gdi_stock_brush(GDI_BRUSH_SOLID, RGB(0, 0, 0));
    table.objects[NULL_BRUSH] = gdi_stock_brush(GDI_BRUSH_NULL, 0);
    table.objects[WHITE_PEN] = gdi_stock_pen(PS_SOLID, RGB(255, 255, 255));
    table.objects[BLACK_PEN] = gdi_stock_pen(PS_SOLID, RGB(0, 0, 0));
    table.objects[NULL_PEN] = gdi_stock_pen(PS_NULL, 0);
    // Every stock font index (OEM, ANSI, system, device default, GUI) is the one system font.
    gdi_object *font = gdi_stock_font();
    for (int index : {10, 11, 12, SYSTEM_FONT, 14, 16, 17}) table.objects[index] = font;
    table.objects[DEFAULT_PALETTE] = gdi_stock_palette();
    table.bitmap.header.type = GDI_OBJ_BITMAP;
    table.bitmap.width = 1;
    table.bitmap.height = 1;
    table.bitmap.stride = 1;
    gdi_make_stock(&table.bitmap);
    return &table;
}

stock_table *gdi_stock() {
    static stock_table *table = gdi_build_stock(); // thread-safe one-time construction
    return table;
}

} // namespace

gdi_object *gdi_stock_object(int index) {
    if (index < 0 || index >= stock_count) return nullptr;
    return gdi_stock()->objects[index];
}

gdi_bitmap *gdi_stock_bitmap(void) {
    return &gdi_stock()->bitmap;
}

void gdi_stock_init(void) {
    gdi_stock();
}

void gdi_object_destroy(gdi_object *object) {
    switch (object->type) {
    case GDI_OBJ_DC:
        delete reinterpret_cast<gdi_dc *>(object);
        break;
    case GDI_OBJ_BITMAP: {
        gdi_bitmap *bitmap = reinterpret_cast<gdi_bitmap *>(object);
        free(bitmap->pixels);
        delete bitmap;
        break;
    }
    case GDI_OBJ_PEN:
        delete reinterpret_cast<gdi_pen *>(object);
        break;
    case GDI_OBJ_BRUSH:
        delete reinterpret_cast<gdi_brush *>(object);
        break;
    case GDI_OBJ_FONT: {
        gdi_font *font = reinterpret_cast<gdi_font *>(object);
        if (font->release_engine) font->release_engine(font);
        delete font;
        break;
    }
    case GDI_OBJ_PALETTE: {
        gdi_palette *palette = reinterpret_cast<gdi_palette *>(object);
        delete[] palette->entries;
        delete palette;
        break;
    }
    case GDI_OBJ_NONE:
        break;
    }
}

HGDIOBJ WINAPI GetStockObject(int index) {
    gdi_object *object = gdi_stock_object(index);
    return object ? object->handle : nullptr;
}

HPEN WINAPI CreatePen(int style, int width, COLORREF colour) {
    if (style < PS_SOLID || style > PS_INSIDEFRAME) return nullptr;
    gdi_pen *pen = gdi_new_record<gdi_pen>(GDI_OBJ_PEN);
    if (!pen) return nullptr;
    pen->style = style;
    pen->width = width;
    pen->colour = colour;
    return static_cast<HPEN>(gdi_publish(pen));
}

HBRUSH WINAPI CreateSolidBrush(COLORREF colour) {
    gdi_brush *brush = gdi_new_record<gdi_brush>(GDI_OBJ_BRUSH);
    if (!brush) return nullptr;
    brush->style = GDI_BRUSH_SOLID;
    brush->colour = colour;
    return static_cast<HBRUSH>(gdi_publish(brush));
}

HBRUSH WINAPI CreateHatchBrush(int hatch, COLORREF colour) {
    if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) return nullptr;
    gdi_brush *brush = gdi_new_record<gdi_brush>(GDI_OBJ_BRUSH);
    if (!brush) return nullptr;
    brush->style = GDI_BRUSH_HATCHED;
    brush->hatch = hatch;
    brush->colour = colour;
    return static_cast<HBRUSH>(gdi_publish(brush));
}

HPALETTE WINAPI CreatePalette(const LOGPALETTE *logical) {
    if (!logical || logical->palVersion != 0x300 || logical->palNumEntries == 0) return nullptr;
    gdi_palette *palette = gdi_new_record<gdi_palette>(GDI_OBJ_PALETTE);
    if (!palette) return nullptr;
    palette->count = logical->palNumEntries;
    palette->entries = new (std::nothrow) PALETTEENTRY[palette->count];
    if (!palette->entries) {
        delete palette;
        return nullptr;
    }
    memcpy(palette->entries, logical->palPalEntry, palette->count * sizeof(PALETTEENTRY));
    return static_cast<HPALETTE>(gdi_publish(palette));
}

HFONT gdi_font_create(const gdi_font *description) {
    gdi_font *font = gdi_new_record<gdi_font>(GDI_OBJ_FONT);
    if (!font) return nullptr;
    *font = *description;
    font->header = gdi_object{};
    font->header.type = GDI_OBJ_FONT;
    font->face[sizeof(font->face) - 1] = '\0';
    font->engine = nullptr;
    font->release_engine = nullptr;
    return static_cast<HFONT>(gdi_publish(font));
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
    return gdi_handle_delete(object) ? TRUE : FALSE;
}

UINT WINAPI GetPaletteEntries(HPALETTE handle, UINT start, UINT count, PALETTEENTRY *entries) {
    gdi_object *object = gdi_handle_get(handle, GDI_OBJ_PALETTE);
    if (!object) return 0;
    gdi_palette *palette = reinterpret_cast<gdi_palette *>(object);
    UINT total = (UINT)palette->count;
    if (!entries) return total; // Win32: the number of entries when no buffer is given
    if (start >= total) return 0;
    if (count > total - start) count = total - start;
    memcpy(entries, palette->entries + start, count * sizeof(PALETTEENTRY));
    return count;
}

// Bitmaps give a BITMAP and palettes their entry count (a WORD), as on Win32. Pens, brushes
// and fonts have no description the library reads, so they report 0.
int WINAPI GetObjectA(HGDIOBJ handle, int size, LPVOID out) {
    gdi_object *object = gdi_handle_get(handle, GDI_OBJ_NONE);
    if (!object) return 0;
    if (object->type == GDI_OBJ_BITMAP) {
        if (!out) return (int)sizeof(BITMAP);
        if (size < (int)sizeof(BITMAP)) return 0;
        const gdi_bitmap *bitmap = reinterpret_cast<const gdi_bitmap *>(object);
        BITMAP info = {};
        info.bmWidth = bitmap->width;
        info.bmHeight = bitmap->height;
        info.bmPlanes = 1;
        // The stock bitmap describes itself as Win32's: one monochrome pixel.
        info.bmBitsPixel = bitmap->header.stock ? 1 : 32;
        info.bmWidthBytes = bitmap->header.stock ? 2 : bitmap->width * 4;
        memcpy(out, &info, sizeof(info));
        return (int)sizeof(BITMAP);
    }
    if (object->type == GDI_OBJ_PALETTE) {
        if (!out) return (int)sizeof(WORD);
        if (size < (int)sizeof(WORD)) return 0;
        WORD count = (WORD) reinterpret_cast<const gdi_palette *>(object)->count;
        memcpy(out, &count, sizeof(count));
        return (int)sizeof(WORD);
    }
    return 0;
}
