// GetDIBits and SetDIBitsToDevice: copies between bitmaps and device-independent pixel
// blocks, with Win32's scan-line numbering (from the bottom for bottom-up DIBs).
#include "platform/posix/gdi/dib_format.h"
#include "platform/posix/gdi/dib_rle.h"

#include <algorithm>
#include <string.h>

namespace {

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

// ---- Reading a bitmap back ----

// Writes scan lines [first_scan, first_scan + count) of the DIB `f` describes into `out`, in
// the order the DIB keeps them in memory: the lowest scan line first when it is bottom-up,
// the highest first when it is top-down. The DIB lies over the bitmap from their top rows,
// and scan lines count up from the DIB's bottom row, whichever way it is stored. Rows below
// the bitmap and columns past its width come out as zeros. Returns how many lines showed
// bitmap rows.
int gdi_dib_fill_lines(const gdi_bitmap *bitmap, const gdi_dib_format &f, int64_t first_scan,
                       int64_t count, uint8_t *out) {
    int shown = 0;
    int columns = std::min(f.width, bitmap->width);
    for (int64_t line = 0; line < count; line++) {
        int64_t scan = first_scan + line, row = f.height - 1 - scan;
        uint8_t *dest = out + (size_t)(f.top_down ? count - 1 - line : line) * f.stride;
        if (row >= bitmap->height) {
            memset(dest, 0, f.stride);
            continue;
        }
        gdi_dib_row_from_pixels(&f, bitmap->pixels + (size_t)row * bitmap->stride, columns, dest);
        shown++;
    }
    return shown;
}

} // namespace

// Copies scan lines of a bitmap into a DIB of the caller's format. Without `bits` it only
// describes: the bitmap's own format when the caller gave no depth, else the colour table
// and image size of the depth asked for.
int WINAPI GetDIBits(HDC hdc, HBITMAP handle, UINT start, UINT lines, LPVOID bits,
                     LPBITMAPINFO info, UINT usage) {
    gdi_bitmap *bitmap = reinterpret_cast<gdi_bitmap *>(gdi_handle_get(handle, GDI_OBJ_BITMAP));
    if (!gdi_dc_get(hdc) || !bitmap || !info) return 0;
    BITMAPINFOHEADER header;
    bool core;
    if (!gdi_dib_output_header(info, &header, &core)) return 0;
    if (!bits && header.biBitCount == 0) return gdi_dib_query(info, bitmap);
    gdi_dib_format f;
    // The masks of a BI_BITFIELDS header follow it in `info`, not in the copy.
    if (!gdi_dib_output_format(core ? &header : &info->bmiHeader, &f)) return 0;
    gdi_dib_write_colours(info, f, core, usage);
    // Bit-field masks are kept as asked: the header specifies the format wanted. Windows
    // answers 32-bit requests with its own masks instead, so callers read the masks back.
    if (!core) info->bmiHeader.biSizeImage = (DWORD)(f.stride * (size_t)f.height);
    if (!bits) return bitmap->height;
    // The stock 1x1 bitmap keeps its pixel in the DC that holds it: it has no rows to give.
    if (!bitmap->pixels || start >= (UINT)f.height) return 0;
    int64_t count = std::min<int64_t>(lines, (int64_t)f.height - start);
    return gdi_dib_fill_lines(bitmap, f, start, count, static_cast<uint8_t *>(bits));
}

// ---- Drawing a DIB ----

