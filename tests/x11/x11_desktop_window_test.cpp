// Windows on a real desktop: the density from Xft.dpi, and under a window manager (openbox)
// with the user's requests made by xdotool, a fixed window keeping its size, a resizable one
// taking the user's, fullscreen covering the screen and giving the size back, and a window
// enlarged in exact blocks whose clicks land on the right drawing pixel.
#include "x11_session.h"
#include "zelvan.h"

#include <X11/Xatom.h>

#include <stdlib.h>
#include <string.h>

#include <string>

using namespace x11_session;

namespace {

// The scale of a window made after the root window's resources are set as `xrdb` would.
int scale_of_new_window(const char *resources) {
    Display *d = display();
    XChangeProperty(d, DefaultRootWindow(d), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(resources),
                    static_cast<int>(strlen(resources)));
    XSync(d, False);
    int w = ZVCreateWindow(40, 40, 30, 20, "density");
    int scale = ZVGetScale(w);
    ZVDestroyWindow(w);
    return scale;
}

// Waits until window `xw` is viewable at width x height (and at the screen's origin when
// asked); `seen` gets its last geometry.
bool shown_as(Window xw, int width, int height, geometry &seen, bool at_origin = false) {
    return poll_until([&] {
        seen = window_geometry(xw);
        return seen.viewable && seen.width == width && seen.height == height &&
               (!at_origin || (seen.x == 0 && seen.y == 0));
    });
}

// The user asks for a new client size, as a drag of the border does: the window manager gets
// the request and answers within the size hints.
void user_resize(Window xw, int width, int height) {
    run({"xdotool", "windowsize", std::to_string(xw), std::to_string(width),
         std::to_string(height)});
}

} // namespace

TEST(X11DesktopWindow, DensityComesFromXftDpiRoundedToWholeSteps) {
    if (!run_in_child()) return;
    EXPECT_EQ(scale_of_new_window("Xft.antialias:\t1\nXft.dpi:\t192\n"), 2);
    EXPECT_EQ(scale_of_new_window("Xft.dpi: 144\n"), 2);
    EXPECT_EQ(scale_of_new_window("Xft.dpi:\t120\n"), 1);
    EXPECT_EQ(scale_of_new_window("Xcursor.size:\t48\n"), 1);
    setenv("ZELVAN_SCALE", "4", 1); // the environment wins over the desktop
    EXPECT_EQ(scale_of_new_window("Xft.dpi:\t96\n"), 4);
}

// One session under the window manager, its windows apart from each other and all kept until
// the end: the test's own search of the window tree would race frames being torn down.
TEST(X11DesktopWindow, SizingFullscreenAndScalingUnderAWindowManager) {
    options how;
    how.window_manager = true;
    if (!run_in_child(how)) return;
    ASSERT_TRUE(have_program("xdotool")) << "xdotool is needed on the X server";
    geometry g{};
    int fixed = ZVCreateWindow(50, 60, 200, 150, "fixed");
    Window fixed_x = find_window("fixed");
    ASSERT_TRUE(shown_as(fixed_x, 200, 150, g));
    user_resize(fixed_x, 320, 240);
    int sized = ZVCreateWindow(400, 60, 200, 150, "sized");
    Window sized_x = find_window("sized");
    ASSERT_TRUE(shown_as(sized_x, 200, 150, g));
    ASSERT_EQ(ZVSetResizable(sized, 1), ZV_OK);
    user_resize(sized_x, 320, 240);
    // Reported once the new buffers are in place.
    EXPECT_TRUE(poll_until([&] { return ZVWasResized(sized) == 1; }));
    EXPECT_EQ(ZVGetWidth(sized), 320);
    EXPECT_EQ(ZVGetHeight(sized), 240);
    EXPECT_EQ(ZVWasResized(sized), 0);
    // By now the server has answered the earlier request for the fixed window too.
    EXPECT_TRUE(shown_as(fixed_x, 200, 150, g)) << g.width << "x" << g.height;
    EXPECT_EQ(ZVGetWidth(fixed), 200);
    EXPECT_EQ(ZVWasResized(fixed), 0);

    int full = ZVCreateWindow(100, 400, 240, 160, "full");
    Window full_x = find_window("full");
    ASSERT_TRUE(shown_as(full_x, 240, 160, g));
    int screen_width = ZVGetScreenWidth(), screen_height = ZVGetScreenHeight();
    EXPECT_EQ(screen_width, 1280); // Xvfb's screen
    ASSERT_EQ(ZVSetFullscreen(full, 1), ZV_OK);
    EXPECT_EQ(ZVGetWidth(full), screen_width);
    EXPECT_EQ(ZVWasResized(full), 1);
    EXPECT_TRUE(shown_as(full_x, screen_width, screen_height, g, true))
        << "the window does not cover the screen";
    ASSERT_EQ(ZVSetFullscreen(full, 0), ZV_OK);
    EXPECT_EQ(ZVGetWidth(full), 240);
    EXPECT_EQ(ZVGetHeight(full), 160);
    // The size is ours to give back; where the frame lands is also the window manager's
    // restore, which may race our move under load.
    EXPECT_TRUE(shown_as(full_x, 240, 160, g))
        << "the window did not get its size back: " << g.x << "," << g.y << " " << g.width << "x"
        << g.height << " library " << ZVGetWindowX(full) << "," << ZVGetWindowY(full);

    setenv("ZELVAN_SCALE", "2", 1);
    int scaled = ZVCreateWindow(800, 450, 100, 80, "scaled");
    unsetenv("ZELVAN_SCALE");
    ASSERT_TRUE(shown_as(find_window("scaled"), 200, 160, g)) << "not twice the drawing size";
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 100; ++x)
            ZVSetPixelFast(scaled, x, y, ZVGetRGBColour(x * 2, y * 3, x & 1));
    ZVRedraw(scaled);
    std::vector<unsigned long> expected;
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 200; ++x)
            expected.push_back(x / 2 * 2 << 16 | y / 2 * 3 << 8 | (x / 2 & 1));
    EXPECT_TRUE(poll_until([&] { return capture(g.x, g.y, 200, 160) == expected; }, 10.0));
    run({"xdotool", "mousemove", std::to_string(g.x + 75), std::to_string(g.y + 43), "click", "1"});
    ASSERT_TRUE(poll_until([&] { return ZVCaptureLastLeftMouseClick(scaled) == ZV_OK; }));
    EXPECT_EQ(ZVGetLastLeftMouseClickX(scaled), 37);
    EXPECT_EQ(ZVGetLastLeftMouseClickY(scaled), 21);
    for (int w : {fixed, sized, full, scaled}) ZVDestroyWindow(w);
}

// Fullscreen at a scale Xvfb's 1280 x 1024 screen holds no whole number of (3): the window
// covers the whole screen, its drawing is the 426 x 341 pixels that fit, the rest of the
// screen shows the background colour, and a click on the screen's last pixel lands in the
// window, on the drawing's last pixel.
TEST(X11DesktopWindow, FullscreenAtAScaleThatDoesNotDivideTheScreenCoversItAll) {
    options how;
    how.window_manager = true;
    if (!run_in_child(how)) return;
    ASSERT_TRUE(have_program("xdotool")) << "xdotool is needed on the X server";
    setenv("ZELVAN_SCALE", "3", 1);
    int w = ZVCreateWindow(100, 100, 50, 40, "full at 3");
    unsetenv("ZELVAN_SCALE");
    Window xw = find_window("full at 3");
    geometry g{};
    ASSERT_TRUE(shown_as(xw, 150, 120, g));
    ZVSetBackground(w, ZVGetRGBColour(0, 255, 0));
    ASSERT_EQ(ZVSetFullscreen(w, 1), ZV_OK);
    EXPECT_EQ(ZVGetWidth(w), 426);
    EXPECT_EQ(ZVGetHeight(w), 341);
    EXPECT_TRUE(shown_as(xw, 1280, 1024, g, true))
        << "the window is " << g.width << " x " << g.height << " at " << g.x << "," << g.y;
    std::vector<ZVCOLOUR> red(426 * 341, ZVGetRGBColour(255, 0, 0));
    ASSERT_EQ(ZVPutPixels(w, 0, 0, 426, 341, red.data(), 426), ZV_OK);
    ZVRedraw(w);
    // The drawing's last pixel, then the strips of background right of and below it.
    const std::vector<unsigned long> expected = {0xFF0000, 0x00FF00, 0x00FF00, 0x00FF00};
    EXPECT_TRUE(poll_until(
        [&] {
            return std::vector<unsigned long>{capture(1277, 1022, 1, 1)[0],
                                              capture(1278, 0, 1, 1)[0], capture(0, 1023, 1, 1)[0],
                                              capture(1279, 1023, 1, 1)[0]} == expected;
        },
        10.0));
    client_area area = library_client_area(w);
    EXPECT_EQ(area.width, 1280);
    EXPECT_EQ(area.height, 1024);
    run({"xdotool", "mousemove", "1279", "1023", "click", "1"});
    ASSERT_TRUE(poll_until([&] { return ZVCaptureLastLeftMouseClick(w) == ZV_OK; }))
        << "the click did not reach the window";
    EXPECT_EQ(ZVGetLastLeftMouseClickX(w), 425);
    EXPECT_EQ(ZVGetLastLeftMouseClickY(w), 340);
    EXPECT_EQ(ZVGetMouseX(w), 425);
    EXPECT_EQ(ZVGetMouseY(w), 340);
    ZVDestroyWindow(w);
}
