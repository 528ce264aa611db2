// Windows under sway at output scales 1 and 2: their pictures as crisp blocks of the scale,
// repainted when drawn on, UTF-8 titles, the close box, sizing by the user and fullscreen,
// a move to an output of another scale, and positions that are remembered, not applied.
#include "wayland_session.h"
#include "zelvan.h"

#include <string>

using namespace wayland_session;

namespace {

const ZVCOLOUR k_red = 0x0000FF, k_blue = 0xFF0000, k_green = 0x00FF00;

uint32_t screen_rgb(ZVCOLOUR c) {
    return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
}

// A window with its left half red and right half blue, shown and found on the screen.
int open_window(const char *title, int width, int height, area *where) {
    int w = ZVCreateWindow(40, 40, width, height, title);
    EXPECT_GT(w, 0);
    ZVSetFillColour(w, k_red);
    ZVSetForeground(w, k_red);
    ZVFillRectangle(w, 0, 0, width / 2, height);
    ZVSetFillColour(w, k_blue);
    ZVSetForeground(w, k_blue);
    ZVFillRectangle(w, width / 2, 0, width, height);
    ZVRedraw(w);
    EXPECT_TRUE(sway_window_settled(title, where)) << "sway shows no window titled " << title;
    return w;
}

// True when the shot of the window shows each drawing pixel as a block of scale x scale
// screen pixels, the left half red and the right half blue.
bool shows_halves(const area &a, int width, int height, ZVCOLOUR left, ZVCOLOUR right) {
    picture shot = capture(a.x, a.y, a.width, a.height);
    int s = scale();
    if (shot.width != width * s || shot.height != height * s) return false;
    for (int y = 0; y < shot.height; y += 3) {
        for (int x = 0; x < shot.width; ++x) {
            uint32_t want = screen_rgb(x / s < width / 2 ? left : right);
            if (shot.at(x, y) != want) return false;
        }
    }
    return true;
}

} // namespace

TEST(WaylandWindows, PicturesAreCrispAtTheOutputScaleAndFollowDrawing) {
    for (int s : {1, 2}) {
        if (!run_in_child(s)) continue;
        const char *title = "Zelvan – ünïcödé ☃";
        area a;
        int w = open_window(title, 120, 80, &a);
        EXPECT_EQ(ZVGetScale(w), s);
        // The logical size is the drawing size: one drawing pixel is one logical unit.
        EXPECT_EQ(a.width, 120);
        EXPECT_EQ(a.height, 80);
        EXPECT_TRUE(poll_until([&] { return shows_halves(a, 120, 80, k_red, k_blue); }));
        // Drawing reaches the screen by the refresh timer's repaint.
        ZVSetFillColour(w, k_green);
        ZVSetForeground(w, k_green);
        ZVFillRectangle(w, 0, 0, 60, 80);
        EXPECT_TRUE(poll_until([&] { return shows_halves(a, 120, 80, k_green, k_blue); }));
        EXPECT_TRUE(sway({std::string("[title=\"") + title + "\"]", "focus"}))
            << "sway does not know the UTF-8 title";
        return;
    }
}

TEST(WaylandWindows, TheCloseBoxAsksTheProgram) {
    for (int s : {1, 2}) {
        if (!run_in_child(s)) continue;
        area a;
        int w = open_window("closing", 100, 60, &a);
        EXPECT_EQ(ZVCloseRequested(w), 0);
        ASSERT_TRUE(sway({"[title=\"closing\"]", "kill"}));
        EXPECT_TRUE(poll_until([&] { return ZVCloseRequested(w) == 1; }));
        EXPECT_EQ(ZVIsWindow(w), ZV_OK) << "the program decides whether to close";
        return;
    }
}

TEST(WaylandWindows, TheUserSizesOnlyResizableWindows) {
    for (int s : {1, 2}) {
        if (!run_in_child(s)) continue;
        area a;
        int w = open_window("sizing", 100, 60, &a);
        // Fixed: sway's resize leaves it as it is.
        ASSERT_TRUE(sway({"[title=\"sizing\"]", "resize", "set", "200", "150"}));
        EXPECT_FALSE(poll_until([&] { return ZVWasResized(w) == 1; }, 0.5));
        EXPECT_EQ(ZVGetWidth(w), 100);
        ASSERT_EQ(ZVSetResizable(w, 1), ZV_OK);
        // sway sizes the container: the picture gets what its frame leaves.
        ASSERT_TRUE(sway({"[title=\"sizing\"]", "resize", "set", "250", "180"}));
        area now;
        EXPECT_TRUE(poll_until([&] {
            now = find_window("sizing");
            return now.width > 150 && now.height > 100 && ZVGetWidth(w) == now.width &&
                   ZVGetHeight(w) == now.height;
        })) << ZVGetWidth(w)
            << " x " << ZVGetHeight(w) << " shown " << now.width << " x " << now.height;
        // The flag may follow the new size by a moment; it is raised once.
        EXPECT_TRUE(poll_until([&] { return ZVWasResized(w) == 1; }));
        return;
    }
}

TEST(WaylandWindows, FullscreenCoversTheOutputAndComesBack) {
    for (int s : {1, 2}) {
        if (!run_in_child(s)) continue;
        area a;
        int w = open_window("covering", 100, 60, &a);
        ASSERT_EQ(ZVSetFullscreen(w, 1), ZV_OK);
        // The output is 1280 x 720 pixels: 1280 / s x 720 / s drawing pixels at scale s.
        EXPECT_TRUE(poll_until([&] {
            return ZVGetWidth(w) == 1280 / s && ZVGetHeight(w) == 720 / s;
        })) << ZVGetWidth(w)
            << " x " << ZVGetHeight(w);
        EXPECT_TRUE(poll_until([&] {
            area now = find_window("covering");
            return now.x == 0 && now.y == 0 && now.width == 1280 / s && now.height == 720 / s;
        }));
        ASSERT_EQ(ZVSetFullscreen(w, 0), ZV_OK);
        EXPECT_TRUE(poll_until([&] { return ZVGetWidth(w) == 100 && ZVGetHeight(w) == 60; }))
            << ZVGetWidth(w) << " x " << ZVGetHeight(w);
        EXPECT_TRUE(poll_until([&] {
            area now = find_window("covering");
            return now.width == 100 && now.height == 60;
        }));
        return;
    }
}

// The window goes to a second output of the other scale: it takes that scale and keeps its
// drawing size, its pixels as blocks of the new scale.
TEST(WaylandWindows, AMoveToAnOutputOfAnotherScaleTakesItsScale) {
    for (int s : {1, 2}) {
        options how;
        how.own_compositor = true; // it gains an output
        if (!run_in_child(s, how)) continue;
        int other = 3 - s;
        area a;
        int w = open_window("travelling", 80, 60, &a);
        ASSERT_TRUE(poll_until([&] { return shows_halves(a, 80, 60, k_red, k_blue); }));
        ASSERT_TRUE(sway({"create_output"}));
        ASSERT_TRUE(sway({"output", "HEADLESS-2", "resolution", "1280x720", "position", "2000", "0",
                          "scale", std::to_string(other)}));
        ASSERT_TRUE(sway({"[title=\"travelling\"]", "move", "to", "output", "HEADLESS-2"}));
        EXPECT_TRUE(poll_until([&] { return ZVGetScale(w) == other; }));
        EXPECT_EQ(ZVGetWidth(w), 80);
        EXPECT_EQ(ZVGetHeight(w), 60);
        area moved;
        EXPECT_TRUE(poll_until([&] {
            moved = find_window("travelling");
            return moved.found && moved.x >= 2000 && moved.width == 80;
        })) << moved.x
            << "," << moved.y << " " << moved.width << " x " << moved.height;
        // Shot at scale 2 whichever output it is on: the picture is there, whole.
        picture shot;
        EXPECT_TRUE(poll_until([&] {
            shot = capture(moved.x, moved.y, 80, 60, 2);
            return shot.width == 160 && shot.at(20, 40) == screen_rgb(k_red) &&
                   shot.at(140, 40) == screen_rgb(k_blue) &&
                   shot.at(78, 100) == screen_rgb(k_red) && shot.at(82, 100) == screen_rgb(k_blue);
        })) << shot.width
            << " x " << shot.height;
        return;
    }
}

// What the program asks of its window: a new title and a new size reach the compositor, the
// picture kept in its corner; a position is remembered and reported, not applied, as Wayland
// lets no client place itself.
TEST(WaylandWindows, TheProgramRetitlesAndResizesButDoesNotPlace) {
    for (int s : {1, 2}) {
        if (!run_in_child(s)) continue;
        area a;
        int w = open_window("placed", 100, 60, &a);
        ASSERT_EQ(ZVMove(w, 300, 200), ZV_OK);
        EXPECT_EQ(ZVGetWindowX(w), 300);
        EXPECT_EQ(ZVGetWindowY(w), 200);
        area after = find_window("placed");
        EXPECT_EQ(after.x, a.x);
        EXPECT_EQ(after.y, a.y);
        const char *title = "renamed – ü";
        ASSERT_EQ(ZVSetTitle(w, title), ZV_OK);
        EXPECT_TRUE(poll_until([&] { return find_window(title).found; }));
        ASSERT_EQ(ZVResize(w, 150, 90), ZV_OK);
        area sized;
        wayland_session::picture shot;
        EXPECT_TRUE(poll_until([&] {
            sized = find_window(title);
            shot = capture(sized.x, sized.y, sized.width, sized.height);
            return sized.width == 150 && sized.height == 90 && shot.width == 150 * s &&
                   shot.at(10 * s, 50 * s) == screen_rgb(k_red) &&
                   shot.at(70 * s, 50 * s) == screen_rgb(k_blue);
        })) << sized.width
            << " x " << sized.height;
        return;
    }
}

namespace {

#ifdef ZELVAN_TEST_LIBDECOR
const bool k_frames_drawn = true;
#else
const bool k_frames_drawn = false; // built without libdecor: such windows show unframed
#endif

// Where the window's own pixels start in a shot of its whole frame (in the shot's pixels):
// the first row of the left half's colour, down the left quarter; -1 when there is none.
int content_top(const picture &shot, ZVCOLOUR left) {
    for (int y = 0; y < shot.height; ++y) {
        if (shot.at(shot.width / 4, y) == screen_rgb(left)) return y;
    }
    return -1;
}

// libdecor's close box, on the title bar's middle row: the rightmost pixel that differs from
// the bar's own colour at its left end (the box's cross, drawn across that row at its centre).
int close_box_x(const picture &shot, int row) {
    uint32_t bar = shot.at(1, row);
    for (int x = shot.width - 2; x > 0; --x) {
        if (shot.at(x, row) != bar) return x;
    }
    return -1;
}

} // namespace

// The compositor draws no frame: sway made to look like GNOME, which has no decoration
// protocol, or like one that answers that the client draws it. libdecor draws a title bar
// above the window's pixels, which keep their size, their crisp blocks and their pointer
// positions; the window sizes, goes fullscreen and hears its close box. Built without
// libdecor, the window shows unframed and still hears the pointer and the keyboard.
TEST(WaylandWindows, WhereTheCompositorDrawsNoFrameLibdecorDrawsOne) {
    for (compositor_look look :
         {compositor_look::hide_decorations, compositor_look::client_decorations}) {
        for (int s : {1, 2}) {
            options how;
            how.look = look;
            if (!run_in_child(s, how)) continue;
            const int width = 160, height = 100;
            area a;
            int w = open_window("framed", width, height, &a);
            ASSERT_TRUE(sway({"[title=\"framed\"]", "focus"}));
            // The frame's geometry holds the title bar above the window's pixels.
            picture shot;
            int top = -1;
            EXPECT_TRUE(poll_until([&] {
                a = find_window("framed");
                shot = capture(a.x, a.y, a.width, a.height);
                top = content_top(shot, k_red);
                return top >= 0 && shot.height - top == height * s;
            })) << "the window's pixels start at row "
                << top << " of " << shot.height;
            if (k_frames_drawn) {
                ASSERT_GT(top, 0) << "no frame above the window's pixels";
                EXPECT_NE(shot.at(shot.width / 4, top / 2), screen_rgb(k_red));
            } else {
                ASSERT_EQ(top, 0);
            }
            EXPECT_EQ(a.width, width);
            area inside{true, a.x, a.y + top / s, width, height};
            EXPECT_TRUE(
                poll_until([&] { return shows_halves(inside, width, height, k_red, k_blue); }));
            // The pointer and the keyboard reach the window's own pixels.
            cursor({"set", std::to_string(inside.x + 30), std::to_string(inside.y + 40)});
            EXPECT_TRUE(poll_until([&] { return ZVGetMouseX(w) == 30 && ZVGetMouseY(w) == 40; }))
                << ZVGetMouseX(w) << ", " << ZVGetMouseY(w);
            wtype({"q"});
            EXPECT_TRUE(poll_until([&] { return ZV_kbhit(w) == 1 && ZVReadChar(w) == 'q'; }));
            if (!k_frames_drawn) return;
            // Sized by the user, the frame keeps its title bar above the new size (sway's
            // border, where it draws one too, takes its share).
            ASSERT_EQ(ZVSetResizable(w, 1), ZV_OK);
            ASSERT_TRUE(sway({"[title=\"framed\"]", "resize", "set", "260", "220"}));
            area sized;
            EXPECT_TRUE(poll_until([&] {
                sized = find_window("framed");
                return sized.width > width && ZVGetWidth(w) == sized.width &&
                       ZVGetHeight(w) == sized.height - top / s;
            })) << ZVGetWidth(w)
                << " x " << ZVGetHeight(w) << " in a frame of " << sized.width << " x "
                << sized.height;
            // Sized by the program, the frame follows.
            ASSERT_EQ(ZVResize(w, 200, 120), ZV_OK);
            EXPECT_TRUE(poll_until([&] {
                sized = find_window("framed");
                return sized.width == 200 && sized.height == 120 + top / s;
            })) << sized.width
                << " x " << sized.height;
            // Fullscreen, the window's pixels cover the output, with no frame.
            ASSERT_EQ(ZVSetFullscreen(w, 1), ZV_OK);
            EXPECT_TRUE(poll_until([&] {
                return ZVGetWidth(w) == 1280 / s && ZVGetHeight(w) == 720 / s;
            })) << ZVGetWidth(w)
                << " x " << ZVGetHeight(w);
            ASSERT_EQ(ZVSetFullscreen(w, 0), ZV_OK);
            // libdecor's close box asks the program, as the compositor's does.
            area back;
            picture bar;
            int box = -1;
            EXPECT_TRUE(poll_until([&] {
                back = find_window("framed");
                bar = capture(back.x, back.y, back.width, back.height);
                box = close_box_x(bar, top / 2);
                return back.width == sized.width && content_top(bar, k_red) == top && box > 0;
            }));
            cursor({"set", std::to_string(back.x + box / s), std::to_string(back.y + top / s / 2)});
            cursor({"press", "button1"});
            cursor({"release", "button1"});
            EXPECT_TRUE(poll_until([&] { return ZVCloseRequested(w) == 1; }))
                << "no close request from the box at " << box / s << " on the title bar";
            return;
        }
    }
}
