// What the window manager needs from GDI: device contexts that draw onto a window's pixels.
#ifndef ZELVAN_GDI_SURFACE_H
#define ZELVAN_GDI_SURFACE_H

#include "platform/win32.h"

#include <stdint.h>

// A 32-bit BGRX pixel surface that someone else owns; rows are `stride` pixels apart.
struct gdi_surface {
    uint32_t *pixels;
    int width;
    int height;
    int stride;
    // True when the pixels between `width` and `stride` belong to the surface too and may
    // be overwritten (a bitmap's own row padding), so whole rows can be filled as one run.
    bool padding_is_scratch = false;
};

// A device context that draws onto `surface` (which may be null: then it draws nothing).
// The window manager owns it and deletes it with DeleteDC when the window goes.
HDC gdi_create_surface_dc(const gdi_surface *surface);

// The pixels of a bitmap, as a surface the bitmap still owns; a DIB section's fourth byte is
// what its writer left there. False for no bitmap.
bool gdi_bitmap_surface(HBITMAP bitmap, gdi_surface *surface);

// Points an existing surface DC at another surface, e.g. after the window was resized.
void gdi_set_dc_surface(HDC dc, const gdi_surface *surface);

#endif
