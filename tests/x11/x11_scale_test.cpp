// Whole-number scaling on a real X server: the density from Xft.dpi, a window enlarged in
// exact blocks under a window manager, and a click found on the right drawing pixel.
#include "x11_session.h"
#include "zelvan.h"

#include <X11/Xatom.h>

#include <stdlib.h>
#include <string.h>

#include <string>

using namespace x11_session;

namespace {

// Sets the root window's resources as `xrdb` would.
void set_resources(const char *text) {
    Display *d = display();
    XChangeProperty(d, DefaultRootWindow(d), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(text), static_cast<int>(strlen(text)));
    XSync(d, False);
}

int scale_of_new_window(const char *resources) {
    set_resources(resources);
    int w = ZVCreateWindow(40, 40, 30, 20, "density");
    int scale = ZVGetScale(w);
    ZVDestroyWindow(w);
    return scale;
}

} // namespace

TEST(X11Scale, DensityComesFromXftDpiRoundedToWholeSteps) {
    if (!run_in_child()) return;
    EXPECT_EQ(scale_of_new_window("Xft.antialias:\t1\nXft.dpi:\t192\n"), 2);
    EXPECT_EQ(scale_of_new_window("Xft.dpi: 144\n"), 2);
    EXPECT_EQ(scale_of_new_window("Xft.dpi:\t120\n"), 1);
    EXPECT_EQ(scale_of_new_window("Xcursor.size:\t48\n"), 1);
    setenv("ZELVAN_SCALE", "4", 1); // the environment wins over the desktop
    EXPECT_EQ(scale_of_new_window("Xft.dpi:\t96\n"), 4);
}

TEST(X11Scale, TwiceTheSizeInExactBlocksAndClicksLandOnDrawingPixels) {
    x11_session::options how;
    how.window_manager = true;
    if (!run_in_child(how)) return;
    setenv("ZELVAN_SCALE", "2", 1);
    int w = ZVCreateWindow(60, 50, 100, 80, "scaled");
    ASSERT_GT(w, 0);
    Window xw = find_window("scaled");
    ASSERT_TRUE(poll_until([&] { return window_geometry(xw).viewable; }));
    geometry g = window_geometry(xw);
    EXPECT_EQ(g.width, 200);
    EXPECT_EQ(g.height, 160);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 100; ++x) ZVSetPixelFast(w, x, y, ZVGetRGBColour(x * 2, y * 3, x & 1));
    ZVRedraw(w);
    std::vector<unsigned long> expected;
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 200; ++x)
            expected.push_back(x / 2 * 2 << 16 | y / 2 * 3 << 8 | (x / 2 & 1));
    EXPECT_TRUE(poll_until([&] { return capture(g.x, g.y, 200, 160) == expected; }, 10.0));

    int status = -1;
    run({"xdotool", "mousemove", std::to_string(g.x + 75), std::to_string(g.y + 43), "click", "1"},
        &status);
    ASSERT_EQ(status, 0) << "xdotool is needed on the X server";
    ASSERT_TRUE(poll_until([&] { return ZVCaptureLastLeftMouseClick(w) == ZV_OK; }));
    EXPECT_EQ(ZVGetLastLeftMouseClickX(w), 37);
    EXPECT_EQ(ZVGetLastLeftMouseClickY(w), 21);
    ZVDestroyWindow(w);
}
