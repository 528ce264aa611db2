// Single pixels: SetPixel, SetPixelV and GetPixel.
#include "platform/posix/gdi/gdi_internal.h"

namespace {

// The address of pixel (x, y), or null outside the surface.
uint32_t *gdi_pixel_at(const gdi_dc *dc, int x, int y) {
    const gdi_surface *s = &dc->surface;
    if (x < 0 || y < 0 || x >= s->width || y >= s->height) return nullptr;
    return gdi_row(s, y) + x;
}

} // namespace

// Returns the colour the pixel got: the COLORREF without its flag byte, since a 32-bit
// surface holds every RGB colour exactly. -1 when the point is off the surface.
COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF colour) {
    gdi_dc *dc = gdi_dc_get(hdc);
    if (!dc) return CLR_INVALID;
    uint32_t *at = gdi_pixel_at(dc, x, y);
    if (!at) return CLR_INVALID;
    *at = gdi_pixel_from_colour(colour);
    return colour & 0x00FFFFFFu;
}

BOOL WINAPI SetPixelV(HDC hdc, int x, int y, COLORREF colour) {
    gdi_dc *dc = gdi_dc_get(hdc);
    uint32_t *at = dc ? gdi_pixel_at(dc, x, y) : nullptr;
    if (!at) return FALSE;
    *at = gdi_pixel_from_colour(colour);
    return TRUE;
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
    gdi_dc *dc = gdi_dc_get(hdc);
    const uint32_t *at = dc ? gdi_pixel_at(dc, x, y) : nullptr;
    return at ? gdi_colour_from_pixel(*at) : CLR_INVALID;
}
