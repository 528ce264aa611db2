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
// lines without reading them first (twice the speed of a store loop on large fills); its
// start-up costs more than a short run, so shapes' spans use 64-byte stores instead. The
// sanitizer builds keep the plain loop so that every store stays checked.
inline void gdi_fill_pixels(uint32_t *p, size_t count, uint32_t pixel) {
#ifdef GDI_STRING_STORES
    if (count >= 256) {
        __asm__ __volatile__("rep stosl" : "+D"(p), "+c"(count) : "a"(pixel) : "memory");
        return;
    }
#endif
    size_t i = 0;
    uint32_t block[16]; // one 64-byte store per copy where the compiler can
    for (uint32_t &b : block) b = pixel;
    for (; i + 16 <= count; i += 16) memcpy(p + i, block, sizeof(block));
    for (; i + 4 <= count; i += 4) memcpy(p + i, block, 16);
    for (; i < count; i++) p[i] = pixel;
}

} // namespace

void gdi_fill_span(const gdi_surface *s, int y, int left, int right, uint32_t pixel) {
    gdi_fill_pixels(gdi_row(s, y) + left, (size_t)(right - left), pixel);
}

void gdi_fill_rect(const gdi_surface *s, const RECT *r, uint32_t pixel) {
    if (r->top >= r->bottom || r->left >= r->right) return;
    // Whole rows are one run of memory when the padding between them may be overwritten:
    // one string store for all of them instead of one per row, a third faster on a clear.
    if (r->left == 0 && r->right == s->width && (s->padding_is_scratch || s->stride == s->width)) {
        size_t rows = (size_t)(r->bottom - r->top);
        gdi_fill_pixels(gdi_row(s, r->top), (rows - 1) * (size_t)s->stride + (size_t)s->width,
                        pixel);
        return;
    }
    for (int y = r->top; y < r->bottom; y++) gdi_fill_span(s, y, r->left, r->right, pixel);
}

// Works down the box in bands of rows small enough to stay in the cache: each band's inside
// is filled, then its two frame pixels are set while their rows are still cached (a frame
// column set afterwards would fetch every row back from memory).
void gdi_fill_framed_box(const gdi_surface *s, int64_t left, int64_t top, int64_t right,
                         int64_t bottom, uint32_t fill, uint32_t frame) {
    const int64_t band = 8;
    int64_t x0 = std::max<int64_t>(left, 0), x1 = std::min<int64_t>(right, s->width - 1);
    int64_t y0 = std::max<int64_t>(top, 0), y1 = std::min<int64_t>(bottom, s->height - 1);
    if (x0 > x1 || y0 > y1) return;
    for (int64_t y = y0; y <= y1; y += band) {
        int64_t first = std::max(y, top + 1), last = std::min(y + band - 1, bottom - 1);
        last = std::min(last, y1);
        if (first > last) continue;
        RECT inside = {(LONG)x0, (LONG)first, (LONG)x1 + 1, (LONG)last + 1};
        gdi_fill_rect(s, &inside, fill);
        for (int64_t row = first; row <= last; row++) {
            if (left >= 0) gdi_row(s, (int)row)[left] = frame;
            if (right < s->width) gdi_row(s, (int)row)[right] = frame;
        }
    }
    if (top >= 0) gdi_fill_span(s, (int)top, (int)x0, (int)x1 + 1, frame);
    if (bottom < s->height) gdi_fill_span(s, (int)bottom, (int)x0, (int)x1 + 1, frame);
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
