// Whole blocks of pixels in one call. A block goes in with one conversion pass: its rows,
// described as a 32-bit DIB whose masks read a ZVCOLOUR as it stands, are the source of
// SetDIBitsToDevice. A block of whole buffer rows comes back the same way through GetDIBits,
// asked for those masks; where the platform answers with the device's own order instead,
// each band is swapped in place while it is in the cache. GetDIBits writes whole rows, so any
// other block goes a band at a time through the window's staging section (draw/buffer_patch.h),
// its pixels swapped into the caller's colours while the band is in the cache.
#include "draw/buffer_patch.h"
#include "draw/draw_call.h"
#include "draw/drawing_state.h"
#include "platform/red_blue.h"

#include <algorithm>

namespace {

// Pixels in one band of the staging section: 16 KiB, half of a first-level data cache.
const int64_t k_band_pixels = 4096;

// Pixels in one SetDIBitsToDevice call at most, so that no DIB size overflows 32 bits.
const int64_t k_call_pixels = int64_t{1} << 26;

// The caller's block and the part of it that lies on the buffer, in buffer coordinates.
struct pixel_block {
    int64_t x, y, width, height, stride;
    int64_t left, top, right, bottom; // the part on the buffer; empty when left >= right
    bool on_buffer() const { return left < right && top < bottom; }
};

pixel_block clip_block(int x, int y, int width, int height, int stride, int64_t buffer_width,
                       int64_t buffer_height) {
    pixel_block b{x, y, width, height, stride, 0, 0, 0, 0};
    b.left = std::max<int64_t>(x, 0);
    b.top = std::max<int64_t>(y, 0);
    b.right = std::min<int64_t>(int64_t{x} + width, buffer_width);
    b.bottom = std::min<int64_t>(int64_t{y} + height, buffer_height);
    return b;
}

// The caller's colour at buffer position (column, row) of the block.
template <typename Colour>
Colour *block_at(Colour *pixels, const pixel_block &b, int64_t column, int64_t row) {
    return pixels + static_cast<size_t>((row - b.y) * b.stride + (column - b.x));
}

// A null block, a negative size, or rows that overlap, refused before anything is touched.
int check_arguments(const void *pixels, int width, int height, int stride) {
    if (width < 0 || stride < width) return ZV_ERR_BAD_WIDTH;
    if (height < 0) return ZV_ERR_BAD_HEIGHT;
    return pixels ? ZV_OK : ZV_ERROR;
}

// A top-down 32-bit DIB header of `width` x `rows` pixels with the given red and blue masks.
struct dib_header {
    BITMAPINFOHEADER header;
    DWORD masks[3]; // red, green, blue
    dib_header(int64_t width, int64_t rows, DWORD red, DWORD blue)
        : header{}, masks{red, 0xFF00, blue} {
        header.biSize = sizeof(BITMAPINFOHEADER);
        header.biWidth = static_cast<LONG>(width);
        header.biHeight = -static_cast<LONG>(rows);
        header.biPlanes = 1;
        header.biBitCount = 32;
        header.biCompression = BI_BITFIELDS;
    }
    BITMAPINFO *info() { return reinterpret_cast<BITMAPINFO *>(this); }
};

// Draws `rows` rows of the block from buffer row `top`, each `columns` pixels from the block's
// first column on the buffer; the rows lie `dib_width` colours apart in the caller's memory.
bool put_rows(HDC dc, const pixel_block &b, const ZVCOLOUR *pixels, int64_t top, int64_t rows,
              int64_t dib_width) {
    // Red in the low byte: the DIB's pixels are ZVCOLOURs as they stand.
    dib_header dib(dib_width, rows, 0x0000FF, 0xFF0000);
    int64_t columns = b.right - b.left;
    return SetDIBitsToDevice(dc, static_cast<int>(b.left), static_cast<int>(top),
                             static_cast<DWORD>(columns), static_cast<DWORD>(rows), 0, 0, 0,
                             static_cast<UINT>(rows), block_at(pixels, b, b.left, top), dib.info(),
                             DIB_RGB_COLORS) != 0;
}

int put_block(HDC dc, const pixel_block &b, const ZVCOLOUR *pixels) {
    int64_t columns = b.right - b.left, rows = b.bottom - b.top;
    // Rows are described `stride` wide, all but the last when the stride has a gap: a DIB
    // that ran past the block's last pixel would let the platform read memory it was not given.
    int64_t wide = b.stride == columns ? rows : rows - 1;
    int64_t per_call = b.stride > k_call_pixels ? 1 : std::min(k_call_pixels / b.stride, rows);
    for (int64_t done = 0; done < rows;) {
        int64_t n = done < wide ? std::min(per_call, wide - done) : 1;
        if (!put_rows(dc, b, pixels, b.top + done, n, n > 1 ? b.stride : columns)) return ZV_ERROR;
        done += n;
    }
    return ZV_OK;
}

// Every pixel of the block that lies off the buffer reads as ZV_BAD_COLOUR.
void mark_off_buffer(const pixel_block &b, ZVCOLOUR *pixels) {
    for (int64_t row = b.y; row < b.y + b.height; ++row) {
        ZVCOLOUR *line = block_at(pixels, b, b.x, row);
        bool on = b.on_buffer() && row >= b.top && row < b.bottom;
        int64_t before = on ? b.left - b.x : b.width, after = on ? b.right - b.x : b.width;
        std::fill(line, line + before, ZV_BAD_COLOUR);
        std::fill(line + after, line + b.width, ZV_BAD_COLOUR);
    }
}

// Any other block goes through the window's staging section, a band at a time, its pixels
// swapped into the caller's colours while the band is in the cache.
int get_block(window_record *window, HDC dc, const pixel_block &b, ZVCOLOUR *pixels) {
    patch_area area{b.left, b.top, b.right, b.bottom};
    return walk_buffer_patch(window, dc, area, k_band_pixels, false, [&](const patch_band &band) {
        for (int64_t row = band.top; row < band.top + band.rows; ++row)
            swap_red_blue_row(band.row(row), block_at(pixels, b, b.left, row),
                              static_cast<size_t>(band.width));
    });
}

// Rows in one band for blocks `width` pixels wide on the buffer.
int64_t band_rows(const pixel_block &b) {
    return std::min(std::max<int64_t>(k_band_pixels / (b.right - b.left), 1), b.bottom - b.top);
}

// Whole buffer rows straight into the caller's rows. GetDIBits needs the buffer selected into
// no DC: the window lock is held, and only holders of it select a buffer.
int get_whole_rows(window_record *window, const pixel_block &b, ZVCOLOUR *pixels) {
    HBITMAP buffer = window->buffer_bitmap[window->drawing->draw_buffer.load()];
    if (!buffer) return ZV_ERROR;
    int64_t height = window->height, band = band_rows(b);
    for (int64_t top = b.top; top < b.bottom; top += band) {
        int64_t rows = std::min(band, b.bottom - top);
        // Scan lines count up from the bottom of this top-down DIB as tall as the buffer. Made
        // anew for each band, since the platform may write its own masks into it.
        dib_header dib(b.stride, height, 0x0000FF, 0xFF0000);
        ZVCOLOUR *first = block_at(pixels, b, 0, top);
        if (GetDIBits(window->memory_dc, buffer, static_cast<UINT>(height - top - rows),
                      static_cast<UINT>(rows), first, dib.info(), DIB_RGB_COLORS) != rows)
            return ZV_ERROR;
        if (dib.masks[0] != 0x0000FF)
            swap_red_blue_row(first, first, static_cast<size_t>(rows * b.stride));
    }
    return ZV_OK;
}

// Whether the block is whole rows of the buffer, lying in the caller's memory as the buffer's
// rows would: then GetDIBits can write them without touching a pixel outside the block.
bool whole_rows(const pixel_block &b, int64_t buffer_width) {
    return b.x == 0 && b.width == buffer_width && b.stride == buffer_width;
}

} // namespace

extern "C" {

ZVEXPORT int ZVAPI ZVPutPixels(int handle, int x, int y, int width, int height,
                               const ZVCOLOUR *pixels, int stride) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    int checked = check_arguments(pixels, width, height, stride);
    if (checked != ZV_OK) return checked;
    // An empty block changes nothing, so it leaves the buffer unmarked and the lock untaken.
    if (width == 0 || height == 0) return ZV_OK;
    // Marked dirty even when the block misses the buffer, as the pixel calls do.
    selected_buffer buffer(window.record, buffer_role::draw, true);
    pixel_block b = clip_block(x, y, width, height, stride, window->width, window->height);
    // Every block misses the buffer of a window with no pixels (made 0 x 0), which has none.
    if (!b.on_buffer()) return ZV_OK;
    return buffer.dc ? put_block(buffer.dc, b, pixels) : ZV_ERROR;
}

ZVEXPORT int ZVAPI ZVGetPixels(int handle, int x, int y, int width, int height, ZVCOLOUR *pixels,
                               int stride) {
    window_ref found(handle);
    if (!found.ok()) return ZV_ERR_BAD_WINDOW;
    int checked = check_arguments(pixels, width, height, stride);
    if (checked != ZV_OK) return checked;
    // Nothing to read: not even a row of an empty block is visited, however tall it is.
    if (width == 0 || height == 0) return ZV_OK;
    window_record *window = found.record;
    // Clipped and read under one hold of the lock, so that no resize comes in between;
    // the lock nests, so the selected buffer below may take it again.
    EnterCriticalSection(&window->lock);
    pixel_block b = clip_block(x, y, width, height, stride, window->width, window->height);
    mark_off_buffer(b, pixels);
    int result = ZV_OK;
    if (b.on_buffer() && whole_rows(b, window->width)) {
        result = get_whole_rows(window, b, pixels);
    } else if (b.on_buffer()) {
        // Reading changes nothing, so the buffer is not marked.
        selected_buffer buffer(window, buffer_role::draw, false);
        result = buffer.dc ? get_block(window, buffer.dc, b, pixels) : ZV_ERROR;
    }
    LeaveCriticalSection(&window->lock);
    return result;
}

} // extern "C"
