// The pixel loops: everything that touches surface memory in bulk works a row at a time
// here. Callers clip first; these loops trust their rectangles.
#include "platform/posix/gdi/gdi_internal.h"

#include <algorithm>
#include <string.h>

bool gdi_clip_rect(const gdi_surface *s, RECT *r) {
    r->left = std::max<LONG>(r->left, 0);
    r->top = std::max<LONG>(r->top, 0);
    r->right = std::min<LONG>(r->right, s->width);
    r->bottom = std::min<LONG>(r->bottom, s->height);
    return r->left < r->right && r->top < r->bottom;
}

namespace {

#if (defined(__x86_64__) || defined(__i386__)) && !defined(__SANITIZE_ADDRESS__) &&                \
    !defined(__SANITIZE_THREAD__)
#define GDI_STRING_STORES 1
#endif

// Sets `count` pixels. Long runs use the processor's string store, which writes whole cache
// lines without reading them first (twice the speed of a store loop on large fills); the
// sanitizer builds keep the plain loop so that every store stays checked.
inline void gdi_fill_pixels(uint32_t *p, size_t count, uint32_t pixel) {
#ifdef GDI_STRING_STORES
    if (count >= 64) {
        __asm__ __volatile__("rep stosl" : "+D"(p), "+c"(count) : "a"(pixel) : "memory");
        return;
    }
#endif
    size_t i = 0;
    const uint32_t quad[4] = {pixel, pixel, pixel, pixel}; // one 16-byte store per copy
    for (; i + 4 <= count; i += 4) memcpy(p + i, quad, sizeof(quad));
    for (; i < count; i++) p[i] = pixel;
}

} // namespace

void gdi_fill_span(const gdi_surface *s, int y, int left, int right, uint32_t pixel) {
    gdi_fill_pixels(gdi_row(s, y) + left, (size_t)(right - left), pixel);
}

void gdi_fill_rect(const gdi_surface *s, const RECT *r, uint32_t pixel) {
    for (int y = r->top; y < r->bottom; y++) gdi_fill_span(s, y, r->left, r->right, pixel);
}

// Inverts all 32 bits, the unused X byte included, as Win32 does to a 32-bit surface: an
// inverted black is then no longer the black that ExtFloodFill compares with.
void gdi_invert_rect(const gdi_surface *s, const RECT *r) {
    for (int y = r->top; y < r->bottom; y++) {
        uint32_t *row = gdi_row(s, y);
        for (int x = r->left; x < r->right; x++) row[x] = ~row[x];
    }
}

void gdi_pattern_span(const gdi_surface *s, int y, int left, int right, uint8_t bits, uint32_t fg,
                      uint32_t bg) {
    uint32_t cycle[8];
    for (int i = 0; i < 8; i++) cycle[i] = (bits & (0x80u >> i)) ? fg : bg;
    uint32_t *row = gdi_row(s, y);
    for (int x = left; x < right; x++) row[x] = cycle[x & 7];
}

// Copies a rectangle between surfaces, or within one: rows go bottom-up when the
// destination lies below the source, and memmove takes care of overlap within a row.
void gdi_copy_rect(const gdi_surface *dst, int dst_x, int dst_y, const gdi_surface *src, int src_x,
                   int src_y, int width, int height) {
    size_t bytes = (size_t)width * sizeof(uint32_t);
    bool upward = dst->pixels == src->pixels && dst_y > src_y;
    for (int i = 0; i < height; i++) {
        int row = upward ? height - 1 - i : i;
        memmove(gdi_row(dst, dst_y + row) + dst_x, gdi_row(src, src_y + row) + src_x, bytes);
    }
}
