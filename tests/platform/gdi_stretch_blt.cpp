// StretchBlt of the POSIX GDI for whole-number enlargements: every destination pixel is the
// source pixel (x / N, y / N), clipped at the destination, as the reference GDI gives with
// COLORONCOLOR (tools/reference-gdi/stretch_check.cpp found no pixel differing for 1x to 8x,
// unequal factors and a copy hanging off the left edge).
#include "platform/win32.h"

#include <gtest/gtest.h>

namespace {

struct dib_dc {
    HDC dc;
    HBITMAP bitmap;
    uint32_t *pixels = nullptr;
    dib_dc(int width, int height) : dc(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void *bits = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        pixels = static_cast<uint32_t *>(bits);
        SelectObject(dc, bitmap);
    }
    ~dib_dc() {
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
};

} // namespace

TEST(GdiStretchBlt, WholeNumberEnlargementsRepeatEachPixelAsTheReference) {
    const int src_width = 7, src_height = 5, dst_width = 64, dst_height = 40;
    const uint32_t untouched = 0xABCDEF;
    dib_dc src(src_width, src_height), dst(dst_width, dst_height);
    for (int i = 0; i < src_width * src_height; ++i) src.pixels[i] = 0x010203u * (i + 1);
    EXPECT_EQ(SetStretchBltMode(dst.dc, COLORONCOLOR), BLACKONWHITE);
    EXPECT_EQ(SetStretchBltMode(dst.dc, 0), 0);
    const int scales[][2] = {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {2, 3}, {5, 1}, {8, 8}};
    for (const auto &scale : scales)
        for (int offset = 0; offset >= -3; offset -= 3) {
            int sx = scale[0], sy = scale[1];
            for (int i = 0; i < dst_width * dst_height; ++i) dst.pixels[i] = untouched;
            ASSERT_TRUE(StretchBlt(dst.dc, offset, 0, src_width * sx, src_height * sy, src.dc, 0, 0,
                                   src_width, src_height, SRCCOPY));
            int mismatches = 0;
            for (int y = 0; y < dst_height; ++y)
                for (int x = 0; x < dst_width; ++x) {
                    int cx = x - offset;
                    bool inside = cx < src_width * sx && y < src_height * sy;
                    uint32_t want = inside ? src.pixels[cx / sx + y / sy * src_width] : untouched;
                    if (dst.pixels[x + y * dst_width] != want) ++mismatches;
                }
            EXPECT_EQ(mismatches, 0) << sx << "x" << sy << " at " << offset;
        }
    // What the subset refuses: other raster operations and mirrored extents.
    EXPECT_FALSE(StretchBlt(dst.dc, 0, 0, 14, 10, src.dc, 0, 0, 7, 5, 0x00EE0086));
    EXPECT_FALSE(StretchBlt(dst.dc, 14, 0, -14, 10, src.dc, 0, 0, 7, 5, SRCCOPY));
}
