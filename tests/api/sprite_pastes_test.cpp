// Bitmaps with alpha through the public API alone, so that the same cases run against
// Zelvan.dll (Windows' imaging component and msimg32 there, libpng and our GDI here): the two
// sprite pastes, showing, and PNG saves.
#include "image_files.h"
#include "png_bytes.h"

#include <gtest/gtest.h>

namespace {

// The background each test paints under its sprites: a different colour in every pixel.
ZVCOLOUR under(int x, int y) {
    return static_cast<ZVCOLOUR>((x * 9 & 255) | (y * 7 & 255) << 8 | ((x ^ y) * 5 & 255) << 16);
}

// A pixel 0xAARRGGBB in a ZVCOLOUR's order (0x00BBGGRR), its alpha kept on top.
uint32_t as_colour(uint32_t argb) {
    return (argb & 0xFF00FF00u) | (argb >> 16 & 255) | (argb & 255) << 16;
}

// The colour of pixel (x, y) of a PNG, its alpha left out.
ZVCOLOUR opaque(const png_layout &png, int x, int y) {
    return as_colour(png.expected(x, y)) & 0xFFFFFF;
}

// Paints the background over the whole of window w, `width` by `height`.
void paint_scene(int w, int width, int height) {
    std::vector<ZVCOLOUR> scene;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) scene.push_back(under(x, y));
    ZVPutPixels(w, 0, 0, width, height, scene.data(), width);
}

int scene_window(int width, int height) {
    int w = ZVCreateWindow(10, 10, width, height, "sprites");
    paint_scene(w, width, height);
    return w;
}

// How many pixels of the window differ from want(x, y) by more than `tolerance` a channel.
template <typename Want> int wrong_pixels(int w, Want want, int tolerance = 0) {
    picture shown(w);
    int wrong = 0;
    for (int y = 0; y < shown.height; ++y)
        for (int x = 0; x < shown.width; ++x)
            wrong += !near_colour(shown.at(x, y), want(x, y), tolerance);
    return wrong;
}

// An RGBA sprite whose alpha runs through many steps, loaded from its file.
struct SpritePastes : testing::Test {
    scratch_folder dir;
    png_layout s;
    int sprite = 0;
    void SetUp() override {
        s.colour_type = PNG_COLOR_TYPE_RGB_ALPHA;
        s.width = 37, s.height = 23;
        sprite = ZVLoadBitmap(dir.write("s.png", make_png(s)).c_str());
        ASSERT_NE(sprite, 0) << ZVGetLastError();
    }
    // The sprite's pixel (x, y) over the colour `below`, exactly.
    ZVCOLOUR over(int x, int y, ZVCOLOUR below) const {
        return blend_over(as_colour(s.expected(x, y)), below);
    }
};

} // namespace

// The sprite as loaded and as saved to PNG and loaded again, at places that clip it at every
// edge or leave nothing of it.
TEST_F(SpritePastes, AlphaBlendsWithinOneStepAndClipsAtEveryEdge) {
    ASSERT_EQ(ZVSaveBitmap(sprite, dir.path("again.png").c_str()), ZV_OK);
    int saved = ZVLoadBitmap(dir.path("again.png").c_str());
    ASSERT_NE(saved, 0);
    for (int bitmap : {sprite, saved})
        for (POINT at :
             {POINT{5, 6}, POINT{-9, -4}, POINT{40, 30}, POINT{25, -3}, POINT{-100, 0}}) {
            int w = scene_window(60, 40);
            ASSERT_EQ(ZVPasteBitmapAlpha(w, bitmap, at.x, at.y), ZV_OK);
            auto want = [&](int x, int y) {
                int sx = x - at.x, sy = y - at.y;
                return s.covers(sx, sy) ? over(sx, sy, under(x, y)) : under(x, y);
            };
            EXPECT_EQ(wrong_pixels(w, want, 1), 0)
                << "at " << at.x << "," << at.y << (bitmap == saved ? " saved" : "");
            ZVDestroyWindow(w);
        }
}

// A file of every layout (greyscale, palette, tRNS, 16 bits, interlaced) loads as stored: its
// alpha paste leaves the file's colours over the scene, and it has alpha, and saves as RGBA,
// exactly when the file has an alpha channel or tRNS.
TEST_F(SpritePastes, EveryPngLayoutLoadsAsStoredWithTheAlphaItHas) {
    const int width = 15, height = 13; // the layouts' 13 x 11, a pixel of scene around them
    int w = scene_window(width, height);
    for (const png_layout &png : every_png_layout()) {
        int bitmap = ZVLoadBitmap(dir.write("layout.png", make_png(png)).c_str());
        if (bitmap == 0) {
            ADD_FAILURE() << png.name() << ": not loaded, error " << ZVGetLastError();
            continue;
        }
        EXPECT_EQ(ZVGetBitmapWidth(bitmap), png.width) << png.name();
        EXPECT_EQ(ZVGetBitmapHeight(bitmap), png.height) << png.name();
        paint_scene(w, width, height);
        ASSERT_EQ(ZVPasteBitmapAlpha(w, bitmap, 1, 1), ZV_OK);
        auto want = [&](int x, int y) {
            return png.covers(x - 1, y - 1)
                       ? blend_over(as_colour(png.expected(x - 1, y - 1)), under(x, y))
                       : under(x, y);
        };
        // 16-bit samples scale to 8 bits within a step, and the blend adds one.
        EXPECT_EQ(wrong_pixels(w, want, png.bit_depth == 16 ? 2 : 1), 0) << png.name();
        ASSERT_EQ(ZVSaveBitmap(bitmap, dir.path("again.png").c_str()), ZV_OK);
        EXPECT_EQ(dir.read("again.png")[25], png.has_alpha() ? 6u : 2u) << png.name();
        ZVDiscardBitmap(bitmap);
    }
    ZVDestroyWindow(w);
}

// Opaque sprites, one from an RGB PNG and one copied from a window: the alpha paste is a
// plain paste, and the keyed paste copies all but the key colour, clipped at the left.
TEST_F(SpritePastes, OpaqueSpritesPasteWholeOrAroundTheirKey) {
    png_layout rgb;
    int from_png = ZVLoadBitmap(dir.write("p.png", make_png(rgb)).c_str());
    int source = scene_window(rgb.width, rgb.height);
    int from_window = ZVCopyBitmap(source, 0, 0, rgb.width, rgb.height);
    ASSERT_NE(from_png, 0);
    ASSERT_NE(from_window, 0);
    for (int bitmap : {from_png, from_window}) {
        auto colour = [&](int x, int y) {
            return bitmap == from_png ? opaque(rgb, x, y) : under(x, y);
        };
        const ZVCOLOUR key = colour(2, 2);
        // What a paste at (left, top) leaves at (x, y), the key colour skipped when `keyed`.
        auto pasted = [&](int left, int top, bool keyed) {
            return [&, left, top, keyed](int x, int y) {
                int sx = x - left, sy = y - top;
                bool copied = rgb.covers(sx, sy) && !(keyed && colour(sx, sy) == key);
                return copied ? colour(sx, sy) : under(x, y);
            };
        };
        const char *from = bitmap == from_png ? "from a PNG" : "from a window";
        int w = scene_window(50, 30), k = scene_window(50, 30);
        ASSERT_EQ(ZVPasteBitmapAlpha(w, bitmap, 1, 1), ZV_OK);
        EXPECT_EQ(wrong_pixels(w, pasted(1, 1, false)), 0) << from;
        ASSERT_EQ(ZVPasteBitmapKeyed(k, bitmap, -2, 3, key), ZV_OK);
        EXPECT_EQ(wrong_pixels(k, pasted(-2, 3, true)), 0) << from;
        ZVDestroyWindow(w);
        ZVDestroyWindow(k);
    }
    ZVDestroyWindow(source);
}

// ZVPasteBitmap copies the colours of a sprite with alpha as stored; shown, or loaded as the
// window's image, the sprite lies on the window's background colour.
TEST_F(SpritePastes, PlainPastesCopyAndShowingBlendsOverTheBackground) {
    int w = scene_window(50, 30);
    ASSERT_EQ(ZVPasteBitmap(w, sprite, 0, 0), ZV_OK);
    auto stored = [&](int x, int y) { return s.covers(x, y) ? opaque(s, x, y) : under(x, y); };
    EXPECT_EQ(wrong_pixels(w, stored), 0);
    ZVSetBackground(w, k_green);
    auto on_green = [&](int x, int y) { return over(x, y, k_green); };
    ASSERT_EQ(ZVShowBitmap(w, sprite), ZV_OK);
    ASSERT_EQ(ZVGetWidth(w), s.width);
    ASSERT_EQ(ZVGetHeight(w), s.height);
    EXPECT_EQ(wrong_pixels(w, on_green, 1), 0);
    ZVClearDrawBuffer(w);
    ASSERT_EQ(ZVLoadImage(w, dir.path("s.png").c_str()), ZV_OK);
    EXPECT_EQ(wrong_pixels(w, on_green, 1), 0);
    ZVDestroyWindow(w);
}

// A window made with no pixels takes every paste and block as one wholly outside its buffer:
// ZV_OK, nothing drawn, and the window stays as it was.
TEST_F(SpritePastes, PastesOntoAWindowWithNoPixelsSucceedAndDrawNothing) {
    int source = scene_window(6, 4);
    int opaque_copy = ZVCopyBitmap(source, 0, 0, 6, 4);
    int empty = ZVCreateWindow(10, 10, 0, 0, "no pixels");
    ASSERT_NE(empty, 0);
    const ZVCOLOUR block[4] = {k_red, k_red, k_red, k_red};
    for (POINT at : {POINT{0, 0}, POINT{-3, -2}, POINT{5, 5}}) {
        EXPECT_EQ(ZVPasteBitmap(empty, sprite, at.x, at.y), ZV_OK);
        EXPECT_EQ(ZVPasteBitmapAlpha(empty, sprite, at.x, at.y), ZV_OK) << at.x << "," << at.y;
        EXPECT_EQ(ZVPasteBitmapAlpha(empty, opaque_copy, at.x, at.y), ZV_OK);
        for (int bitmap : {sprite, opaque_copy})
            EXPECT_EQ(ZVPasteBitmapKeyed(empty, bitmap, at.x, at.y, k_green), ZV_OK)
                << at.x << "," << at.y;
        EXPECT_EQ(ZVPutPixels(empty, at.x, at.y, 2, 2, block, 2), ZV_OK) << at.x << "," << at.y;
    }
    EXPECT_EQ(ZVGetWidth(empty), 0);
    EXPECT_EQ(ZVGetHeight(empty), 0);
    // The buffer a resize gives it starts in the background colour: nothing was kept.
    ASSERT_EQ(ZVResize(empty, 4, 3), ZV_OK);
    EXPECT_EQ(wrong_pixels(empty, [](int, int) { return k_white; }), 0);
    ZVDestroyWindow(empty);
    ZVDestroyWindow(source);
}

// Bad handles in the usual order, and damaged PNG files.
TEST_F(SpritePastes, BadHandlesAndDamagedFilesAreRefused) {
    int w = scene_window(10, 10);
    EXPECT_EQ(ZVPasteBitmapAlpha(0, 9999, 0, 0), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVPasteBitmapAlpha(w + 100, sprite, 0, 0), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVPasteBitmapAlpha(w, 9999, 0, 0), ZV_ERR_BAD_BITMAP);
    EXPECT_EQ(ZVPasteBitmapKeyed(0, sprite, 0, 0, 0), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVPasteBitmapKeyed(w, 0, 0, 0, 0), ZV_ERR_BAD_BITMAP);
    EXPECT_EQ(ZVPasteBitmapKeyed(w, 9999, 0, 0, 0), ZV_ERR_BAD_BITMAP);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_BITMAP);
    bytes broken = make_png(s);
    broken[20] ^= 1; // the height, which the header's CRC no longer matches
    EXPECT_EQ(ZVLoadBitmap(dir.write("broken.png", broken).c_str()), 0);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BMP_CORRUPT);
    // 10000 x 10000 pixels of one bit in a file of 80 KB: 300 MB at the 24 bits they would
    // take, far beyond what any file of its size holds. Up to 64 MiB a flat picture loads.
    bytes flat = make_flat_png(10000, 10000, 1);
    EXPECT_LT(flat.size(), 100000u);
    EXPECT_EQ(ZVLoadBitmap(dir.write("flat.png", flat).c_str()), 0);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BMP_CORRUPT);
    int small_flat = ZVLoadBitmap(dir.write("small.png", make_flat_png(4000, 4000, 1)).c_str());
    EXPECT_EQ(ZVGetBitmapWidth(small_flat), 4000);
    ZVDiscardBitmap(small_flat);
    ZVDestroyWindow(w);
}

TEST_F(SpritePastes, PngNamesSavePngAndOtherNamesBmp) {
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
    EXPECT_NE(ZVLoadBitmap(dir.path("copy.png.bmp").c_str()), 0);
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
