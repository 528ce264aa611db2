// GetDIBits and SetDIBitsToDevice: copies between bitmaps and device-independent pixel
// blocks, with Win32's scan-line numbering (from the bottom for bottom-up DIBs).
#include "platform/posix/gdi/dib/dib_format.h"
#include "platform/posix/gdi/dib/dib_rle.h"

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

namespace {

// A run [lo, hi) of scan lines or columns. 64 bits wide, so that sums of the call's ints and
// DWORDs are exact.
struct gdi_run {
    int64_t lo, hi;
    bool empty() const { return lo >= hi; }
};

gdi_run gdi_overlap(gdi_run a, gdi_run b) {
    return {std::max(a.lo, b.lo), std::min(a.hi, b.hi)};
}

// What a SetDIBitsToDevice call moves, decided before any pixel does. Scan lines count up
// from the image's bottom row. Scan line k lands on surface row `top_row - k` and image
// column c on surface column `c + x_shift`; in an uncompressed image the caller's row
// `row_of_zero + row_step * k` holds scan line k.
struct gdi_dib_plan {
    int reported;           // the call's result
    gdi_run scans, columns; // what is drawn; nothing when either is empty
    int64_t top_row, x_shift;
    int64_t row_of_zero, row_step;
};

// A run-length stream carries the whole image, whatever `start` and `lines` say, and the call
// reports its height. A source rectangle that is empty, or ends at or before the image's left
// or bottom edge, fails; one that starts at or past its right or top edge draws nothing.
void gdi_plan_stream(const gdi_dib_format &f, gdi_run source_columns, gdi_run source_rows,
                     gdi_dib_plan *plan) {
    if (source_columns.empty() || source_rows.empty() || source_columns.hi <= 0 ||
        source_rows.hi <= 0)
        return;
    plan->reported = f.height;
    if (!plan->columns.empty()) plan->scans = gdi_overlap(source_rows, {0, f.height});
}

// The caller's rows of a bottom-up image hold scan lines from `start` up, as far as the
// image's top row. The call reports how many of them lie below the source rectangle's top.
void gdi_plan_bottom_up(const gdi_dib_format &f, gdi_run source_rows, UINT start, UINT lines,
                        gdi_dib_plan *plan) {
    gdi_run block = {start, std::min<int64_t>(int64_t{start} + lines, f.height)};
    plan->row_of_zero = -int64_t{start};
    plan->row_step = 1;
    plan->scans = gdi_overlap(block, source_rows);
    if (!plan->scans.empty() && !plan->columns.empty())
        plan->reported = (int)(plan->scans.hi - start);
}

// The caller's rows of a top-down image hold scan lines from `start + lines - 1` down, no
// more of them than the image has rows. The call reports `lines` (as the int it converts to)
// when anything is drawn, and also when the block starts at or above the source
// rectangle's top edge, though nothing is.
void gdi_plan_top_down(const gdi_dib_format &f, gdi_run source_rows, UINT start, UINT lines,
                       gdi_dib_plan *plan) {
    int64_t end = int64_t{start} + lines;
    if (start >= source_rows.hi) {
        plan->reported = (int)lines;
        return;
    }
    gdi_run block = {end - std::min<int64_t>(lines, f.height), end};
    plan->row_of_zero = end - 1;
    plan->row_step = -1;
    plan->scans = gdi_overlap(block, source_rows);
    if (!plan->scans.empty() && !plan->columns.empty()) plan->reported = (int)lines;
}

// Plans the call for the image `f`: the source rectangle `source_columns` x `source_rows`
// lands with its top-left corner on (x, y), and the caller's block holds `lines` lines from
// scan line `start`.
gdi_dib_plan gdi_plan_transfer(const gdi_dib_format &f, int x, int y, gdi_run source_columns,
                               gdi_run source_rows, UINT start, UINT lines) {
    gdi_dib_plan plan = {};
    plan.columns = gdi_overlap(source_columns, {0, f.width});
    plan.top_row = y + source_rows.hi - 1;
    plan.x_shift = x - source_columns.lo;
    // No lines, or an uncompressed block that starts past the image, draw nothing and fail.
    bool in_image = start < (UINT)f.height;
    if (lines == 0) return plan;
    if (gdi_dib_is_run_length(&f))
        gdi_plan_stream(f, source_columns, source_rows, &plan);
    else if (in_image && f.top_down)
        gdi_plan_top_down(f, source_rows, start, lines, &plan);
    else if (in_image)
        gdi_plan_bottom_up(f, source_rows, start, lines, &plan);
    return plan;
}

// Paints what the plan draws on the surface, from the caller's bits.
void gdi_paint_transfer(const gdi_dib_plan &plan, const gdi_dib_format &f, const uint8_t *bits,
                        const gdi_surface &s) {
    gdi_run scans = gdi_overlap(plan.scans, {plan.top_row - s.height + 1, plan.top_row + 1});
    gdi_run columns = gdi_overlap(plan.columns, {-plan.x_shift, s.width - plan.x_shift});
    if (scans.empty() || columns.empty()) return;
    if (gdi_dib_is_run_length(&f)) {
        gdi_rle_target target = {s.pixels,   s.stride,   plan.top_row, plan.x_shift,
                                 columns.lo, columns.hi, scans.lo,     scans.hi};
        return gdi_rle_decode(&f, bits, &target);
    }
    // Surface rows run down from the highest scan line, so the caller's rows are walked
    // against their step.
    int64_t top = scans.hi - 1, first = plan.row_of_zero + plan.row_step * top;
    uint32_t *out = gdi_row(&s, (int)(plan.top_row - top)) + (columns.lo + plan.x_shift);
    gdi_dib_rows_to_pixels(
        &f, bits + first * (ptrdiff_t)f.stride, -plan.row_step * (ptrdiff_t)f.stride,
        (int)columns.lo, (int)(columns.hi - columns.lo), (int)(scans.hi - scans.lo), out, s.stride);
}

} // namespace

int WINAPI SetDIBitsToDevice(HDC hdc, int x, int y, DWORD width, DWORD height, int src_x, int src_y,
                             UINT start, UINT lines, const void *bits, const BITMAPINFO *info,
                             UINT usage) {
    gdi_dc *dc = gdi_dc_get(hdc);
    gdi_dib_format f;
    if (!dc || !bits || !info || !gdi_dib_read_format(info, usage, dc->palette, &f)) return 0;
    gdi_dib_plan plan = gdi_plan_transfer(f, x, y, {src_x, int64_t{src_x} + width},
                                          {src_y, int64_t{src_y} + height}, start, lines);
    // Whatever the clipping leaves, the call reports what the plan does.
    if (dc->surface.pixels)
        gdi_paint_transfer(plan, f, static_cast<const uint8_t *>(bits), dc->surface);
    return plan.reported;
}
