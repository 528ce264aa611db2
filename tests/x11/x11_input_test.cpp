// Input from the X server, made with xdotool: pointer moves and positions, clicks with CTRL or
// SHIFT held, and typed text, as the library's capture calls and ZVReadChar see them.
#include "x11_session.h"

#include "core/window_table.h"
#include "zelvan.h"

#include <X11/extensions/Xfixes.h>
#include <X11/keysym.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace x11_session;

namespace {

bool have_xdotool(void) {
    int status = -1;
    run({"xdotool", "version"}, &status);
    return status == 0;
}

void xdotool(const std::vector<std::string> &args) {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    int status = -1;
    run(argv, &status);
    ASSERT_EQ(status, 0) << "xdotool " << args[0] << " failed";
}

// Moves the pointer to client coordinates of the window.
void point_at(int handle, int x, int y) {
    client_area a = library_client_area(handle);
    xdotool({"mousemove", std::to_string(a.x + x), std::to_string(a.y + y)});
}

bool pointer_seen_at(int handle, int x, int y) {
    return ZVCaptureMouseCoords(handle) == ZV_OK && ZVGetMouseCoordsX(handle) == x &&
           ZVGetMouseCoordsY(handle) == y;
}

// Whether the cursor the server shows now has no visible pixel (XFixes reads it).
bool cursor_invisible() {
    XFixesCursorImage *image = XFixesGetCursorImage(display());
    if (image == nullptr) return false;
    bool invisible = true;
    for (int i = 0; i < image->width * image->height; ++i)
        if (image->pixels[i] >> 24 != 0) invisible = false;
    XFree(image);
    return invisible;
}

int open_focused_window(const char *title) {
    int w = ZVCreateWindow(100, 100, 300, 200, title);
    EXPECT_GT(w, 0);
    Window xw = find_window(title);
    EXPECT_TRUE(poll_until([&] { return window_geometry(xw).viewable; }));
    EXPECT_TRUE(poll_until([&] {
        Window focus;
        int revert;
        XGetInputFocus(display(), &focus, &revert);
        return focus == xw;
    })) << "the new window did not get the keyboard focus";
    return w;
}

} // namespace

TEST(X11Input, PointerMovesAreCaptured) {
    if (!run_in_child()) return;
    ASSERT_TRUE(have_xdotool()) << "xdotool is needed on the X server";
    int w = open_focused_window("pointer");
    point_at(w, 40, 30);
    EXPECT_TRUE(poll_until([&] { return pointer_seen_at(w, 40, 30); }));
    point_at(w, 250, 170);
    EXPECT_TRUE(poll_until([&] { return pointer_seen_at(w, 250, 170); }));
    // Off the window the capture says the pointer is outside.
    xdotool({"mousemove", "900", "900"});
    EXPECT_TRUE(poll_until([&] { return ZVCaptureMouseCoords(w) == ZV_ERR_MOUSE_OUTSIDE; }));
    ZVDestroyWindow(w);
}

TEST(X11Input, ClicksCarryTheirPositionAndModifiers) {
    if (!run_in_child()) return;
    ASSERT_TRUE(have_xdotool()) << "xdotool is needed on the X server";
    int w = open_focused_window("clicks");
    point_at(w, 20, 25);
    xdotool({"keydown", "ctrl", "click", "1", "keyup", "ctrl"});
    EXPECT_TRUE(poll_until([&] { return ZVCaptureLastLeftMouseClick(w) == ZV_OK; }));
    EXPECT_EQ(ZVGetLastLeftMouseClickX(w), 20);
    EXPECT_EQ(ZVGetLastLeftMouseClickY(w), 25);
    EXPECT_EQ(ZVGetLastLeftMouseClickCTRL(w), 1);
    EXPECT_EQ(ZVGetLastLeftMouseClickSHIFT(w), 0);

    point_at(w, 200, 150);
    xdotool({"keydown", "shift", "click", "3", "keyup", "shift"});
    EXPECT_TRUE(poll_until([&] { return ZVCaptureLastRightMouseClick(w) == ZV_OK; }));
    EXPECT_EQ(ZVGetLastRightMouseClickX(w), 200);
    EXPECT_EQ(ZVGetLastRightMouseClickY(w), 150);
    EXPECT_EQ(ZVGetLastRightMouseClickCTRL(w), 0);
    EXPECT_EQ(ZVGetLastRightMouseClickSHIFT(w), 1);

    // The wheel and the middle button are not clicks the library records.
    xdotool({"click", "4", "click", "5", "click", "2"});
    point_at(w, 60, 70); // input arrives in order: once this move is seen, the clicks were too
    EXPECT_TRUE(poll_until([&] { return pointer_seen_at(w, 60, 70); }));
    EXPECT_NE(ZVCaptureLastLeftMouseClick(w), ZV_OK);
    EXPECT_NE(ZVCaptureLastRightMouseClick(w), ZV_OK);
    ZVDestroyWindow(w);
}

TEST(X11Input, TypedTextIsReadBack) {
    if (!run_in_child()) return;
    ASSERT_TRUE(have_xdotool()) << "xdotool is needed on the X server";
    int w = open_focused_window("typing");
    const std::string text = "Hello, X11 #42!";
    xdotool({"type", "--delay", "5", text});
    xdotool({"key", "Return", "BackSpace", "Tab"});
    std::string read;
    const std::string expected = text + "\r\b\t";
    EXPECT_TRUE(poll_until([&] {
        while (ZV_kbhit(w) > 0) read += ZVReadChar(w);
        return read.size() >= expected.size();
    }));
    EXPECT_EQ(read, expected);
    ZVDestroyWindow(w);
}

// Characters no key of the US layout has (the test lends spare keys to them) come through the
// input method as their code points, under a window manager as without one.
TEST(X11Input, TypedTextInAnyLanguageArrivesAsCodePoints) {
    x11_session::options how;
    how.window_manager = true;
    if (!run_in_child(how)) return;
    ASSERT_TRUE(have_xdotool()) << "xdotool is needed on the X server";
    int w = open_focused_window("unicode");
    // Spare keys carry the characters for the whole test, so that xdotool types them as it
    // types 'a': a key it lent for one character and took back could be looked up too late.
    Display *d = display();
    int lowest = 0, highest = 0, per_key = 0;
    XDisplayKeycodes(d, &lowest, &highest);
    KeySym *map = XGetKeyboardMapping(d, lowest, highest - lowest + 1, &per_key);
    ASSERT_NE(map, nullptr);
    std::vector<KeySym> wanted{XK_Cyrillic_zhe, XK_Greek_lambda, XK_EuroSign, XK_eacute};
    for (int code = highest; code >= lowest && !wanted.empty(); --code) {
        const KeySym *row = map + size_t(code - lowest) * per_key;
        if (std::any_of(row, row + per_key, [](KeySym k) { return k != NoSymbol; })) continue;
        std::vector<KeySym> bound(per_key, NoSymbol);
        bound[0] = wanted.back();
        XChangeKeyboardMapping(d, code, per_key, bound.data(), 1);
        wanted.pop_back();
    }
    XFree(map);
    XSync(d, False);
    ASSERT_TRUE(wanted.empty()) << "no spare keys";
    xdotool({"key", "--delay", "30", "Cyrillic_zhe", "Greek_lambda", "EuroSign", "eacute", "a"});
    std::vector<int> read;
    EXPECT_TRUE(poll_until([&] {
        for (int c; (c = ZVReadUnicode(w)) > 0;) read.push_back(c);
        return read.size() >= 5;
    }));
    EXPECT_EQ(read, (std::vector<int>{0x436, 0x3BB, 0x20AC, 0xE9, 'a'}));
    ZVDestroyWindow(w);
}

// The pointer hides over the window alone, at once where it is, and shows again on request.
TEST(X11Input, TheHiddenPointerShowsNoPixelsOverItsWindow) {
    if (!run_in_child()) return;
    ASSERT_TRUE(have_xdotool()) << "xdotool is needed on the X server";
    int xfixes_event, xfixes_error;
    ASSERT_TRUE(XFixesQueryExtension(display(), &xfixes_event, &xfixes_error));
    int w = open_focused_window("cursor");
    point_at(w, 50, 40);
    EXPECT_TRUE(poll_until([&] { return pointer_seen_at(w, 50, 40); }));
    EXPECT_FALSE(cursor_invisible());
    EXPECT_EQ(ZVShowCursor(w, 0), ZV_OK);
    EXPECT_TRUE(poll_until([&] { return cursor_invisible(); }));
    xdotool({"mousemove", "900", "700"});
    EXPECT_TRUE(poll_until([&] { return !cursor_invisible(); })) << "the desktop's pointer shows";
    point_at(w, 60, 40);
    EXPECT_TRUE(poll_until([&] { return cursor_invisible(); })) << "hidden again over the window";
    EXPECT_EQ(ZVShowCursor(w, 1), ZV_OK);
    EXPECT_TRUE(poll_until([&] { return !cursor_invisible(); }));
    ZVDestroyWindow(w);
}

// Another program moves the keyboard focus (as a click under a window manager would): the
// library's active window follows, and typing goes to the newly focused window.
TEST(X11Input, FocusGivenByTheServerActivatesTheWindow) {
    if (!run_in_child()) return;
    ASSERT_TRUE(have_xdotool()) << "xdotool is needed on the X server";
    int first = open_focused_window("first");
    int second = open_focused_window("second");
    auto platform_window = [](int handle) {
        window_ref window(handle);
        return window.ok() ? window->hwnd : nullptr;
    };
    ASSERT_TRUE(poll_until([&] { return GetForegroundWindow() == platform_window(second); }));
    xdotool({"windowfocus", "--sync", std::to_string(find_window("first"))});
    EXPECT_TRUE(poll_until([&] { return GetForegroundWindow() == platform_window(first); }));
    xdotool({"type", "q"});
    EXPECT_TRUE(poll_until([&] { return ZV_kbhit(first) == 1; }));
    EXPECT_EQ(ZVReadChar(first), 'q');
    EXPECT_EQ(ZV_kbhit(second), 0);
    ZVDestroyWindow(second);
    ZVDestroyWindow(first);
}

// A drag that leaves the window and ends outside it, and an arrow key, as the calls beyond the
// original set see them.
TEST(X11Input, ADragEndsOutsideTheWindowAndArrowKeysArePressed) {
    if (!run_in_child()) return;
    ASSERT_TRUE(have_xdotool()) << "xdotool is needed on the X server";
    int w = open_focused_window("drag");
    client_area a = library_client_area(w);
    point_at(w, 30, 40);
    EXPECT_TRUE(poll_until([&] { return ZVGetMouseX(w) == 30 && ZVGetMouseY(w) == 40; }));
    xdotool({"mousedown", "1"});
    EXPECT_TRUE(poll_until([&] { return ZVGetMouseButtons(w) == ZV_MOUSE_LEFT; }));
    xdotool({"mousemove", "900", "700"}); // off the window, the button still held
    // The pointer's position follows the drag beyond the window's edges.
    EXPECT_TRUE(
        poll_until([&] { return ZVGetMouseX(w) == 900 - a.x && ZVGetMouseY(w) == 700 - a.y; }));
    xdotool({"keydown", "shift"});
    EXPECT_TRUE(poll_until([&] { return ZVGetMouseButtons(w) == (ZV_MOUSE_LEFT | ZV_MOD_SHIFT); }));
    xdotool({"keyup", "shift", "mouseup", "1"});
    EXPECT_TRUE(poll_until([&] { return ZVGetMouseButtons(w) == 0; }));
    xdotool({"keydown", "Left"});
    EXPECT_TRUE(poll_until([&] { return ZVIsKeyDown(w, ZV_KEY_LEFT) == 1; }));
    xdotool({"keyup", "Left"});
    EXPECT_TRUE(poll_until([&] { return ZVIsKeyDown(w, ZV_KEY_LEFT) == 0; }));
    EXPECT_EQ(ZVReadKey(w), ZV_KEY_LEFT);
    ZVDestroyWindow(w);
}
