// Sprites on a real X server: alpha and keyed pastes as the screen shows them, and a bitmap
// with alpha pasted by another program (xclip) as an RGBA PNG that keeps it.
#include "x11_session.h"

#include "../api/image_files.h"
#include "../api/png_bytes.h"

#include <png.h>

using namespace x11_session;

namespace {

// The scene under the sprites, as 0x00RRGGBB.
uint32_t scene_rgb(int x, int y) {
    return static_cast<uint32_t>(x * 3 & 255) << 16 | static_cast<uint32_t>(y * 5 & 255) << 8 |
           0x40;
}

ZVCOLOUR as_colour(uint32_t rgb) {
    return (rgb >> 16 & 255) | (rgb & 0xFF00) | (rgb & 255) << 16;
}

std::string paste(const char *target, int *status) {
    return run({"xclip", "-selection", "clipboard", "-t", target, "-o"}, status);
}

} // namespace

// One session: the pastes as the screen shows them, then the sprite and the window's picture
// on the clipboard.
TEST(X11Sprites, PastesReachTheScreenAndTheClipboardKeepsTheAlpha) {
    if (!run_in_child()) return;
    ASSERT_TRUE(have_program("xclip")) << "xclip is needed on the X server";
    scratch_folder dir;
    png_layout s; // straight alpha through every step from clear to opaque
    s.colour_type = PNG_COLOR_TYPE_RGB_ALPHA, s.width = 24, s.height = 18;
    int sprite = ZVLoadBitmap(dir.write("sprite.png", make_png(s)).c_str());
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
            if (s.covers(sx, sy)) p = blend_over(s.expected(sx, sy), p);
            if (kx >= 0 && ky >= 0 && kx < 6 && ky < 6)
                p = kx == 1 && ky == 1 ? 0xFAFAFA : scene_rgb(kx, ky);
            want.push_back(p);
        }
    client_area area = library_client_area(w);
    int wrong = -1;
    EXPECT_TRUE(poll_until([&] {
        std::vector<unsigned long> shown = capture(area.x, area.y, width, height);
        wrong = 0;
        for (size_t i = 0; i < want.size(); ++i)
            wrong += !near_colour(static_cast<uint32_t>(shown[i]), want[i], 1);
        return wrong == 0;
    })) << wrong
        << " pixels differ on the screen";

    // Another program pastes the sprite as an RGBA PNG of the same straight samples.
    ASSERT_EQ(ZVCopyBitmapToClipboard(sprite), ZV_OK);
    int status = -1;
    std::string png;
    ASSERT_TRUE(poll_until([&] {
        png = paste("image/png", &status);
        return status == 0 && !png.empty();
    }));
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, png.data(), png.size()));
    EXPECT_EQ(png[25], 6) << "colour type: RGBA";
    ASSERT_EQ(image.width, unsigned(s.width));
    ASSERT_EQ(image.height, unsigned(s.height));
    image.format = PNG_FORMAT_BGRA; // 0xAARRGGBB in memory on a little-endian machine
    std::vector<uint32_t> pixels(size_t(s.width) * s.height);
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
    int wrong_samples = 0;
    for (size_t i = 0; i < pixels.size(); ++i)
        wrong_samples += pixels[i] != s.expected(int(i) % s.width, int(i) / s.width);
    EXPECT_EQ(wrong_samples, 0);
    // The BMP form stays the bitmap's own DIB, and a window's picture has no PNG of its own.
    EXPECT_EQ(paste("image/bmp", &status).size(), 14u + 40u + 4u * pixels.size());
    ASSERT_EQ(ZVCopyImageToClipboard(w), ZV_OK);
    EXPECT_TRUE(poll_until([&] {
        png = paste("image/png", &status);
        return status == 0 && png.size() > 25 && png[25] == 2;
    })) << "an opaque picture pastes as RGB";
    ZVDestroyWindow(w);
}

// A landscape drawn on a canvas, which the server never sees, and a sprite made from bytes
// drawn turned, enlarged, mirrored and smoothed over it: the screen shows exactly the
// window's buffer.
TEST(X11Sprites, CanvasesStayOffTheServerAndTurnedDrawsReachTheScreen) {
    if (!run_in_child()) return;
    const int width = 90, height = 70;
    int canvas = ZVCreateCanvas(width, height);
    ASSERT_GT(canvas, 0);
    ZVSetTitle(canvas, "off the server");
    ZVSetFillColour(canvas, ZVGetRGBColour(40, 90, 160));
    ZVFillRectangle(canvas, -1, -1, width + 1, 40);
    ZVSetFillColour(canvas, ZVGetRGBColour(80, 160, 60));
    ZVFillCircle(canvas, 45, 80, 50);
    ZVTextOut(canvas, 3, 3, "canvas");
    int landscape = ZVCopyBitmap(canvas, 0, 0, width, height);
    ASSERT_NE(landscape, 0);
    EXPECT_EQ(find_window("off the server"), Window(None));
    std::vector<unsigned char> rgba;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x)
            for (int v : {x * 20, y * 30, 200, x == 0 || y == 7 ? 0 : 255})
                rgba.push_back(static_cast<unsigned char>(v));
    int sprite = ZVCreateBitmap(12, 8, rgba.data(), 0);
    int w = ZVCreateWindow(30, 30, width, height, "turned sprites");
    ASSERT_EQ(ZVPasteBitmap(w, landscape, 0, 0), ZV_OK);
    ASSERT_EQ(ZVDrawBitmap(w, sprite, 0, 0, 12, 8, 10, 10, 36, 24, 35.0, ZV_SMOOTH), ZV_OK);
    ASSERT_EQ(ZVDrawBitmap(w, sprite, 2, 1, 8, 6, 50, 30, 32, 24, 90.0, ZV_FLIP_X), ZV_OK);
    ZVRedraw(w);
    std::vector<ZVCOLOUR> buffer(width * height);
    ASSERT_EQ(ZVGetPixels(w, 0, 0, width, height, buffer.data(), width), ZV_OK);
    client_area area = library_client_area(w);
    int wrong = -1;
    EXPECT_TRUE(poll_until([&] {
        std::vector<unsigned long> shown = capture(area.x, area.y, width, height);
        wrong = 0;
        for (size_t i = 0; i < buffer.size(); ++i)
            wrong += as_colour(static_cast<uint32_t>(shown[i])) != buffer[i];
        return wrong == 0;
    })) << wrong
        << " pixels differ on the screen";
    ZVDestroyWindow(w);
    ZVDestroyWindow(canvas);
}
