// Input under sway at output scales 1 and 2: typed text and special keys (wtype), keys held,
// the pointer's position in drawing pixels, buttons, the wheel and a drag that leaves the
// window (swaymsg's cursor on the seat's virtual pointer).
#include "virtual_pointer.h"
#include "wayland_session.h"
#include "zelvan.h"

#include <stdlib.h>

#include <string>
#include <thread>

using namespace wayland_session;

namespace {

// A window that sway shows and gives the keyboard focus.
int open_focused_window(const char *title, area *where) {
    int w = ZVCreateWindow(40, 40, 200, 120, title);
    EXPECT_GT(w, 0);
    EXPECT_TRUE(sway_window_settled(title, where, 200, 120));
    EXPECT_TRUE(sway({std::string("[title=\"") + title + "\"]", "focus"}));
    return w;
}

} // namespace

TEST(WaylandInput, TypedTextAndSpecialKeysArrive) {
    for (int s : {1, 2}) {
        if (!run_in_child(s)) continue;
        area a;
        int w = open_focused_window("typing", &a);
        wtype({"aB1"});
        wtype({"-k", "Return"});
        std::string typed;
        EXPECT_TRUE(poll_until([&] {
            while (ZV_kbhit(w) == 1) typed += ZVReadChar(w);
            return typed.size() >= 4;
        })) << typed;
        EXPECT_EQ(typed, "aB1\r");
        // Any language, as on X11: code points from ZVReadUnicode; ZVReadChar gives
        // Windows-1252, '?' for a character it lacks.
        wtype({"é☃€x"});
        std::vector<int> code_points;
        EXPECT_TRUE(poll_until([&] {
            for (int c; (c = ZVReadUnicode(w)) > 0;) code_points.push_back(c);
            return code_points.size() >= 4;
        }));
        EXPECT_EQ(code_points, (std::vector<int>{0xE9, 0x2603, 0x20AC, 'x'}));
        wtype({"é☃€"});
        std::string bytes;
        EXPECT_TRUE(poll_until([&] {
            while (ZV_kbhit(w) == 1) bytes += ZVReadChar(w);
            return bytes.size() >= 3;
        }));
        EXPECT_EQ(bytes, "\xE9?\x80");
        ZVClearKeyBuffer(w);
        // Keys by their codes, with the modifiers held, and their names.
        wtype({"-k", "Left", "-k", "F5", "-P", "Control_L", "-k", "Escape", "-p", "Control_L", "-k",
               "minus", "-k", "Next", "-k", "KP_Delete"});
        std::vector<int> keys;
        EXPECT_TRUE(poll_until([&] {
            for (int k; (k = ZVReadKey(w)) > 0;) keys.push_back(k);
            return keys.size() >= 6;
        }));
        ASSERT_EQ(keys.size(), 6u);
        EXPECT_EQ(keys[0], ZV_KEY_LEFT);
        EXPECT_EQ(keys[1], ZV_KEY_F5);
        EXPECT_EQ(ZV_KEY_CODE(keys[2]), ZV_KEY_ESCAPE);
        EXPECT_EQ(ZV_KEY_MODS(keys[2]), ZV_MOD_CTRL);
        const char *names[] = {"Left", "F5", "Escape", "-", "Page Down", "Delete"};
        for (size_t i = 0; i < keys.size(); ++i) EXPECT_STREQ(ZVGetKeyName(keys[i]), names[i]);
        return;
    }
}

TEST(WaylandInput, AHeldKeyIsDownUntilReleasedAndRepeats) {
    for (int s : {1, 2}) {
        if (!run_in_child(s)) continue;
        area a;
        int w = open_focused_window("holding", &a);
        // Held for two seconds: past the compositor's repeat delay (600 ms here).
        std::thread hold([] { wtype({"-P", "x", "-s", "2000", "-p", "x"}); });
        EXPECT_TRUE(poll_until([&] { return ZVIsKeyDown(w, 'X') == 1; }));
        std::string typed;
        EXPECT_TRUE(poll_until([&] {
            while (ZV_kbhit(w) == 1) typed += ZVReadChar(w);
            return typed.size() >= 3;
        })) << "the held key did not repeat: "
            << typed;
        EXPECT_EQ(typed.find_first_not_of('x'), std::string::npos) << typed;
        hold.join();
        EXPECT_TRUE(poll_until([&] { return ZVIsKeyDown(w, 'X') == 0; }));
        return;
    }
}

TEST(WaylandInput, ThePointerButtonsWheelAndADragOutside) {
    for (int s : {1, 2}) {
        if (!run_in_child(s)) continue;
        area a;
        int w = open_focused_window("pointing", &a);
        // Logical units are drawing pixels at any scale.
        cursor({"set", std::to_string(a.x + 30), std::to_string(a.y + 40)});
        EXPECT_TRUE(poll_until([&] { return ZVGetMouseX(w) == 30 && ZVGetMouseY(w) == 40; }))
            << ZVGetMouseX(w) << ", " << ZVGetMouseY(w);
        cursor({"press", "button1"});
        EXPECT_TRUE(poll_until([&] { return ZVGetMouseButtons(w) == ZV_MOUSE_LEFT; }));
        // Off the window, the button still held: the drag is still the window's.
        virtual_pointer mouse(getenv("WAYLAND_DISPLAY"));
        ASSERT_TRUE(mouse.move(190, 100));
        EXPECT_TRUE(poll_until([&] { return ZVGetMouseX(w) == 220 && ZVGetMouseY(w) == 140; }))
            << ZVGetMouseX(w) << ", " << ZVGetMouseY(w);
        cursor({"release", "button1"});
        EXPECT_TRUE(poll_until([&] { return ZVGetMouseButtons(w) == 0; }));
        cursor({"set", std::to_string(a.x + 50), std::to_string(a.y + 60)});
        cursor({"press", "button3"});
        EXPECT_TRUE(poll_until([&] { return ZVGetMouseButtons(w) == ZV_MOUSE_RIGHT; }));
        cursor({"release", "button3"});
        EXPECT_TRUE(poll_until([&] { return ZVGetMouseButtons(w) == 0; }));
        // Two notches away from the user, one towards.
        ZVGetMouseWheel(w);
        cursor({"press", "button4"});
        cursor({"press", "button4"});
        cursor({"press", "button5"});
        int turned = 0;
        EXPECT_TRUE(poll_until([&] {
            turned += ZVGetMouseWheel(w);
            return turned == 1;
        })) << turned;
        return;
    }
}

// The pointer's image over a window: the theme's arrow, none while the program hides it, the
// arrow again when it shows it. sway draws the pointer into its output, so shots show it.
TEST(WaylandInput, ThePointerHidesAndShowsOverTheWindow) {
    for (int s : {1, 2}) {
        if (!run_in_child(s)) continue;
        area a;
        int w = open_focused_window("cursor", &a);
        const ZVCOLOUR green = ZVGetRGBColour(0, 160, 0);
        ZVSetFillColour(w, green);
        ZVSetForeground(w, green);
        ZVFillRectangle(w, 0, 0, 200, 120);
        ZVRedraw(w);
        cursor({"set", std::to_string(a.x + 60), std::to_string(a.y + 50)});
        // The pixels around the pointer's tip, at 1 screen pixel each: all green without it.
        auto pointer_drawn = [&] {
            picture shot = capture(a.x + 55, a.y + 45, 40, 40, 1);
            if (shot.width == 0) return false;
            for (uint32_t pixel : shot.pixels) {
                if (pixel != 0x00A000) return true;
            }
            return false;
        };
        EXPECT_TRUE(poll_until(pointer_drawn)) << "the arrow shows over the window";
        EXPECT_EQ(ZVShowCursor(w, 0), ZV_OK);
        EXPECT_TRUE(poll_until([&] { return !pointer_drawn(); })) << "hidden";
        cursor({"set", std::to_string(a.x + 300), std::to_string(a.y + 50)});
        cursor({"set", std::to_string(a.x + 70), std::to_string(a.y + 50)});
        EXPECT_TRUE(poll_until([&] { return ZVGetMouseX(w) == 70; }));
        EXPECT_FALSE(pointer_drawn()) << "still hidden when the pointer comes back";
        EXPECT_EQ(ZVShowCursor(w, 1), ZV_OK);
        EXPECT_TRUE(poll_until(pointer_drawn)) << "shown again";
        return;
    }
}
