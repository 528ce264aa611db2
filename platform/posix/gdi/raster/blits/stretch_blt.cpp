// StretchBlt and SetStretchBltMode: rectangle copies that change size, by sampling.
#include "platform/posix/gdi/gdi_internal.h"

#include <algorithm>

namespace {

// The source column (or row) that destination offset `d` of an extent `dst_extent` samples
// from a source extent `src_extent`: the one under the centre of the destination pixel. For
// a whole-number enlargement by N that is d / N, as the reference GDI gives.
int64_t sample_at(int64_t d, int64_t dst_extent, int64_t src_extent) {
    return ((2 * d + 1) * src_extent) / (2 * dst_extent);
}

} // namespace

int WINAPI SetStretchBltMode(HDC hdc, int mode) {
    gdi_dc *dc = gdi_dc_get(hdc);
    if (!dc || mode < BLACKONWHITE || mode > HALFTONE) return 0;
    int previous = dc->stretch_mode;
    dc->stretch_mode = mode;
    return previous;
}

// A subset: SRCCOPY only, positive extents only (no mirroring), and every mode samples the
// nearest source pixel, which is what all of them do when enlarging on a true-colour surface.
BOOL WINAPI StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int src_x,
                       int src_y, int src_width, int src_height, DWORD rop) {
    gdi_dc *dst_dc = gdi_dc_get(dest);
    gdi_dc *src_dc = gdi_dc_get(source);
    if (!dst_dc || !src_dc || rop != SRCCOPY) return FALSE;
    if (width < 0 || height < 0 || src_width < 0 || src_height < 0) return FALSE;
    if (width == 0 || height == 0 || src_width == 0 || src_height == 0) return TRUE;
    const gdi_surface *dst = &dst_dc->surface;
    const gdi_surface *src = &src_dc->surface;
    // Only the destination pixels on the surface are visited; each samples its source pixel,
    // and one that falls off the source surface is left as it was.
    int64_t first_x = std::max<int64_t>(0, -int64_t{x});
    int64_t last_x = std::min<int64_t>(width, int64_t{dst->width} - x);
    int64_t first_y = std::max<int64_t>(0, -int64_t{y});
    int64_t last_y = std::min<int64_t>(height, int64_t{dst->height} - y);
    for (int64_t dy = first_y; dy < last_y; ++dy) {
        int64_t sy = src_y + sample_at(dy, height, src_height);
        if (sy < 0 || sy >= src->height) continue;
        const uint32_t *from = gdi_row(src, static_cast<int>(sy));
        uint32_t *to = gdi_row(dst, static_cast<int>(y + dy));
        for (int64_t dx = first_x; dx < last_x; ++dx) {
            int64_t sx = src_x + sample_at(dx, width, src_width);
            if (sx >= 0 && sx < src->width) to[x + dx] = from[sx];
        }
    }
    return TRUE;
}
