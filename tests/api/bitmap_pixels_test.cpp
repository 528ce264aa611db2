// Bitmaps made from bytes and read back as bytes, through the public API alone so that the
// same cases run against Zelvan.dll.
#include "drawing_support.h"
#include "image_files.h"
#include "png_bytes.h"
#include "zelvan.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// R, G, B, A bytes of a `width` x `height` picture, `stride` bytes a row, the bytes between
// rows set to `gap`.
std::vector<unsigned char> rgba_rows(int width, int height, int stride, unsigned char gap = 0) {
    std::vector<unsigned char> bytes(static_cast<size_t>(stride) * height, gap);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char *p = &bytes[static_cast<size_t>(y) * stride + x * 4];
            p[0] = static_cast<unsigned char>(x * 20 + 1);
            p[1] = static_cast<unsigned char>(y * 30 + 2);
            p[2] = static_cast<unsigned char>(x * y + 3);
            p[3] = static_cast<unsigned char>((x + y) * 40);
        }
    return bytes;
}

} // namespace

// Bytes in, bytes out, with or without a stride wider than the row; the stride's gap is
// neither read nor written. The bitmap has alpha: ZVPasteBitmap copies its colours as given,
// ZVPasteBitmapAlpha blends them.
TEST(BitmapPixels, BytesComeBackAsTheyWentIn) {
    std::vector<unsigned char> packed = rgba_rows(5, 3, 20), wide = rgba_rows(5, 3, 28, 0xEE);
    int a = ZVCreateBitmap(5, 3, packed.data(), 0), b = ZVCreateBitmap(5, 3, wide.data(), 28);
    ASSERT_NE(a, 0) << ZVGetLastError();
    ASSERT_NE(b, 0);
    EXPECT_EQ(ZVGetBitmapWidth(a), 5);
    EXPECT_EQ(ZVGetBitmapHeight(a), 3);
    std::vector<unsigned char> back(60, 0x55), back_wide(3 * 32, 0x77);
    ASSERT_EQ(ZVGetBitmapPixels(a, back.data(), 0), ZV_OK);
    EXPECT_EQ(back, packed);
    ASSERT_EQ(ZVGetBitmapPixels(b, back_wide.data(), 32), ZV_OK);
    for (int y = 0; y < 3; ++y) {
        EXPECT_TRUE(std::equal(packed.begin() + y * 20, packed.begin() + y * 20 + 20,
                               back_wide.begin() + y * 32));
        for (int i = 20; i < 32 && y < 2; ++i) EXPECT_EQ(back_wide[y * 32 + i], 0x77);
    }
    int w = ZVCreateWindow(0, 0, 8, 8, "bytes");
    ZVClearDrawBuffer(w);
    ASSERT_EQ(ZVPasteBitmap(w, a, 1, 1), ZV_OK);
    EXPECT_EQ(ZVGetPixel(w, 1 + 4, 1 + 2), ZVGetRGBColour(81, 62, 11));
    ASSERT_EQ(ZVPasteBitmapAlpha(w, b, 1, 1), ZV_OK); // alpha 240 over what the paste left
    EXPECT_TRUE(near_colour(ZVGetPixel(w, 5, 3), ZVGetRGBColour(81, 62, 11), 1));
    EXPECT_EQ(ZVGetPixel(w, 1, 1), ZVGetRGBColour(1, 2, 3)); // alpha 0: the paste's colour
    ZVDestroyWindow(w);
    ZVDiscardBitmap(a);
    ZVDiscardBitmap(b);
}

// No bytes: a bitmap clear everywhere, which pastes nothing.
TEST(BitmapPixels, NoBytesMakeATransparentBitmap) {
    int clear = ZVCreateBitmap(4, 2, nullptr, 0);
    ASSERT_NE(clear, 0);
    std::vector<unsigned char> back(32, 0x99);
    ASSERT_EQ(ZVGetBitmapPixels(clear, back.data(), 0), ZV_OK);
    EXPECT_EQ(back, std::vector<unsigned char>(32, 0));
    int w = ZVCreateWindow(0, 0, 6, 6, "clear");
    picture before(w);
    ASSERT_EQ(ZVPasteBitmapAlpha(w, clear, 1, 1), ZV_OK);
    ASSERT_EQ(ZVDrawBitmap(w, clear, 0, 0, 4, 2, 0, 0, 6, 6, 10, ZV_SMOOTH), ZV_OK);
    EXPECT_TRUE(picture(w) == before);
    ZVDestroyWindow(w);
    ZVDiscardBitmap(clear);
}

// Bitmaps without alpha (a BMP file, a copy of a window) read back with A at 255.
TEST(BitmapPixels, BitmapsWithoutAlphaReadBackOpaque) {
    scratch_folder dir;
    bmp_image bmp = make_bmp(7, 3, 4);
    int from_file = ZVLoadBitmap(dir.write("four.bmp", bmp.file()).c_str());
    ASSERT_NE(from_file, 0);
    std::vector<unsigned char> back(7 * 3 * 4);
    ASSERT_EQ(ZVGetBitmapPixels(from_file, back.data(), 0), ZV_OK);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x) {
            const unsigned char *p = &back[(y * 7 + x) * 4];
            EXPECT_EQ(ZVGetRGBColour(p[0], p[1], p[2]), bmp.colour_at(x, y)) << x << "," << y;
            EXPECT_EQ(p[3], 255);
        }
    int w = ZVCreateWindow(0, 0, 3, 2, "copied");
    ZVSetPixel(w, 2, 1, ZVGetRGBColour(10, 20, 30));
    int copied = ZVCopyBitmap(w, 0, 0, 3, 2);
    std::vector<unsigned char> pixels(3 * 2 * 4);
    ASSERT_EQ(ZVGetBitmapPixels(copied, pixels.data(), 0), ZV_OK);
    EXPECT_EQ(std::vector<unsigned char>(pixels.end() - 4, pixels.end()),
              (std::vector<unsigned char>{10, 20, 30, 255}));
    EXPECT_EQ(std::vector<unsigned char>(pixels.begin(), pixels.begin() + 4),
              (std::vector<unsigned char>{255, 255, 255, 255}));
    ZVDestroyWindow(w);
}

// Sizes beyond the bitmap limit of 65535 a side, or that no memory holds, and strides that
// would overlap rows, are refused before anything is read.
TEST(BitmapPixels, BadSizesAndStridesAreRefused) {
    unsigned char one[4] = {1, 2, 3, 4};
    struct {
        int width, height, stride, error;
    } const refused[] = {
        {0, 1, 0, ZV_ERR_BAD_WIDTH},         {-5, 1, 0, ZV_ERR_BAD_WIDTH},
        {65536, 1, 0, ZV_ERR_BAD_WIDTH},     {1, 0, 0, ZV_ERR_BAD_HEIGHT},
        {1, 65536, 0, ZV_ERR_BAD_HEIGHT},    {1, INT32_MIN, 0, ZV_ERR_BAD_HEIGHT},
        {2, 1, 7, ZV_ERR_BAD_WIDTH},         {1, 1, -4, ZV_ERR_BAD_WIDTH},
        {65535, 65535, 0, ZV_ERR_NO_MEMORY}, // 16 GiB, beyond a bitmap's 2 GiB of pixels
    };
    for (const auto &r : refused) {
        ZVGetLastError();
        EXPECT_EQ(ZVCreateBitmap(r.width, r.height, one, r.stride), 0)
            << r.width << "x" << r.height;
        EXPECT_EQ(ZVGetLastError(), r.error) << r.width << "x" << r.height;
    }
    // The widest and tallest a bitmap may be.
    int wide = ZVCreateBitmap(65535, 1, nullptr, 0), tall = ZVCreateBitmap(1, 65535, nullptr, 0);
    EXPECT_NE(wide, 0);
    EXPECT_NE(tall, 0);
    int b = ZVCreateBitmap(1, 1, one, 4);
    EXPECT_EQ(ZVGetBitmapPixels(b, one, 3), ZV_ERR_BAD_WIDTH);
    EXPECT_EQ(ZVGetBitmapPixels(b, nullptr, 0), ZV_ERROR);
    EXPECT_EQ(ZVGetBitmapPixels(0, one, 0), ZV_ERR_BAD_BITMAP);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_BITMAP);
    for (int id : {wide, tall, b}) ZVDiscardBitmap(id);
    EXPECT_EQ(ZVGetBitmapPixels(b, one, 0), ZV_ERR_BAD_BITMAP);
}
