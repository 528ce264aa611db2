// Whole blocks of pixels in one call. A block crosses between the caller's colours and the
// draw buffer through a 32-bit DIB section, a band of rows at a time: the band stays in the
// cache between the colour conversion and the copy, and no block-sized copy is allocated.
#include "draw/draw_call.h"

#include <algorithm>

namespace {

// Pixels in one band of the staging section: 16 KiB, half of a first-level data cache.
const int64_t k_band_pixels = 4096;

// A colour (0x00BBGGRR) as a DIB pixel (0x00RRGGBB), and a DIB pixel as a colour: the same
// swap of the red and blue bytes, which also drops the top byte.
inline uint32_t swap_red_blue(uint32_t c) {
    return (c & 0xFFu) << 16 | (c & 0xFF00u) | (c >> 16 & 0xFFu);
}

// `group` at a time with no dependence between them, so that the compiler turns each group
// into a few vector instructions.
template <int group>
inline void swap_row_by(const uint32_t *__restrict in, uint32_t *__restrict out, int64_t count) {
    int64_t i = 0;
    for (; i + group <= count; i += group)
        for (int k = 0; k < group; ++k) out[i + k] = swap_red_blue(in[i + k]);
    for (; i < count; ++i) out[i] = swap_red_blue(in[i]);
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
// The same in 256-bit registers, on processors that have them: the swap, not the copy, is
// what a block spends its time on.
__attribute__((target("avx2"))) void swap_row_avx2(const uint32_t *__restrict in,
                                                   uint32_t *__restrict out, int64_t count) {
    swap_row_by<16>(in, out, count);
}

void swap_row(const uint32_t *__restrict in, uint32_t *__restrict out, int64_t count) {
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) return swap_row_avx2(in, out, count);
    swap_row_by<8>(in, out, count);
}
#else
void swap_row(const uint32_t *__restrict in, uint32_t *__restrict out, int64_t count) {
    swap_row_by<8>(in, out, count);
}
#endif

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

// A top-down 32-bit DIB section of `width` x `rows` pixels, selected into a DC of its own.
struct staging_section {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    uint32_t *bits = nullptr;

    staging_section(HDC like, int64_t width, int64_t rows) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = static_cast<LONG>(width);
        info.bmiHeader.biHeight = -static_cast<LONG>(rows);
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void *memory = nullptr;
        bitmap = CreateDIBSection(like, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
        dc = bitmap ? CreateCompatibleDC(like) : nullptr;
        if (dc) previous = SelectObject(dc, bitmap);
        if (previous) bits = static_cast<uint32_t *>(memory);
    }
    ~staging_section() {
        if (previous) SelectObject(dc, previous);
        if (dc) DeleteDC(dc);
        if (bitmap) DeleteObject(bitmap);
    }
    staging_section(const staging_section &) = delete;
    staging_section &operator=(const staging_section &) = delete;
};

// Rows in one band for blocks `width` pixels wide on the buffer.
int64_t band_rows(const pixel_block &b) {
    return std::min(std::max<int64_t>(k_band_pixels / (b.right - b.left), 1), b.bottom - b.top);
}

int put_block(HDC dc, const pixel_block &b, const ZVCOLOUR *pixels) {
    int64_t columns = b.right - b.left, band = band_rows(b);
    staging_section stage(dc, columns, band);
    if (!stage.bits) return ZV_ERR_NO_MEMORY;
    for (int64_t top = b.top; top < b.bottom; top += band) {
        int64_t rows = std::min(band, b.bottom - top);
        GdiFlush(); // the last band's copy is done before its bits are overwritten
        for (int64_t r = 0; r < rows; ++r)
            swap_row(block_at(pixels, b, b.left, top + r), stage.bits + r * columns, columns);
        if (!BitBlt(dc, static_cast<int>(b.left), static_cast<int>(top), static_cast<int>(columns),
                    static_cast<int>(rows), stage.dc, 0, 0, SRCCOPY))
            return ZV_ERROR;
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

int get_block(HDC dc, const pixel_block &b, ZVCOLOUR *pixels) {
    int64_t columns = b.right - b.left, band = band_rows(b);
    staging_section stage(dc, columns, band);
    if (!stage.bits) return ZV_ERR_NO_MEMORY;
    for (int64_t top = b.top; top < b.bottom; top += band) {
        int64_t rows = std::min(band, b.bottom - top);
        if (!BitBlt(stage.dc, 0, 0, static_cast<int>(columns), static_cast<int>(rows), dc,
                    static_cast<int>(b.left), static_cast<int>(top), SRCCOPY))
            return ZV_ERROR;
        GdiFlush(); // the copy has landed in the section before its bits are read
        for (int64_t r = 0; r < rows; ++r)
            swap_row(stage.bits + r * columns, block_at(pixels, b, b.left, top + r), columns);
    }
    return ZV_OK;
}

} // namespace

extern "C" {

ZVEXPORT int ZVAPI ZVPutPixels(int handle, int x, int y, int width, int height,
                               const ZVCOLOUR *pixels, int stride) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    int checked = check_arguments(pixels, width, height, stride);
    if (checked != ZV_OK) return checked;
    // Marked dirty even when the block misses the buffer, as the pixel calls do.
    selected_buffer buffer(window.record, buffer_role::draw, true);
    if (!buffer.dc) return ZV_ERROR;
    pixel_block b = clip_block(x, y, width, height, stride, window->width, window->height);
    return b.on_buffer() ? put_block(buffer.dc, b, pixels) : ZV_OK;
}

ZVEXPORT int ZVAPI ZVGetPixels(int handle, int x, int y, int width, int height, ZVCOLOUR *pixels,
                               int stride) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    int checked = check_arguments(pixels, width, height, stride);
    if (checked != ZV_OK) return checked;
    // Reading changes nothing, so the buffer is not marked.
    selected_buffer buffer(window.record, buffer_role::draw, false);
    if (!buffer.dc) return ZV_ERROR;
    pixel_block b = clip_block(x, y, width, height, stride, window->width, window->height);
    mark_off_buffer(b, pixels);
    return b.on_buffer() ? get_block(buffer.dc, b, pixels) : ZV_OK;
}

} // extern "C"
