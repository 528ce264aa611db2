// Bitmaps with alpha through the public API alone, so that the same cases run against
// Zelvan.dll (Windows' imaging component and msimg32 there, libpng and our GDI here): the two
// sprite pastes, showing, and PNG saves.
#include "image_files.h"
#include "png_bytes.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// A straight-alpha pixel 0xAARRGGBB laid over a ZVCOLOUR, exactly.
ZVCOLOUR blended(uint32_t argb, ZVCOLOUR under) {
    uint32_t a = argb >> 24, out = 0;
    for (int c = 0; c < 3; ++c) {
        uint32_t s = argb >> (16 - 8 * c) & 255, d = under >> (8 * c) & 255; // c: red, green, blue
        out |= static_cast<uint32_t>((s * a + d * (255 - a)) / 255.0 + 0.5) << (8 * c);
    }
    return out;
}

ZVCOLOUR opaque(uint32_t argb) {
    return (argb >> 16 & 255) | (argb & 0xFF00) | (argb & 255) << 16;
}

bool within_one(ZVCOLOUR a, ZVCOLOUR b) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int(a >> shift & 255) - int(b >> shift & 255)) > 1) return false;
    return true;
}

// The background each test paints under its sprites: a different colour in every pixel.
ZVCOLOUR under(int x, int y) {
    return static_cast<ZVCOLOUR>((x * 9 & 255) | (y * 7 & 255) << 8 | ((x ^ y) * 5 & 255) << 16);
}

int scene_window(int width, int height) {
    int w = ZVCreateWindow(10, 10, width, height, "sprites");
    std::vector<ZVCOLOUR> scene(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) scene[static_cast<size_t>(y) * width + x] = under(x, y);
    ZVPutPixels(w, 0, 0, width, height, scene.data(), width);
    return w;
}

png_layout sprite_spec() {
    png_layout s;
    s.colour_type = PNG_COLOR_TYPE_RGB_ALPHA;
    s.width = 37, s.height = 23;
    return s;
}

} // namespace

// The sprite as loaded and as saved to PNG and loaded again, at places that clip it at every
// edge or leave nothing of it.
TEST(SpritePastes, AlphaBlendsWithinOneStepAndClipsAtEveryEdge) {
    scratch_folder dir;
    png_layout s = sprite_spec();
    int loaded = ZVLoadBitmap(dir.write("s.png", make_png(s)).c_str());
    ASSERT_NE(loaded, 0) << ZVGetLastError();
    ASSERT_EQ(ZVSaveBitmap(loaded, dir.path("again.png").c_str()), ZV_OK);
    int saved = ZVLoadBitmap(dir.path("again.png").c_str());
    ASSERT_NE(saved, 0);
    const int width = 60, height = 40;
    for (int sprite : {loaded, saved})
        for (POINT at :
             {POINT{5, 6}, POINT{-9, -4}, POINT{40, 30}, POINT{25, -3}, POINT{-100, 0}}) {
            int w = scene_window(width, height);
            ASSERT_EQ(ZVPasteBitmapAlpha(w, sprite, at.x, at.y), ZV_OK);
            picture shown(w);
            int wrong = 0;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    int sx = x - at.x, sy = y - at.y;
                    bool inside = sx >= 0 && sy >= 0 && sx < s.width && sy < s.height;
                    ZVCOLOUR want = inside ? blended(s.expected(sx, sy), under(x, y)) : under(x, y);
                    wrong += !within_one(shown.at(x, y), want);
                }
            EXPECT_EQ(wrong, 0) << "at " << at.x << "," << at.y
                                << (sprite == saved ? " saved" : "");
            ZVDestroyWindow(w);
        }
    ZVDiscardBitmap(loaded);
    ZVDiscardBitmap(saved);
}

// Opaque sprites, one from an RGB PNG and one copied from a window: the alpha paste is a
// plain paste, and the keyed paste copies all but the key colour, clipped at the left.
TEST(SpritePastes, OpaqueSpritesPasteWholeOrAroundTheirKey) {
    scratch_folder dir;
    png_layout plain_spec;
    int from_png = ZVLoadBitmap(dir.write("p.png", make_png(plain_spec)).c_str());
    int source = scene_window(plain_spec.width, plain_spec.height);
    int from_window = ZVCopyBitmap(source, 0, 0, plain_spec.width, plain_spec.height);
    ASSERT_NE(from_png, 0);
    ASSERT_NE(from_window, 0);
    for (int sprite : {from_png, from_window}) {
        auto colour = [&](int x, int y) {
            return sprite == from_png ? opaque(plain_spec.expected(x, y)) : under(x, y);
        };
        int w = scene_window(50, 30);
        ASSERT_EQ(ZVPasteBitmapAlpha(w, sprite, 1, 1), ZV_OK);
        EXPECT_EQ(ZVGetPixel(w, 1 + 4, 1 + 3), colour(4, 3));
        int k = scene_window(50, 30);
        ZVCOLOUR key = colour(2, 2);
        ASSERT_EQ(ZVPasteBitmapKeyed(k, sprite, -2, 3, key), ZV_OK);
        picture keyed(k);
        int wrong = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 50; ++x) {
                int sx = x + 2, sy = y - 3;
                bool inside = sx < plain_spec.width && sy >= 0 && sy < plain_spec.height;
                ZVCOLOUR c = inside ? colour(sx, sy) : 0;
                wrong += keyed.at(x, y) != (inside && c != key ? c : under(x, y));
            }
        EXPECT_EQ(wrong, 0) << (sprite == from_png ? "from a PNG" : "from a window");
        ZVDestroyWindow(w);
        ZVDestroyWindow(k);
    }
    ZVDestroyWindow(source);
}

// ZVPasteBitmap copies the colours of a sprite with alpha as stored; shown, the sprite lies
// on the window's background colour.
TEST(SpritePastes, PlainPastesCopyAndShowingBlendsOverTheBackground) {
    scratch_folder dir;
    png_layout s = sprite_spec();
    int sprite = ZVLoadBitmap(dir.write("s.png", make_png(s)).c_str());
    ASSERT_NE(sprite, 0);
    int w = scene_window(50, 30);
    ASSERT_EQ(ZVPasteBitmap(w, sprite, 0, 0), ZV_OK);
    EXPECT_EQ(ZVGetPixel(w, 3, 2), opaque(s.expected(3, 2)));
    ZVSetBackground(w, 0x00FF00);
    ASSERT_EQ(ZVShowBitmap(w, sprite), ZV_OK);
    EXPECT_EQ(ZVGetWidth(w), s.width);
    EXPECT_TRUE(within_one(ZVGetPixel(w, 5, 7), blended(s.expected(5, 7), 0x00FF00)));
    ZVDestroyWindow(w);
}

// Bad handles in the usual order, and damaged PNG files.
TEST(SpritePastes, BadHandlesAndDamagedFilesAreRefused) {
    scratch_folder dir;
    png_layout s = sprite_spec();
    bytes file = make_png(s);
    int sprite = ZVLoadBitmap(dir.write("s.png", file).c_str());
    ASSERT_NE(sprite, 0);
    int w = scene_window(10, 10);
    EXPECT_EQ(ZVPasteBitmapAlpha(0, 9999, 0, 0), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVPasteBitmapAlpha(w + 100, sprite, 0, 0), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVPasteBitmapAlpha(w, 9999, 0, 0), ZV_ERR_BAD_BITMAP);
    EXPECT_EQ(ZVPasteBitmapKeyed(0, sprite, 0, 0, 0), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVPasteBitmapKeyed(w, 0, 0, 0, 0), ZV_ERR_BAD_BITMAP);
    EXPECT_EQ(ZVPasteBitmapKeyed(w, 9999, 0, 0, 0), ZV_ERR_BAD_BITMAP);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_BITMAP);
    bytes broken = file;
    broken[20] ^= 1; // the height, which the header's CRC no longer matches
    EXPECT_EQ(ZVLoadBitmap(dir.write("broken.png", broken).c_str()), 0);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BMP_CORRUPT);
    ZVDestroyWindow(w);
}

TEST(SpritePastes, PngNamesSavePngAndOtherNamesBmp) {
    scratch_folder dir;
    png_layout s = sprite_spec();
    int sprite = ZVLoadBitmap(dir.write("s.png", make_png(s)).c_str());
    ASSERT_NE(sprite, 0);
    // Any case of the name gives an RGBA PNG (its colour type, 6, follows the sizes).
    ASSERT_EQ(ZVSaveBitmap(sprite, dir.path("copy.PNG").c_str()), ZV_OK);
    bytes png = dir.read("copy.PNG");
    ASSERT_GT(png.size(), 26u);
    EXPECT_EQ(png[1], 'P');
    EXPECT_EQ(png[25], 6u);
    // Any other name gives BMP, which loads back: 24-bit, without the alpha.
    ASSERT_EQ(ZVSaveBitmap(sprite, dir.path("copy.png.bmp").c_str()), ZV_OK);
    bytes bmp = dir.read("copy.png.bmp");
    EXPECT_EQ(get16(bmp, 0), 0x4D42u);
    EXPECT_EQ(get16(bmp, 28), 24u);
    int back = ZVLoadBitmap(dir.path("copy.png.bmp").c_str());
    EXPECT_NE(back, 0);
    // A window saved under a .png name is an RGB PNG of what it shows.
    int w = scene_window(21, 13);
    ASSERT_EQ(ZVSaveImage(w, dir.path("w.png").c_str()), ZV_OK);
    EXPECT_EQ(dir.read("w.png")[25], 2u);
    int reread = ZVCreateWindow(10, 10, 5, 5, "reread");
    ASSERT_EQ(ZVLoadImage(reread, dir.path("w.png").c_str()), ZV_OK);
    EXPECT_EQ(picture(reread), picture(w));
    EXPECT_EQ(ZVSaveImage(w, dir.path("none/w.png").c_str()), ZV_ERR_FILE_OPEN);
    ZVDestroyWindow(w);
    ZVDestroyWindow(reread);
}
