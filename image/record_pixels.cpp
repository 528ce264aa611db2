// Turning any bitmap record into 32-bit pixels: the platform draws the record's own format,
// and records with alpha are copied here so that their fourth byte survives.
#include "image/record_pixels.h"

#include <string.h>

namespace {

// x * a / 255 rounded to nearest, exact for all 8-bit x and a.
inline uint32_t times_alpha(uint32_t x, uint32_t a) {
    uint32_t t = x * a + 128;
    return (t + (t >> 8)) >> 8;
}

void copy_alpha_rows(const bitmap_record *bitmap, uint32_t *out) {
    size_t stride = static_cast<size_t>(bitmap->width) * 4;
    for (int y = 0; y < bitmap->height; ++y)
        memcpy(out + static_cast<size_t>(y) * bitmap->width,
               bitmap->bits + stride * (bitmap->height - 1 - y), stride);
}

// Replaces the swapped colour and premultiplies, as asked, in one pass over the copy.
void finish_pixels(uint32_t *pixels, size_t count, bool premultiply, const key_swap *swap) {
    for (size_t i = 0; i < count; ++i) {
        uint32_t p = pixels[i], a = p >> 24;
        if (swap && (p & 0x00FFFFFFu) == swap->colour) p = swap->replacement, a = p >> 24;
        if (premultiply && a != 255)
            p = a << 24 | times_alpha(p >> 16 & 255, a) << 16 | times_alpha(p >> 8 & 255, a) << 8 |
                times_alpha(p & 255, a);
        pixels[i] = p;
    }
}

// Draws the record through the platform, which knows every depth, table and compression.
bool draw_opaque(const bitmap_record *bitmap, HBITMAP section, uint32_t *out) {
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return false;
    HGDIOBJ previous = SelectObject(dc, section);
    bool drawn = draw_record(dc, 0, 0, bitmap);
    SelectObject(dc, previous);
    DeleteDC(dc);
    GdiFlush();
    size_t count = static_cast<size_t>(bitmap->width) * bitmap->height;
    for (size_t i = 0; i < count; ++i) out[i] |= 0xFF000000u;
    return drawn;
}

} // namespace

HBITMAP record_dib_section(const bitmap_record *bitmap, bool premultiply, uint32_t **pixels,
                           const key_swap *swap) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = bitmap->width;
    info.bmiHeader.biHeight = -bitmap->height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!section || !bits) return nullptr;
    uint32_t *out = static_cast<uint32_t *>(bits);
    if (bitmap->has_alpha) {
        copy_alpha_rows(bitmap, out);
    } else if (!draw_opaque(bitmap, section, out)) {
        DeleteObject(section);
        return nullptr;
    }
    if (swap || (premultiply && bitmap->has_alpha))
        finish_pixels(out, static_cast<size_t>(bitmap->width) * bitmap->height, premultiply, swap);
    *pixels = out;
    return section;
}
