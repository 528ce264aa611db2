// Sizing and fullscreen under a real window manager (openbox), with the user's requests made
// by xdotool: a fixed window keeps its size, a resizable one takes the user's, and fullscreen
// covers the screen and gives the frame back.
#include "x11_session.h"
#include "zelvan.h"

using namespace x11_session;

namespace {

bool have_xdotool() {
    int status = -1;
    run({"xdotool", "version"}, &status);
    return status == 0;
}

// The user asks for a new client size, as a drag of the border does: the window manager gets
// the request and answers within the size hints.
void user_resize(Window xw, int width, int height) {
    run({"xdotool", "windowsize", std::to_string(xw), std::to_string(width),
         std::to_string(height)});
}

bool client_size_is(Window xw, int width, int height) {
    geometry g = window_geometry(xw);
    return g.viewable && g.width == width && g.height == height;
}

} // namespace

TEST(X11DesktopWindow, FixedKeepsItsSizeAndResizableTakesTheUsers) {
    options how;
    how.window_manager = true;
    if (!run_in_child(how)) return;
    if (!have_xdotool()) GTEST_SKIP() << "xdotool is not installed";
    int fixed = ZVCreateWindow(50, 60, 200, 150, "fixed");
    Window fixed_x = find_window("fixed");
    ASSERT_TRUE(poll_until([&] { return client_size_is(fixed_x, 200, 150); }));
    user_resize(fixed_x, 320, 240);

    int sized = ZVCreateWindow(400, 60, 200, 150, "sized");
    Window sized_x = find_window("sized");
    ASSERT_TRUE(poll_until([&] { return client_size_is(sized_x, 200, 150); }));
    ASSERT_EQ(ZVSetResizable(sized, 1), ZV_OK);
    user_resize(sized_x, 320, 240);
    // Reported once the new buffers are in place.
    EXPECT_TRUE(poll_until([&] { return ZVWasResized(sized) == 1; }));
    EXPECT_EQ(ZVGetWidth(sized), 320);
    EXPECT_EQ(ZVGetHeight(sized), 240);
    EXPECT_EQ(ZVWasResized(sized), 0);

    // By now the server has answered the earlier request for the fixed window too.
    EXPECT_TRUE(client_size_is(fixed_x, 200, 150));
    EXPECT_EQ(ZVGetWidth(fixed), 200);
    EXPECT_EQ(ZVWasResized(fixed), 0);
    ZVDestroyWindow(sized);
    ZVDestroyWindow(fixed);
}

TEST(X11DesktopWindow, FullscreenCoversTheScreenAndGivesTheSizeBack) {
    options how;
    how.window_manager = true;
    if (!run_in_child(how)) return;
    int w = ZVCreateWindow(100, 120, 240, 160, "full");
    Window xw = find_window("full");
    ASSERT_TRUE(poll_until([&] { return client_size_is(xw, 240, 160); }));
    int screen_width = ZVGetScreenWidth(), screen_height = ZVGetScreenHeight();
    EXPECT_EQ(screen_width, 1280); // Xvfb's screen
    ASSERT_EQ(ZVSetFullscreen(w, 1), ZV_OK);
    EXPECT_EQ(ZVGetWidth(w), screen_width);
    EXPECT_EQ(ZVWasResized(w), 1);
    EXPECT_TRUE(poll_until([&] {
        geometry g = window_geometry(xw);
        return g.viewable && g.x == 0 && g.y == 0 && g.width == screen_width &&
               g.height == screen_height;
    })) << "the window does not cover the screen";
    ASSERT_EQ(ZVSetFullscreen(w, 0), ZV_OK);
    EXPECT_EQ(ZVGetWidth(w), 240);
    EXPECT_EQ(ZVGetHeight(w), 160);
    // The size is ours to give back; where the frame lands is also the window manager's
    // restore, which may race our move under load.
    EXPECT_TRUE(poll_until([&] {
        geometry g = window_geometry(xw);
        return g.viewable && g.width == 240 && g.height == 160;
    })) << "the window did not get its size back: "
        << window_geometry(xw).x << "," << window_geometry(xw).y << " " << window_geometry(xw).width
        << "x" << window_geometry(xw).height << " library " << ZVGetWindowX(w) << ","
        << ZVGetWindowY(w);
    ZVDestroyWindow(w);
}
