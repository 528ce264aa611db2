// TransparentBlt: a copy that leaves the destination alone wherever the source has the key
// colour, unstretched.
#include "platform/posix/gdi/gdi_internal.h"

// Stretching is not offered, as for AlphaBlend.
BOOL WINAPI TransparentBlt(HDC dest, int x, int y, int width, int height, HDC source, int src_x,
                           int src_y, int src_width, int src_height, UINT key) {
    gdi_dc *dst_dc = gdi_dc_get(dest);
    gdi_dc *src_dc = gdi_dc_get(source);
    if (!dst_dc || !src_dc || width != src_width || height != src_height) return FALSE;
    const gdi_surface *dst = &dst_dc->surface, *src = &src_dc->surface;
    if (!gdi_source_rect_inside(src, src_x, src_y, src_width, src_height)) return FALSE;
    int64_t dx = x, dy = y, sx = src_x, sy = src_y, w = width, h = height;
    if (!gdi_clip_unstretched(dst, &dx, &dy, &sx, &sy, &w, &h)) return TRUE;
    // Surface pixels may carry a fourth byte (a DIB section's alpha); only colour counts.
    uint32_t skip = gdi_pixel_from_colour(key & 0x00FFFFFFu);
    for (int64_t row = 0; row < h; ++row) {
        const uint32_t *from = gdi_row(src, static_cast<int>(sy + row)) + sx;
        uint32_t *to = gdi_row(dst, static_cast<int>(dy + row)) + dx;
        for (int64_t i = 0; i < w; ++i) {
            uint32_t p = from[i] & 0x00FFFFFFu;
            if (p != skip) to[i] = p;
        }
    }
    return TRUE;
}
