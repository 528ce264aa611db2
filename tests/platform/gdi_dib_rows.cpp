// 24-bit DIB rows convert to and from surface pixels exactly on every path this processor
// offers, at every width around the paths' block sizes and at every alignment of the pixels,
// without touching a byte outside the row or the pixels.
#include "gdi_test_util.h"
#include "platform/posix/gdi/dib/dib_rgb24.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace {

// A readable, writable page followed by one that faults: a buffer placed flush against the
// end of the first page makes any read or write past its end crash the test.
struct guarded_page {
    size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    uint8_t *base = nullptr;
    guarded_page() {
        void *mapped =
            mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED) return;
        base = static_cast<uint8_t *>(mapped);
        if (mprotect(base + page, page, PROT_NONE) != 0) {
            munmap(base, 2 * page);
            base = nullptr;
        }
    }
    ~guarded_page() {
        if (base) munmap(base, 2 * page);
    }
    uint8_t *last_bytes(size_t bytes) { return base + page - bytes; }
};

uint32_t next_random(uint32_t *state) {
    *state = *state * 1664525u + 1013904223u;
    return *state;
}

// The surface pixel of the 24-bit pixel at `p` (blue, green, red bytes), a byte at a time.
uint32_t plain_pixel(const uint8_t *p) {
    return uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}

COLORREF colorref_of(uint32_t pixel) {
    return RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF);
}

// A 24-bit DIB of random pixels (padding included), bottom-up or top-down.
struct random_dib {
    BITMAPINFOHEADER header = {};
    std::vector<uint8_t> bits;
    size_t stride;
    random_dib(int width, int height, bool top_down, uint32_t seed)
        : stride((3 * static_cast<size_t>(width) + 3) / 4 * 4) {
        header.biSize = sizeof header;
        header.biWidth = width;
        header.biHeight = top_down ? -height : height;
        header.biPlanes = 1;
        header.biBitCount = 24;
        bits.resize(stride * static_cast<size_t>(height));
        for (uint8_t &byte : bits) byte = static_cast<uint8_t>(next_random(&seed) >> 24);
    }
    // The pixel in row `row` counted from the top of the picture, column `column`.
    uint32_t at(int column, int row) const {
        int height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
        int stored = header.biHeight < 0 ? row : height - 1 - row;
        return plain_pixel(&bits[static_cast<size_t>(stored) * stride + 3 * column]);
    }
    const BITMAPINFO *info() const { return reinterpret_cast<const BITMAPINFO *>(&header); }
};

// Runs `check` once for each conversion path the processor has, then restores the default.
template <typename Check> void on_every_path(Check check) {
    gdi_rgb24_path widest = gdi_rgb24_limit_path(gdi_rgb24_path::permutes);
    for (gdi_rgb24_path path : {gdi_rgb24_path::words, gdi_rgb24_path::shuffles,
                                gdi_rgb24_path::wide_shuffles, gdi_rgb24_path::permutes}) {
        if (path > widest) break;
        gdi_rgb24_limit_path(path);
        check(static_cast<int>(path));
    }
    gdi_rgb24_limit_path(gdi_rgb24_path::permutes);
}

TEST(gdi_dib_rows, TwentyFourBitRowsUnpackExactlyWithinTheirBytes) {
    guarded_page guard;
    ASSERT_NE(guard.base, nullptr);
    on_every_path([&](int path) {
        uint32_t seed = 7;
        for (int count = 1; count <= 130; count++) {
            size_t bytes = 3 * static_cast<size_t>(count);
            uint8_t *row = guard.last_bytes(bytes);
            for (size_t i = 0; i < bytes; i++) row[i] = static_cast<uint8_t>(next_random(&seed));
            std::vector<uint32_t> out(static_cast<size_t>(count) + 1, 0xDEADBEEFu);
            gdi_rgb24_to_pixels(row, count, out.data());
            for (int x = 0; x < count; x++) {
                ASSERT_EQ(out[x], plain_pixel(row + 3 * x))
                    << "path " << path << ", width " << count << ", x " << x;
            }
            ASSERT_EQ(out[count], 0xDEADBEEFu) << "path " << path << " wrote past " << count;
        }
    });
}

// Blocks of rows walked either way, into pixels at each of the sixteen places in a 64-byte
// line: every path gives the plain conversion's pixels and leaves the rest of each row alone.
TEST(gdi_dib_rows, BlocksOfRowsUnpackExactlyAtEveryAlignment) {
    guarded_page guard;
    ASSERT_NE(guard.base, nullptr);
    const int rows = 3;
    const uint32_t untouched = 0xDEADBEEFu;
    on_every_path([&](int path) {
        uint32_t seed = 5;
        for (int count = 1; count <= 70; count++) {
            size_t stride = (3 * static_cast<size_t>(count) + 3) / 4 * 4;
            // The last row's pixels end flush against the page that faults.
            size_t bytes = (rows - 1) * stride + 3 * static_cast<size_t>(count);
            uint8_t *block = guard.last_bytes(bytes);
            for (size_t i = 0; i < bytes; i++) block[i] = static_cast<uint8_t>(next_random(&seed));
            ptrdiff_t out_step = count + 21; // odd, so rows start at different alignments too
            std::vector<uint32_t> out(static_cast<size_t>(out_step * rows + 32));
            uint32_t *line = out.data();
            while (reinterpret_cast<uintptr_t>(line) % 64) line++;
            for (int offset = 0; offset < 16; offset++) {
                for (bool upwards : {false, true}) {
                    std::fill(out.begin(), out.end(), untouched);
                    const uint8_t *first = upwards ? block + (rows - 1) * stride : block;
                    ptrdiff_t step =
                        upwards ? -static_cast<ptrdiff_t>(stride) : static_cast<ptrdiff_t>(stride);
                    gdi_rgb24_rows_to_pixels(first, step, count, rows, line + offset, out_step);
                    for (int k = 0; k < rows; k++) {
                        const uint8_t *row = first + k * step;
                        const uint32_t *to = line + offset + k * out_step;
                        for (int x = -offset; x < out_step - offset; x++) {
                            uint32_t expected =
                                x >= 0 && x < count ? plain_pixel(row + 3 * x) : untouched;
                            ASSERT_EQ(to[x], expected)
                                << "path " << path << ", width " << count << ", offset " << offset
                                << (upwards ? ", upwards" : ", downwards") << ", row " << k
                                << ", x " << x;
                        }
                    }
                }
            }
        }
    });
}

TEST(gdi_dib_rows, PixelsPackIntoTwentyFourBitRowsWithZeroedPadding) {
    guarded_page guard;
    ASSERT_NE(guard.base, nullptr);
    on_every_path([&](int path) {
        uint32_t seed = 11;
        for (int count = 1; count <= 130; count++) {
            size_t stride = (3 * static_cast<size_t>(count) + 3) / 4 * 4;
            uint8_t *row = guard.last_bytes(stride);
            memset(row, 0xEE, stride);
            // The top byte of a surface pixel is not colour and must not reach the file.
            std::vector<uint32_t> pixels(static_cast<size_t>(count));
            for (uint32_t &pixel : pixels) pixel = next_random(&seed);
            gdi_pixels_to_rgb24(pixels.data(), count, row, stride);
            for (int x = 0; x < count; x++) {
                uint32_t stored =
                    uint32_t{row[3 * x + 2]} << 16 | uint32_t{row[3 * x + 1]} << 8 | row[3 * x];
                ASSERT_EQ(stored, pixels[x] & 0xFFFFFFu)
                    << "path " << path << ", width " << count << ", x " << x;
            }
            for (size_t i = 3 * static_cast<size_t>(count); i < stride; i++)
                ASSERT_EQ(row[i], 0) << "path " << path << ", width " << count << ", pad " << i;
        }
    });
}

// GetDIBits and SetDIBitsToDevice through the 24-bit paths: a wide picture of distinct
// pixels comes back unchanged, also when the source rectangle starts inside a row.
TEST(gdi_dib_rows, WideTwentyFourBitRoundTripsKeepEveryPixel) {
    const int width = 203, height = 4;
    gdi_canvas source(width, height);
    uint32_t seed = 3;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) SetPixelV(source.dc, x, y, next_random(&seed) & 0xFFFFFF);
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    std::vector<uint8_t> bits(static_cast<size_t>((3 * width + 3) / 4 * 4) * height);
    on_every_path([&](int path) {
        std::fill(bits.begin(), bits.end(), 0xEE);
        SelectObject(source.dc, source.original); // the bitmap is read while deselected
        ASSERT_EQ(GetDIBits(source.dc, source.bitmap, 0, height, bits.data(),
                            reinterpret_cast<BITMAPINFO *>(&header), DIB_RGB_COLORS),
                  height);
        SelectObject(source.dc, source.bitmap);
        for (int first : {0, 1, 17, 50}) {
            gdi_canvas copy(width, height, RGB(1, 2, 3));
            ASSERT_EQ(SetDIBitsToDevice(copy.dc, first, 0, width - first, height, first, 0, 0,
                                        height, bits.data(),
                                        reinterpret_cast<BITMAPINFO *>(&header), DIB_RGB_COLORS),
                      height);
            for (int y = 0; y < height; y++)
                for (int x = 0; x < width; x++)
                    ASSERT_EQ(copy.at(x, y), x < first ? RGB(1, 2, 3) : source.at(x, y))
                        << "path " << path << ", first " << first << " at " << x << "," << y;
        }
    });
}

// Bottom-up and top-down pictures pasted whole so that they stick out past each edge of the
// surface in turn, or not at all: every path draws exactly the part inside, unchanged.
TEST(gdi_dib_rows, PastesClippedAtEveryEdgeDrawTheSamePixelsOnEveryPath) {
    const int canvas_width = 83, canvas_height = 13;
    const COLORREF background = RGB(9, 8, 7);
    gdi_canvas canvas(canvas_width, canvas_height, background);
    on_every_path([&](int path) {
        for (int width : {1, 7, 8, 9, 15, 16, 17, 22, 23, 33, 47, 70}) {
            for (bool top_down : {false, true}) {
                const int height = 5;
                random_dib dib(width, height, top_down,
                               static_cast<uint32_t>(width * 2 + top_down));
                for (int x : {-width - 2, -width + 1, -3, 0, 5, canvas_width - width,
                              canvas_width - width + 3, canvas_width - 1}) {
                    for (int y : {-3, 0, 4, canvas_height - 2}) {
                        canvas.clear(background);
                        SetDIBitsToDevice(canvas.dc, x, y, static_cast<DWORD>(width),
                                          static_cast<DWORD>(height), 0, 0, 0,
                                          static_cast<UINT>(height), dib.bits.data(), dib.info(),
                                          DIB_RGB_COLORS);
                        for (int cy = 0; cy < canvas_height; cy++) {
                            for (int cx = 0; cx < canvas_width; cx++) {
                                bool inside =
                                    cx >= x && cx < x + width && cy >= y && cy < y + height;
                                COLORREF expected =
                                    inside ? colorref_of(dib.at(cx - x, cy - y)) : background;
                                ASSERT_EQ(canvas.at(cx, cy), expected)
                                    << "path " << path << ", width " << width
                                    << (top_down ? ", top-down" : ", bottom-up") << ", pasted at "
                                    << x << "," << y << ", pixel " << cx << "," << cy;
                            }
                        }
                    }
                }
            }
        }
    });
}

} // namespace
