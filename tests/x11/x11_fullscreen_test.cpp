// Fullscreen under a window manager (openbox), many times over in one session: asked for at
// once after the window opens, and left again at both scales, for windows as narrow as 40
// drawing pixels, which must come back at the size they had.
#include "x11_session.h"
#include "zelvan.h"

#include <stdlib.h>

#include <string>

using namespace x11_session;

namespace {

bool covers_screen(Window xw, int width, int height) {
    geometry g = window_geometry(xw);
    return g.viewable && g.x == 0 && g.y == 0 && g.width == width && g.height == height;
}

bool shown_at_size(Window xw, int width, int height, geometry *seen) {
    return poll_until([&] {
        *seen = window_geometry(xw);
        return seen->viewable && seen->width == width && seen->height == height;
    });
}

} // namespace

// The request must not be lost while the window manager is still taking the new window over.
TEST(X11Fullscreen, AskedForRightAfterCreationItTakesEffectEveryTime) {
    options how;
    how.window_manager = true;
    if (!run_in_child(how)) return;
    int screen_width = ZVGetScreenWidth(), screen_height = ZVGetScreenHeight();
    int covered = 0;
    for (int i = 0; i < 50; ++i) {
        std::string title = "quick " + std::to_string(i);
        int w = ZVCreateWindow(100 + i, 100, 200, 150, title.c_str());
        ASSERT_GT(w, 0);
        ASSERT_EQ(ZVSetFullscreen(w, 1), ZV_OK);
        Window xw = None;
        ASSERT_TRUE(poll_until([&] { return (xw = find_window(title.c_str())) != None; }));
        if (poll_until([&] { return covers_screen(xw, screen_width, screen_height); }, 5.0))
            ++covered;
        else
            ADD_FAILURE() << "run " << i << " did not cover the screen";
        ZVDestroyWindow(w);
    }
    EXPECT_EQ(covered, 50);
}

// A resizable window comes back from fullscreen at the size it had, in drawing pixels and on
// the screen, whatever its scale, and however narrow it is.
TEST(X11Fullscreen, LeavingGivesAResizableWindowItsSizeBackAtEveryScale) {
    options how;
    how.window_manager = true;
    if (!run_in_child(how)) return;
    for (const char *scale : {"1", "2"}) {
        for (int width : {40, 70, 109, 300}) {
            for (int round = 0; round < 3; ++round) {
                std::string title = std::string("back ") + scale + " " + std::to_string(width) +
                                    " " + std::to_string(round);
                setenv("ZELVAN_SCALE", scale, 1);
                int w = ZVCreateWindow(200, 150, width, 90, title.c_str());
                unsetenv("ZELVAN_SCALE");
                ASSERT_GT(w, 0);
                int s = ZVGetScale(w);
                ASSERT_EQ(s, atoi(scale));
                ASSERT_EQ(ZVSetResizable(w, 1), ZV_OK);
                Window xw = find_window(title.c_str());
                geometry g{};
                ASSERT_TRUE(shown_at_size(xw, width * s, 90 * s, &g)) << title;
                ASSERT_EQ(ZVSetFullscreen(w, 1), ZV_OK);
                // In the screen's own pixels, which no scale changes.
                Display *d = display();
                int screen_width = DisplayWidth(d, DefaultScreen(d));
                int screen_height = DisplayHeight(d, DefaultScreen(d));
                EXPECT_TRUE(poll_until([&] {
                    return covers_screen(xw, screen_width, screen_height);
                })) << title;
                ASSERT_EQ(ZVSetFullscreen(w, 0), ZV_OK);
                EXPECT_TRUE(shown_at_size(xw, width * s, 90 * s, &g))
                    << title << ": came back " << g.width << "x" << g.height;
                // Any size the window manager passed through on the way has been undone too.
                EXPECT_TRUE(poll_until([&] { return ZVGetWidth(w) == width; }))
                    << title << ": drawing width " << ZVGetWidth(w);
                EXPECT_EQ(ZVGetHeight(w), 90) << title;
                ZVDestroyWindow(w);
            }
        }
    }
}
