// The sprite pastes and PNG files through the public API alone, so that the same cases run
// against Zelvan.dll: Windows' imaging component and msimg32 there, libpng and our GDI here.
#include "image_files.h"
#include "png_bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

uint32_t sprite_pixel(int x, int y) {
    uint32_t a = static_cast<uint32_t>((x * 23 + y * 41) % 256);
    return a << 24 | static_cast<uint32_t>(x * 9 & 255) << 16 |
           static_cast<uint32_t>(y * 13 & 255) << 8 | static_cast<uint32_t>((x + y) * 5 & 255);
}

ZVCOLOUR scene_pixel(int x, int y) {
    return static_cast<ZVCOLOUR>((x * 7 & 255) | (y * 11 & 255) << 8 | 0x400000);
}

int channel_gap(ZVCOLOUR a, ZVCOLOUR b) {
    int worst = 0;
    for (int shift = 0; shift < 24; shift += 8)
        worst = std::max(worst, std::abs(int(a >> shift & 255) - int(b >> shift & 255)));
    return worst;
}

ZVCOLOUR blend(uint32_t argb, ZVCOLOUR under) {
    uint32_t a = argb >> 24, out = 0;
    for (int c = 0; c < 3; ++c) {
        uint32_t s = argb >> (16 - 8 * c) & 255, d = under >> (8 * c) & 255;
        out |= static_cast<uint32_t>((s * a + d * (255 - a)) / 255.0 + 0.5) << (8 * c);
    }
    return out;
}

} // namespace

TEST(SpritePastesPublic, AlphaAndKeyedPastesOfALoadedPngAndItsSavedCopy) {
    scratch_folder dir;
    const int sw = 24, sh = 20, ww = 40, wh = 30;
    std::vector<uint32_t> argb(sw * sh);
    for (int y = 0; y < sh; ++y)
        for (int x = 0; x < sw; ++x) argb[y * sw + x] = sprite_pixel(x, y);
    int sprite = ZVLoadBitmap(dir.write("sprite.png", rgba_png(argb, sw, sh)).c_str());
    ASSERT_NE(sprite, 0) << ZVGetLastError();
    // Saved as PNG and loaded again, the sprite keeps its alpha: both paste alike.
    ASSERT_EQ(ZVSaveBitmap(sprite, dir.path("again.png").c_str()), ZV_OK);
    int again = ZVLoadBitmap(dir.path("again.png").c_str());
    ASSERT_NE(again, 0);
    std::vector<ZVCOLOUR> scene(ww * wh);
    for (int y = 0; y < wh; ++y)
        for (int x = 0; x < ww; ++x) scene[y * ww + x] = scene_pixel(x, y);
    for (int bitmap : {sprite, again}) {
        int w = ZVCreateWindow(10, 10, ww, wh, "alpha");
        ZVPutPixels(w, 0, 0, ww, wh, scene.data(), ww);
        ASSERT_EQ(ZVPasteBitmapAlpha(w, bitmap, 25, -3), ZV_OK); // over the right and top edges
        picture shown(w);
        int worst = 0;
        for (int y = 0; y < wh; ++y)
            for (int x = 0; x < ww; ++x) {
                int sx = x - 25, sy = y + 3;
                bool in = sx >= 0 && sy >= 0 && sx < sw && sy < sh;
                ZVCOLOUR want =
                    in ? blend(sprite_pixel(sx, sy), scene_pixel(x, y)) : scene_pixel(x, y);
                worst = std::max(worst, channel_gap(shown.at(x, y), want));
            }
        EXPECT_LE(worst, 1);
        ZVDestroyWindow(w);
    }
    // A bitmap copied from a window has no alpha; the keyed paste leaves out its key colour.
    int w = ZVCreateWindow(10, 10, ww, wh, "keyed");
    ZVPutPixels(w, 0, 0, ww, wh, scene.data(), ww);
    int copy = ZVCopyBitmap(w, 0, 0, 4, 4);
    ZVClearDrawBuffer(w);
    ZVCOLOUR background = ZVGetPixel(w, 0, 0);
    ASSERT_EQ(ZVPasteBitmapKeyed(w, copy, 10, 10, scene_pixel(1, 1)), ZV_OK);
    EXPECT_EQ(ZVGetPixel(w, 11, 11), background);
    EXPECT_EQ(ZVGetPixel(w, 12, 11), scene_pixel(2, 1));
    ASSERT_EQ(ZVPasteBitmapAlpha(w, copy, 0, 0), ZV_OK); // no alpha: a plain paste
    EXPECT_EQ(ZVGetPixel(w, 1, 1), scene_pixel(1, 1));
    EXPECT_EQ(ZVPasteBitmapAlpha(w + 100, copy, 0, 0), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVPasteBitmapKeyed(w, 0, 0, 0, 0), ZV_ERR_BAD_BITMAP);
    // A damaged PNG is refused.
    bytes broken = rgba_png(argb, sw, sh);
    broken[20] ^= 1;
    EXPECT_EQ(ZVLoadBitmap(dir.write("broken.png", broken).c_str()), 0);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BMP_CORRUPT);
    ZVDestroyWindow(w);
}
