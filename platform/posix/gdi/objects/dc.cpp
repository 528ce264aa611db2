// Device contexts: memory DCs and the window manager's surface DCs, object selection and
// the device capabilities.
#include "platform/posix/gdi/gdi_internal.h"
#include "platform/posix/gdi/gdi_screen.h"

#include <atomic>
#include <new>

namespace {

std::atomic<int> screen_width{1920};
std::atomic<int> screen_height{1080};

// Win32 raster capabilities of a true-colour display: BITBLT, BITMAP64, GDI20_OUTPUT,
// DI_BITMAP, DIBTODEV, STRETCHBLT, FLOODFILL, STRETCHDIB. No RC_PALETTE.
constexpr int raster_caps = 0x0001 | 0x0008 | 0x0010 | 0x0080 | 0x0200 | 0x0800 | 0x1000 | 0x2000;

gdi_surface gdi_bitmap_surface(gdi_dc *dc, gdi_bitmap *bitmap) {
    if (!bitmap->pixels) return gdi_surface{&dc->own_pixel, 1, 1, 1};
    return gdi_surface{bitmap->pixels, bitmap->width, bitmap->height, bitmap->stride, true};
}

template <typename T> T *gdi_stock_as(int index) {
    return reinterpret_cast<T *>(gdi_stock_object(index));
}

// A DC with the Win32 defaults: black pen, white brush, system font, default palette,
// black text on a white opaque background, top-left alignment, position (0, 0).
gdi_dc *gdi_dc_new(bool is_memory) {
    gdi_dc *dc = new (std::nothrow) gdi_dc();
    if (!dc) return nullptr;
    dc->header.type = GDI_OBJ_DC;
    dc->is_memory = is_memory;
    dc->own_pixel = 0; // Win32's default 1x1 bitmap is black
    dc->pen = gdi_stock_as<gdi_pen>(BLACK_PEN);
    dc->brush = gdi_stock_as<gdi_brush>(WHITE_BRUSH);
    dc->font = gdi_stock_as<gdi_font>(SYSTEM_FONT);
    dc->palette = gdi_stock_as<gdi_palette>(DEFAULT_PALETTE);
    dc->text_colour = RGB(0, 0, 0);
    dc->bk_colour = RGB(255, 255, 255);
    dc->bk_mode = OPAQUE;
    dc->stretch_mode = BLACKONWHITE;
    dc->text_align = TA_TOP | TA_LEFT;
    if (is_memory) {
        dc->bitmap = gdi_stock_bitmap();
        dc->surface = gdi_bitmap_surface(dc, dc->bitmap);
    }
    gdi_pen_select(dc);
    if (!gdi_handle_alloc(&dc->header)) {
        delete dc;
        return nullptr;
    }
    return dc;
}

HGDIOBJ gdi_select_bitmap(gdi_dc *dc, gdi_bitmap *bitmap) {
    if (!dc->is_memory) return nullptr; // only memory DCs take bitmaps
    gdi_bitmap *previous = dc->bitmap;
    HGDIOBJ previous_handle = previous->header.handle;
    if (bitmap == previous) return previous_handle;
    if (!gdi_handle_select_bitmap(&previous->header, &bitmap->header)) return nullptr;
    dc->bitmap = bitmap;
    dc->surface = gdi_bitmap_surface(dc, bitmap);
    return previous_handle;
}

// Swaps one object slot of the DC and returns the handle it held.
template <typename T> HGDIOBJ gdi_swap(T *&slot, T *next) {
    T *previous = slot;
    HGDIOBJ previous_handle = previous->header.handle;
    if (previous == next) return previous_handle;
    // A deleted object is refused, as a bitmap held elsewhere is, and the DC keeps its own.
    if (!gdi_count_in(&next->header)) return nullptr;
    slot = next;
    gdi_count_out(&previous->header);
    return previous_handle;
}

} // namespace

void gdi_set_screen_size(int width, int height) {
    screen_width.store(width, std::memory_order_relaxed);
    screen_height.store(height, std::memory_order_relaxed);
}

HDC gdi_create_surface_dc(const gdi_surface *surface) {
    gdi_dc *dc = gdi_dc_new(false);
    if (!dc) return nullptr;
    if (surface) dc->surface = *surface;
    return static_cast<HDC>(dc->header.handle);
}

void gdi_set_dc_surface(HDC hdc, const gdi_surface *surface) {
    gdi_dc *dc = gdi_dc_get(hdc);
    if (!dc || dc->is_memory) return;
    dc->surface = surface ? *surface : gdi_surface{};
}

HDC WINAPI CreateCompatibleDC(HDC hdc) {
    if (hdc && !gdi_dc_get(hdc)) return nullptr;
    gdi_dc *dc = gdi_dc_new(true);
    return dc ? static_cast<HDC>(dc->header.handle) : nullptr;
}

BOOL WINAPI DeleteDC(HDC hdc) {
    gdi_dc *dc = gdi_dc_get(hdc);
    if (!dc) return FALSE;
    // Let go of every selection first, so objects deleted while selected here are freed.
    if (dc->bitmap) gdi_count_out(&dc->bitmap->header);
    gdi_count_out(&dc->pen->header);
    gdi_count_out(&dc->brush->header);
    gdi_count_out(&dc->font->header);
    gdi_count_out(&dc->palette->header);
    gdi_handle_free_dc(&dc->header);
    return TRUE;
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ handle) {
    gdi_dc *dc = gdi_dc_get(hdc);
    gdi_object *object = gdi_handle_get(handle, GDI_OBJ_NONE);
    if (!dc || !object) return nullptr;
    switch (object->type) {
    case GDI_OBJ_BITMAP:
        return gdi_select_bitmap(dc, reinterpret_cast<gdi_bitmap *>(object));
    case GDI_OBJ_PEN: {
        HGDIOBJ previous = gdi_swap(dc->pen, reinterpret_cast<gdi_pen *>(object));
        gdi_pen_select(dc);
        return previous;
    }
    case GDI_OBJ_BRUSH:
        return gdi_swap(dc->brush, reinterpret_cast<gdi_brush *>(object));
    case GDI_OBJ_FONT:
        return gdi_swap(dc->font, reinterpret_cast<gdi_font *>(object));
    default:
        return nullptr; // palettes go through SelectPalette; DCs are not selectable
    }
}

// On a true-colour device a palette changes no pixel; the DC only keeps it selected.
HPALETTE WINAPI SelectPalette(HDC hdc, HPALETTE handle, BOOL force_background) {
    (void)force_background;
    gdi_dc *dc = gdi_dc_get(hdc);
    gdi_object *object = gdi_handle_get(handle, GDI_OBJ_PALETTE);
    if (!dc || !object) return nullptr;
    return static_cast<HPALETTE>(gdi_swap(dc->palette, reinterpret_cast<gdi_palette *>(object)));
}

// Nothing to map on a true-colour device: 0 entries changed, as Win32 reports there.
UINT WINAPI RealizePalette(HDC hdc) {
    return gdi_dc_get(hdc) ? 0 : GDI_ERROR;
}

int WINAPI GetDeviceCaps(HDC hdc, int index) {
    if (!gdi_dc_get(hdc)) return 0;
    switch (index) {
    case BITSPIXEL:
        return 32;
    case PLANES:
        return 1;
    case LOGPIXELSX:
    case LOGPIXELSY:
        return 96;
    case HORZRES:
        return screen_width.load(std::memory_order_relaxed);
    case VERTRES:
        return screen_height.load(std::memory_order_relaxed);
    case RASTERCAPS:
        return raster_caps;
    case SIZEPALETTE:
        return 0;
    default:
        return 0;
    }
}
