// 24-bit DIB rows convert to and from surface pixels exactly on every path this processor
// offers, at every width around the paths' block sizes, without touching a byte outside the
// row or the pixels.
#include "gdi_test_util.h"
#include "platform/posix/gdi/dib_rgb24.h"

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

// Runs `check` once for each conversion path the processor has, then restores the default.
template <typename Check> void on_every_path(Check check) {
    gdi_rgb24_path widest = gdi_rgb24_limit_path(gdi_rgb24_path::permutes);
    for (gdi_rgb24_path path :
         {gdi_rgb24_path::words, gdi_rgb24_path::shuffles, gdi_rgb24_path::permutes}) {
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
                const uint8_t *p = row + 3 * x; // blue, green, red
                uint32_t expected = uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
                ASSERT_EQ(out[x], expected)
                    << "path " << path << ", width " << count << ", x " << x;
            }
            ASSERT_EQ(out[count], 0xDEADBEEFu) << "path " << path << " wrote past " << count;
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

} // namespace
