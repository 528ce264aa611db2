// GetDIBits and SetDIBitsToDevice: copies between bitmaps and device-independent pixel
// blocks, with Win32's scan-line numbering (from the bottom for bottom-up DIBs).
#include "platform/posix/gdi/dib_format.h"

#include <algorithm>
#include <string.h>
#include <vector>

namespace {

struct gdi_rect64 {
    int64_t left, top, right, bottom;
};

bool gdi_intersect(gdi_rect64 *a, const gdi_rect64 &b) {
    a->left = std::max(a->left, b.left);
    a->top = std::max(a->top, b.top);
    a->right = std::min(a->right, b.right);
    a->bottom = std::min(a->bottom, b.bottom);
    return a->left < a->right && a->top < a->bottom;
}

// Fills in the header (and nothing else) of a GetDIBits query: the bitmap's own format.
int gdi_dib_query(BITMAPINFO *info, const gdi_bitmap *bitmap) {
    if (info->bmiHeader.biSize == sizeof(BITMAPCOREHEADER)) {
        BITMAPCOREHEADER *core = reinterpret_cast<BITMAPCOREHEADER *>(info);
        core->bcWidth = (WORD)bitmap->width;
        core->bcHeight = (WORD)bitmap->height;
        core->bcPlanes = 1;
        core->bcBitCount = 32;
        return bitmap->height;
    }
    BITMAPINFOHEADER *h = &info->bmiHeader;
    h->biWidth = bitmap->width;
    h->biHeight = bitmap->height;
    h->biPlanes = 1;
    h->biBitCount = 32;
    h->biCompression = 3; // BI_BITFIELDS: a 32-bit device bitmap describes its masks
    h->biSizeImage = (DWORD)(gdi_dib_stride(bitmap->width, 32) * bitmap->height);
    h->biXPelsPerMeter = h->biYPelsPerMeter = 0;
    h->biClrUsed = h->biClrImportant = 0;
    return bitmap->height;
}

// Writes the colour table of an output DIB: the default colours, or for DIB_PAL_COLORS the
// indices 0, 1, 2...
void gdi_dib_write_colours(BITMAPINFO *info, const gdi_dib_format &f, bool core, UINT usage) {
    uint8_t *table = reinterpret_cast<uint8_t *>(info) + info->bmiHeader.biSize;
    for (int i = 0; i < f.colour_count; i++) {
        if (usage == DIB_PAL_COLORS) {
            WORD index = (WORD)i;
            memcpy(table + 2 * i, &index, sizeof(index));
            continue;
        }
        uint32_t c = f.colours[i];
        uint8_t entry[4] = {(uint8_t)c, (uint8_t)(c >> 8), (uint8_t)(c >> 16), 0};
        memcpy(table + (core ? 3 : 4) * i, entry, core ? 3 : 4);
    }
}

// The header GetDIBits works from, whichever of the two header kinds `info` has.
bool gdi_dib_output_header(const BITMAPINFO *info, BITMAPINFOHEADER *out, bool *core) {
    *core = info->bmiHeader.biSize == sizeof(BITMAPCOREHEADER);
    if (*core) {
        const BITMAPCOREHEADER *c = reinterpret_cast<const BITMAPCOREHEADER *>(info);
        *out = BITMAPINFOHEADER{};
        out->biSize = sizeof(BITMAPINFOHEADER);
        out->biWidth = c->bcWidth;
        out->biHeight = c->bcHeight;
        out->biPlanes = c->bcPlanes;
        out->biBitCount = c->bcBitCount;
        return true;
    }
    if (info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER)) return false;
    *out = info->bmiHeader;
    return out->biHeight != INT32_MIN;
}

// Copies the bitmap rows that the requested scan lines show into `bits`; returns the
// number of lines copied. Lines below the bitmap are zeroed, lines above it left alone.
int gdi_dib_copy_out(const gdi_bitmap *bitmap, const gdi_dib_format &f, UINT start, UINT lines,
                     uint8_t *bits) {
    int64_t height = f.height, count = lines, first_row, step;
    if (!f.top_down) {
        // Bottom-up: block line k is scan line start + k, counted from the bottom.
        count = std::min<int64_t>(count, height - start);
        first_row = height - 1 - start;
        step = -1;
    } else {
        // Top-down blocks count their scan lines from the bottom too, but run downwards.
        int64_t offset = height - count - start;
        if (offset < 0) {
            offset = 0;
            count = height - start;
        }
        first_row = offset;
        step = 1;
    }
    static const uint32_t stock_pixel = 0; // the stock 1x1 bitmap is black
    int64_t copied = 0, columns = std::min<int64_t>(f.width, bitmap->width);
    bool in_place = bitmap->pixels && columns == f.width;
    std::vector<uint32_t> row(in_place ? 0 : (size_t)f.width, 0);
    for (int64_t k = 0; k < count; k++) {
        int64_t r = first_row + step * k;
        uint8_t *out = bits + (size_t)k * f.stride;
        if (r < 0) continue;
        if (r >= bitmap->height) {
            memset(out, 0, f.stride);
            continue;
        }
        const uint32_t *source =
            bitmap->pixels ? bitmap->pixels + (size_t)r * bitmap->stride : &stock_pixel;
        // Rows wider than the bitmap go through a zeroed copy; others convert in place.
        if (in_place) {
            gdi_dib_row_from_pixels(&f, source, f.width, out);
        } else {
            memcpy(row.data(), source, (size_t)columns * 4);
            gdi_dib_row_from_pixels(&f, row.data(), f.width, out);
        }
        copied++;
    }
    return (int)copied;
}

} // namespace

int WINAPI GetDIBits(HDC hdc, HBITMAP handle, UINT start, UINT lines, LPVOID bits,
                     LPBITMAPINFO info, UINT usage) {
    gdi_object *object = gdi_handle_get(handle, GDI_OBJ_BITMAP);
    if (!gdi_dc_get(hdc) || !object || !info || usage > DIB_PAL_COLORS) return 0;
    const gdi_bitmap *bitmap = reinterpret_cast<const gdi_bitmap *>(object);
    BITMAPINFOHEADER header;
    bool core;
    if (!gdi_dib_output_header(info, &header, &core)) return 0;
    int64_t height = header.biHeight < 0 ? -(int64_t)header.biHeight : header.biHeight;
    if (lines == 0 || start >= height) bits = nullptr;
    if (!bits && header.biBitCount == 0) return gdi_dib_query(info, bitmap);
    gdi_dib_format f;
    if (!gdi_dib_output_format(&header, &f)) return 0;
    int result = 1;
    if (bits) result = gdi_dib_copy_out(bitmap, f, start, lines, static_cast<uint8_t *>(bits));
    gdi_dib_write_colours(info, f, core, usage);
    if (!core) {
        info->bmiHeader.biClrUsed = 0;
        info->bmiHeader.biSizeImage = (DWORD)(f.stride * f.height);
    }
    return result;
}

// Draws (x_src, y_src, width, height) of a DIB, y_src counted from the DIB's bottom, at
// (x, y). `bits` holds `lines` scan lines from scan line `start`. Returns the number of
// scan lines taken, 0 on failure.
int WINAPI SetDIBitsToDevice(HDC hdc, int x, int y, DWORD width, DWORD height, int x_src, int y_src,
                             UINT start, UINT lines, const void *bits, const BITMAPINFO *info,
                             UINT usage) {
    gdi_dc *dc = gdi_dc_get(hdc);
    gdi_dib_format f;
    if (!dc || !bits || !info || usage > DIB_PAL_COLORS || !lines) return 0;
    if (!gdi_dib_read_format(info, usage, dc->palette, &f)) return 0;
    if (start >= (UINT)f.height) return 0;
    int64_t available = lines; // scan lines in `bits`
    if (!f.top_down) available = std::min<int64_t>(available, (int64_t)f.height - start);
    // The source rectangle in top-down rows of the block, the top of the block as row 0.
    int64_t w = (int)width, h = (int)height;
    int64_t sy = (int64_t)start + available - ((int64_t)y_src + h);
    if (sy > 0) {
        if (f.top_down && sy >= available) return (int)lines;
        if (!f.top_down) {
            if (sy >= available) return 0;
            available -= sy; // rows above the rectangle are not needed
            sy = 0;
        }
    }
    int64_t block_rows = f.top_down ? std::min<int64_t>(available, f.height) : available;
    gdi_rect64 src = {x_src, sy, x_src + w, sy + h};
    if (!gdi_intersect(&src, gdi_rect64{0, 0, f.width, block_rows})) return 0;
    // Where the source lands, clipped to the surface.
    int64_t dx = (int64_t)x - x_src, dy = (int64_t)y - sy;
    gdi_rect64 dst = {src.left + dx, src.top + dy, src.right + dx, src.bottom + dy};
    gdi_rect64 target = {x, y, (int64_t)x + w, (int64_t)y + h};
    if (!gdi_intersect(&dst, target) ||
        !gdi_intersect(&dst, gdi_rect64{0, 0, dc->surface.width, dc->surface.height}))
        return f.top_down ? (int)lines : (int)available;
    const uint8_t *data = static_cast<const uint8_t *>(bits);
    // One call for the whole rectangle, so the conversion path is chosen once, not per row.
    int64_t r = dst.top - dy; // top-down row of the block
    int64_t stored = f.top_down ? r : block_rows - 1 - r;
    ptrdiff_t row_step = f.top_down ? (ptrdiff_t)f.stride : -(ptrdiff_t)f.stride;
    gdi_dib_rows_to_pixels(&f, data + (size_t)stored * f.stride, row_step, (int)(dst.left - dx),
                           (int)(dst.right - dst.left), (int)(dst.bottom - dst.top),
                           gdi_row(&dc->surface, (int)dst.top) + dst.left, dc->surface.stride);
    return f.top_down ? (int)lines : (int)available;
}
