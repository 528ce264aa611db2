// BitBlt: rectangle copies between DCs, clipped against both surfaces.
#include "platform/posix/gdi/gdi_internal.h"

#include <algorithm>

namespace {

// A copy in 64-bit coordinates, so that no sum of two Win32 ints can overflow.
struct gdi_blit {
    int64_t dst_x, dst_y, src_x, src_y, width, height;
};

// Trims the copy along one axis so that [bounded, bounded + size) lies within [0, limit),
// moving the start on the other surface by the same amount.
void gdi_trim_axis(int64_t &bounded, int64_t &other, int64_t &size, int64_t limit) {
    if (bounded < 0) {
        other -= bounded;
        size += bounded;
        bounded = 0;
    }
    size = std::min(size, limit - bounded);
}

// Clips the copy against the destination and the source surfaces; false when empty.
bool gdi_clip_blit(gdi_blit &b, const gdi_surface *dst, const gdi_surface *src) {
    // Negative extents name the rectangle on the other side of the origin point.
    if (b.width < 0) {
        b.dst_x += b.width;
        b.src_x += b.width;
        b.width = -b.width;
    }
    if (b.height < 0) {
        b.dst_y += b.height;
        b.src_y += b.height;
        b.height = -b.height;
    }
    gdi_trim_axis(b.dst_x, b.src_x, b.width, dst->width);
    gdi_trim_axis(b.dst_y, b.src_y, b.height, dst->height);
    gdi_trim_axis(b.src_x, b.dst_x, b.width, src->width);
    gdi_trim_axis(b.src_y, b.dst_y, b.height, src->height);
    return b.width > 0 && b.height > 0;
}

} // namespace

// Only SRCCOPY is offered: the library copies buffers and nothing else.
BOOL WINAPI BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int src_x, int src_y,
                   DWORD rop) {
    gdi_dc *dst_dc = gdi_dc_get(dest);
    gdi_dc *src_dc = gdi_dc_get(source);
    if (!dst_dc || !src_dc || rop != SRCCOPY) return FALSE;
    gdi_blit b = {x, y, src_x, src_y, width, height};
    const gdi_surface *dst = &dst_dc->surface;
    const gdi_surface *src = &src_dc->surface;
    if (!gdi_clip_blit(b, dst, src)) return TRUE;
    gdi_copy_rect(dst, (int)b.dst_x, (int)b.dst_y, src, (int)b.src_x, (int)b.src_y, (int)b.width,
                  (int)b.height);
    return TRUE;
}
