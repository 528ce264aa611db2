// Sprites on a real X server: alpha and keyed pastes as the screen shows them, and a bitmap
// with alpha pasted by another program (xclip) as an RGBA PNG that keeps it.
#include "x11_session.h"

#include "../api/image_files.h"
#include "../api/png_bytes.h"

#include <png.h>

#include <cstdlib>

using namespace x11_session;

namespace {

const int k_sprite_width = 24, k_sprite_height = 18;

// Straight alpha that runs through every step from clear to opaque across the sprite.
uint32_t sprite_argb(int x, int y) {
    uint32_t a = static_cast<uint32_t>((x * 11 + y * 29) % 256);
    return a << 24 | static_cast<uint32_t>(x * 10) << 16 | static_cast<uint32_t>(y * 14) << 8 |
           static_cast<uint32_t>(255 - x * 5);
}

// The scene under the sprites, as 0x00RRGGBB.
uint32_t scene_rgb(int x, int y) {
    return static_cast<uint32_t>(x * 3 & 255) << 16 | static_cast<uint32_t>(y * 5 & 255) << 8 |
           0x40;
}

ZVCOLOUR as_colour(uint32_t rgb) {
    return (rgb >> 16 & 255) | (rgb & 0xFF00) | (rgb & 255) << 16;
}

uint32_t blended(uint32_t argb, uint32_t under) {
    uint32_t a = argb >> 24, out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        uint32_t s = argb >> shift & 255, d = under >> shift & 255;
        out |= static_cast<uint32_t>((s * a + d * (255 - a)) / 255.0 + 0.5) << shift;
    }
    return out;
}

bool within_one_step(unsigned long a, uint32_t b) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int(a >> shift & 255) - int(b >> shift & 255)) > 1) return false;
    return true;
}

int load_sprite(const scratch_folder &dir) {
    std::vector<uint32_t> argb;
    for (int y = 0; y < k_sprite_height; ++y)
        for (int x = 0; x < k_sprite_width; ++x) argb.push_back(sprite_argb(x, y));
    return ZVLoadBitmap(
        dir.write("sprite.png", rgba_png(argb, k_sprite_width, k_sprite_height)).c_str());
}

bool have_xclip(void) {
    int status = -1;
    run({"xclip", "-version"}, &status);
    return status == 0;
}

} // namespace

TEST(X11Sprites, AlphaAndKeyedPastesReachTheScreen) {
    if (!run_in_child()) return;
    scratch_folder dir;
    int sprite = load_sprite(dir);
    ASSERT_NE(sprite, 0) << ZVGetLastError();
    const int width = 80, height = 40, alpha_x = 4, alpha_y = -3, keyed_x = 50, keyed_y = 10;
    int w = ZVCreateWindow(30, 30, width, height, "sprites");
    ASSERT_NE(w, 0);
    std::vector<ZVCOLOUR> scene;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) scene.push_back(as_colour(scene_rgb(x, y)));
    ZVPutPixels(w, 0, 0, width, height, scene.data(), width);
    // The keyed sprite: a copy of the scene's corner, whose pixel (1, 1) is the key.
    int corner = ZVCopyBitmap(w, 0, 0, 6, 6);
    ASSERT_NE(corner, 0);
    ASSERT_EQ(ZVPasteBitmapAlpha(w, sprite, alpha_x, alpha_y), ZV_OK);
    std::vector<ZVCOLOUR> light(36, ZVGetRGBColour(250, 250, 250)); // shows through the key
    ZVPutPixels(w, keyed_x, keyed_y, 6, 6, light.data(), 6);
    ASSERT_EQ(ZVPasteBitmapKeyed(w, corner, keyed_x, keyed_y, as_colour(scene_rgb(1, 1))), ZV_OK);
    ZVRedraw(w);
    std::vector<uint32_t> want;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int sx = x - alpha_x, sy = y - alpha_y, kx = x - keyed_x, ky = y - keyed_y;
            uint32_t p = scene_rgb(x, y);
            if (sx >= 0 && sy >= 0 && sx < k_sprite_width && sy < k_sprite_height)
                p = blended(sprite_argb(sx, sy), p);
            if (kx >= 0 && ky >= 0 && kx < 6 && ky < 6)
                p = kx == 1 && ky == 1 ? 0xFAFAFA : scene_rgb(kx, ky);
            want.push_back(p);
        }
    client_area area = library_client_area(w);
    int wrong = -1;
    EXPECT_TRUE(poll_until([&] {
        std::vector<unsigned long> shown = capture(area.x, area.y, width, height);
        wrong = 0;
        for (size_t i = 0; i < want.size(); ++i) wrong += !within_one_step(shown[i], want[i]);
        return wrong == 0;
    })) << wrong
        << " pixels differ on the screen";
    ZVDestroyWindow(w);
}

TEST(X11Sprites, ABitmapWithAlphaPastesAsAnRgbaPng) {
    if (!run_in_child()) return;
    ASSERT_TRUE(have_xclip()) << "xclip is needed on the X server";
    scratch_folder dir;
    int sprite = load_sprite(dir);
    ASSERT_NE(sprite, 0) << ZVGetLastError();
    ASSERT_EQ(ZVCopyBitmapToClipboard(sprite), ZV_OK);
    int status = -1;
    std::string png;
    ASSERT_TRUE(poll_until([&] {
        png = run({"xclip", "-selection", "clipboard", "-t", "image/png", "-o"}, &status);
        return status == 0 && !png.empty();
    }));
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, png.data(), png.size()));
    EXPECT_EQ(image.format & PNG_FORMAT_FLAG_ALPHA, PNG_FORMAT_FLAG_ALPHA) << "no alpha channel";
    EXPECT_EQ(png[25], 6) << "colour type: RGBA";
    ASSERT_EQ(image.width, unsigned(k_sprite_width));
    ASSERT_EQ(image.height, unsigned(k_sprite_height));
    image.format = PNG_FORMAT_BGRA; // 0xAARRGGBB in memory on a little-endian machine
    std::vector<uint32_t> pixels(size_t(k_sprite_width) * k_sprite_height);
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
    int wrong = 0;
    for (int y = 0; y < k_sprite_height; ++y)
        for (int x = 0; x < k_sprite_width; ++x)
            wrong += pixels[size_t(y) * k_sprite_width + x] != sprite_argb(x, y);
    EXPECT_EQ(wrong, 0);
    // The BMP form stays the bitmap's own DIB, and a window's picture has no PNG of its own.
    std::string bmp = run({"xclip", "-selection", "clipboard", "-t", "image/bmp", "-o"}, &status);
    EXPECT_EQ(bmp.size(), 14u + 40u + 4u * k_sprite_width * k_sprite_height);
    int w = ZVCreateWindow(10, 10, 30, 20, "plain");
    ASSERT_EQ(ZVCopyImageToClipboard(w), ZV_OK);
    EXPECT_TRUE(poll_until([&] {
        png = run({"xclip", "-selection", "clipboard", "-t", "image/png", "-o"}, &status);
        return status == 0 && png.size() > 25 && png[25] == 2;
    })) << "an opaque picture pastes as RGB";
    ZVDestroyWindow(w);
}
