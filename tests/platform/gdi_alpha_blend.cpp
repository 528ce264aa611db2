// AlphaBlend, TransparentBlt and StretchBlt of the POSIX GDI. The blend's rounding is the one the
// reference GDI gives for every alpha, colour level and destination value
// (tools/reference-gdi/blend_check.cpp printed them all; none differed); here it is checked
// through the vector paths: groups all clear, all opaque and mixed, and row tails.
#include "platform/win32.h"
#include "tools/reference-gdi/dib_surface.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

uint32_t reference_channel(uint32_t a, uint32_t c, uint32_t d) {
    uint32_t t = d * (255 - a) + 128, r = c + ((t + (t >> 8)) >> 8);
    return r > 255 ? 255 : r;
}

} // namespace

TEST(GdiAlphaBlend, EveryAlphaRoundsAsTheReferenceAndClipsAtTheDestination) {
    const int width = 259, height = 6; // rows end in a tail of three after groups of eight
    dib_surface src(width, height), dst(width + 10, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            // Row 0 mixes every alpha; row 1 runs clear then opaque; the others vary the level.
            uint32_t a = y == 1 ? (x < 128 ? 0 : 255) : static_cast<uint32_t>(x * 7 + y * 31) & 255;
            uint32_t c = a * static_cast<uint32_t>(y + 1) / 7;
            src.bits[y * width + x] = a << 24 | c << 16 | (a - c) << 8 | c / 2;
        }
    auto under = [](int x, int y) { return static_cast<uint32_t>(x * 3 + y * 50) & 255; };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width + 10; ++x)
            dst.bits[y * (width + 10) + x] = under(x, y) * 0x010101u;
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ASSERT_TRUE(AlphaBlend(dst.dc, 13, -1, width, height, src.dc, 0, 0, width, height, blend));
    int wrong = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width + 10; ++x) {
            int sx = x - 13, sy = y + 1;
            uint32_t d = under(x, y), want = d * 0x010101u;
            if (sx >= 0 && sy < height) {
                uint32_t s = src.bits[sy * width + sx], a = s >> 24;
                want = reference_channel(a, s >> 16 & 255, d) << 16 |
                       reference_channel(a, s >> 8 & 255, d) << 8 |
                       reference_channel(a, s & 255, d);
            }
            wrong += dst.bits[y * (width + 10) + x] != want;
        }
    EXPECT_EQ(wrong, 0);
    // Stretching, and a source rectangle beyond the source, are refused.
    EXPECT_FALSE(AlphaBlend(dst.dc, 0, 0, 10, 10, src.dc, 0, 0, 20, 10, blend));
    EXPECT_FALSE(AlphaBlend(dst.dc, 0, 0, 10, 10, src.dc, width - 5, 0, 10, 10, blend));
}

TEST(GdiAlphaBlend, TransparentBltLeavesTheKeyColourOut) {
    dib_surface src(20, 1), dst(20, 1);
    for (int x = 0; x < 20; ++x) {
        src.bits[x] = x % 3 ? 0xFF000000u | static_cast<uint32_t>(x) * 0x010203u : 0x00FF00FFu;
        dst.bits[x] = 0x123456;
    }
    ASSERT_TRUE(TransparentBlt(dst.dc, -2, 0, 20, 1, src.dc, 0, 0, 20, 1, 0x00FF00FF));
    for (int x = 0; x < 18; ++x) {
        uint32_t s = src.bits[x + 2] & 0xFFFFFF;
        EXPECT_EQ(dst.bits[x], s == 0xFF00FF ? 0x123456u : s) << x;
    }
    EXPECT_EQ(dst.bits[18], 0x123456u); // past the source's right edge
}

// Whole-number enlargements repeat each source pixel (x / N, y / N), clipped at the destination,
// as the reference GDI gives with COLORONCOLOR (tools/reference-gdi/stretch_check.cpp found no
// pixel differing for 1x to 8x, unequal factors and a copy hanging off the left edge).
TEST(GdiStretchBlt, WholeNumberEnlargementsRepeatEachPixelAsTheReference) {
    const int src_width = 7, src_height = 5, dst_width = 64, dst_height = 40;
    const uint32_t untouched = 0xABCDEF;
    dib_surface src(src_width, src_height), dst(dst_width, dst_height);
    for (int i = 0; i < src_width * src_height; ++i) src.bits[i] = 0x010203u * (i + 1);
    EXPECT_EQ(SetStretchBltMode(dst.dc, COLORONCOLOR), BLACKONWHITE);
    EXPECT_EQ(SetStretchBltMode(dst.dc, 0), 0);
    const int scales[][2] = {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {2, 3}, {5, 1}, {8, 8}};
    for (const auto &scale : scales)
        for (int offset = 0; offset >= -3; offset -= 3) {
            int sx = scale[0], sy = scale[1];
            for (int i = 0; i < dst_width * dst_height; ++i) dst.bits[i] = untouched;
            ASSERT_TRUE(StretchBlt(dst.dc, offset, 0, src_width * sx, src_height * sy, src.dc, 0, 0,
                                   src_width, src_height, SRCCOPY));
            int mismatches = 0;
            for (int y = 0; y < dst_height; ++y)
                for (int x = 0; x < dst_width; ++x) {
                    int cx = x - offset;
                    bool inside = cx < src_width * sx && y < src_height * sy;
                    uint32_t want = inside ? src.bits[cx / sx + y / sy * src_width] : untouched;
                    if (dst.bits[x + y * dst_width] != want) ++mismatches;
                }
            EXPECT_EQ(mismatches, 0) << sx << "x" << sy << " at " << offset;
        }
    // What the subset refuses: other raster operations and mirrored extents.
    EXPECT_FALSE(StretchBlt(dst.dc, 0, 0, 14, 10, src.dc, 0, 0, 7, 5, 0x00EE0086));
    EXPECT_FALSE(StretchBlt(dst.dc, 14, 0, -14, 10, src.dc, 0, 0, 7, 5, SRCCOPY));
}
