// The library's life under sway at output scales 1 and 2: the clipboard's pictures read by
// wl-paste (a window's, and a bitmap's with alpha), presented frames that all reach the
// screen, an idle program that sleeps, and a compositor that goes away under the program.
#include "../api/image_files.h"
#include "../api/png_bytes.h"
#include "../core/idle_threads.h"
#include "wayland_session.h"
#include "zelvan.h"

#include <png.h>

#include <chrono>
#include <string>
#include <vector>

using namespace wayland_session;

namespace {

uint32_t screen_rgb(ZVCOLOUR c) {
    return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
}

int open_shown_window(const char *title, int width, int height, area *where) {
    int w = ZVCreateWindow(40, 40, width, height, title);
    EXPECT_GT(w, 0);
    ZVRedraw(w);
    EXPECT_TRUE(sway_window_settled(title, where));
    EXPECT_TRUE(sway({std::string("[title=\"") + title + "\"]", "focus"}));
    return w;
}

uint32_t little_endian(const std::string &bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | uint8_t(bytes[at + size_t(i)]);
    return value;
}

} // namespace

TEST(WaylandLifecycle, TheClipboardOffersThePictureAsPngAndBmp) {
    for (int s : {1, 2}) {
        if (!run_in_child(s)) continue;
        area a;
        int w = open_shown_window("copying", 64, 48, &a);
        ZVSetFillColour(w, ZVGetRGBColour(10, 200, 30));
        ZVSetForeground(w, ZVGetRGBColour(10, 200, 30));
        ZVFillRectangle(w, 0, 0, 64, 48);
        ASSERT_EQ(ZVCopyImageToClipboard(w), ZV_OK);
        std::string types;
        EXPECT_TRUE(poll_until([&] {
            types = run({"wl-paste", "--list-types"});
            return types.find("image/png") != std::string::npos &&
                   types.find("image/bmp") != std::string::npos;
        })) << types;
        std::string png = run({"wl-paste", "--type", "image/png"});
        ASSERT_GT(png.size(), 24u);
        EXPECT_EQ(png.substr(1, 3), "PNG");
        EXPECT_EQ(png[16] << 24 | png[17] << 16 | png[18] << 8 | uint8_t(png[19]), 64); // width
        std::string bmp = run({"wl-paste", "--type", "image/bmp"});
        ASSERT_GT(bmp.size(), 54u);
        EXPECT_EQ(bmp.substr(0, 2), "BM");
        EXPECT_EQ(little_endian(bmp, 18), 64u);
        EXPECT_EQ(little_endian(bmp, 22), 48u);
        // The first stored pixel (bottom-left) in B, G, R order.
        uint32_t offset = little_endian(bmp, 10);
        ASSERT_GT(bmp.size(), size_t(offset) + 3);
        EXPECT_EQ(uint8_t(bmp[offset]), 30);
        EXPECT_EQ(uint8_t(bmp[offset + 1]), 200);
        EXPECT_EQ(uint8_t(bmp[offset + 2]), 10);
        EXPECT_EQ(png[25], 2) << "an opaque picture pastes as RGB";
        // A bitmap with alpha pastes as an RGBA PNG of the same straight samples.
        scratch_folder dir;
        png_layout sprite;
        sprite.colour_type = PNG_COLOR_TYPE_RGB_ALPHA, sprite.width = 24, sprite.height = 18;
        int bitmap = ZVLoadBitmap(dir.write("sprite.png", make_png(sprite)).c_str());
        ASSERT_NE(bitmap, 0);
        ASSERT_EQ(ZVCopyBitmapToClipboard(bitmap), ZV_OK);
        EXPECT_TRUE(poll_until([&] {
            png = run({"wl-paste", "--type", "image/png"});
            return png.size() > 25 && png[25] == 6;
        })) << "no RGBA PNG on the clipboard";
        png_image image = {};
        image.version = PNG_IMAGE_VERSION;
        ASSERT_TRUE(png_image_begin_read_from_memory(&image, png.data(), png.size()));
        ASSERT_EQ(image.width, unsigned(sprite.width));
        ASSERT_EQ(image.height, unsigned(sprite.height));
        image.format = PNG_FORMAT_BGRA; // 0xAARRGGBB in memory on a little-endian machine
        std::vector<uint32_t> pixels(size_t(sprite.width) * sprite.height);
        ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
        int wrong = 0;
        for (size_t i = 0; i < pixels.size(); ++i) {
            wrong += pixels[i] != sprite.expected(int(i) % sprite.width, int(i) / sprite.width);
        }
        EXPECT_EQ(wrong, 0);
        return;
    }
}

// Each ZVPresent returns once the frame before it was answered by the compositor, so the
// screen never lags more than one frame behind the program, and the program is paced by the
// compositor's frames.
TEST(WaylandLifecycle, EveryPresentedFrameReachesTheScreen) {
    for (int s : {1, 2}) {
        if (!run_in_child(s)) continue;
        area a;
        const int width = 64, height = 32;
        int w = open_shown_window("presenting", width, height, &a);
        ZVSetDoubleBuffer(w, 1);
        ZVSetAutoRedraw(w, 0);
        std::vector<ZVCOLOUR> frame(size_t(width) * height);
        ZVCOLOUR previous = 0;
        for (int k = 1; k <= 6; ++k) {
            ZVCOLOUR colour = ZVGetRGBColour(40 * k, 255 - 40 * k, 128);
            std::fill(frame.begin(), frame.end(), colour);
            ASSERT_EQ(ZVPutPixels(w, 0, 0, width, height, frame.data(), width), ZV_OK);
            ASSERT_EQ(ZVPresent(w), ZV_OK);
            // Frame k-1 was answered before frame k went out: the screen holds one of the two.
            if (k > 1) {
                wayland_session::picture shot = capture(a.x, a.y, 1, 1);
                ASSERT_FALSE(shot.pixels.empty());
                uint32_t seen = shot.pixels[0];
                EXPECT_TRUE(seen == screen_rgb(previous) || seen == screen_rgb(colour))
                    << "frame " << k << ": the screen shows " << std::hex << seen;
            }
            previous = colour;
        }
        EXPECT_TRUE(poll_until([&] {
            wayland_session::picture shot = capture(a.x, a.y, 1, 1);
            return !shot.pixels.empty() && shot.pixels[0] == screen_rgb(previous);
        }));
        // Paced by the compositor: a present waits until the frame before it was shown, so 30
        // of them span at least 29 refreshes of the 60 Hz output (a bound below, which a slow
        // machine only passes more easily).
        auto start = std::chrono::steady_clock::now();
        for (int k = 0; k < 30; ++k) {
            std::fill(frame.begin(), frame.end(), ZVGetRGBColour(k * 8, 0, 255 - k * 8));
            ASSERT_EQ(ZVPutPixels(w, 0, 0, width, height, frame.data(), width), ZV_OK);
            ASSERT_EQ(ZVPresent(w), ZV_OK);
        }
        std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
        EXPECT_GE(spent.count(), 29 * 1000.0 / 60 * 0.8) << "presents outran the compositor";
        return;
    }
}

TEST(WaylandLifecycle, IdleWindowsCostAlmostNoCpu) {
    for (int s : {1, 2}) {
        if (!run_in_child(s)) continue;
        area a;
        int w = open_shown_window("idling", 80, 60, &a);
        expect_idle_over_ticks(w, 3, [&](ZVCOLOUR colour) {
            wayland_session::picture shot = capture(a.x, a.y, 1, 1);
            return !shot.pixels.empty() && shot.pixels[0] == screen_rgb(colour);
        });
        return;
    }
}

namespace {

// In the child: a window shown, the compositor killed under it, and what the program has left.
void outlive_the_compositor(void) {
    area a;
    int w = open_shown_window("doomed", 100, 60, &a);
    kill_compositor();
    EXPECT_TRUE(poll_until([&] { return ZVIsWindow(w) != ZV_OK; }));
    EXPECT_EQ(ZVFillRectangle(w, 0, 0, 50, 50), ZV_ERR_BAD_WINDOW);
    int later = ZVCreateWindow(10, 10, 100, 100, "after");
    ASSERT_GT(later, 0);
    EXPECT_EQ(ZVSetPixelFast(later, 3, 4, ZVGetRGBColour(1, 2, 3)), ZV_OK);
    EXPECT_EQ(ZVGetPixel(later, 3, 4), ZVGetRGBColour(1, 2, 3));
    ZVDestroyWindow(later);
}

} // namespace

// The compositor dies under the program: the process goes on, its windows are closed as if
// destroyed, later windows live off screen, and one line says why. So too with windows that
// libdecor frames.
TEST(WaylandLifecycle, ACompositorThatGoesAwayClosesTheWindowsButNotTheProcess) {
    for (compositor_look look : {compositor_look::as_is, compositor_look::hide_decorations}) {
        for (int s : {1, 2}) {
            std::string errors;
            options how;
            how.look = look;
            how.own_compositor = true;
            how.child_errors = &errors;
            if (run_in_child(s, how)) {
                outlive_the_compositor();
                return;
            }
            if (!getenv("ZELVAN_WAYLAND_TEST_SCALE") && !testing::Test::IsSkipped()) {
                size_t first = errors.find("display went away");
                EXPECT_NE(first, std::string::npos) << errors;
                EXPECT_EQ(errors.find("display went away", first + 1), std::string::npos) << errors;
            }
        }
    }
}
