// Glyph coverage blended onto a surface in the text colour, one clipped row at a time.
#include "platform/posix/gdi/text/font_engine.h"

namespace {

// dst + (src - dst) * alpha / 255 on each of the three channels, rounded.
inline uint32_t blend_pixel(uint32_t dst, uint32_t src, uint32_t alpha) {
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        int d = (dst >> shift) & 0xFF, s = (src >> shift) & 0xFF;
        int mixed = d * 255 + (s - d) * static_cast<int>(alpha);
        out |= static_cast<uint32_t>((mixed + 127) / 255) << shift;
    }
    return out;
}

void blend_row(uint32_t *dst, const uint8_t *coverage, int count, uint32_t pixel) {
    for (int i = 0; i < count; i++) {
        uint32_t alpha = coverage[i];
        if (alpha == 0) continue;
        dst[i] = alpha == 255 ? pixel : blend_pixel(dst[i], pixel, alpha);
    }
}

} // namespace

void font_blend_coverage(const gdi_surface *surface, int64_t x, int64_t y, const uint8_t *coverage,
                         int width, int height, uint32_t pixel) {
    int64_t left = x < 0 ? 0 : x, top = y < 0 ? 0 : y;
    int64_t right = x + width, bottom = y + height;
    if (right > surface->width) right = surface->width;
    if (bottom > surface->height) bottom = surface->height;
    if (left >= right || top >= bottom) return;
    int count = static_cast<int>(right - left);
    for (int64_t row = top; row < bottom; row++) {
        const uint8_t *source = coverage + (row - y) * width + (left - x);
        blend_row(gdi_row(surface, static_cast<int>(row)) + left, source, count, pixel);
    }
}
