// Library windows on a real X server: placement, pixels on screen, repaint after covering,
// and the window-control calls.
#include "x11_session.h"
#include "zelvan.h"

#include <X11/Xatom.h>

#include <string.h>

using namespace x11_session;

namespace {

bool placed_at(Window w, int x, int y, int width, int height) {
    geometry g = window_geometry(w);
    return g.viewable && g.x == x && g.y == y && g.width == width && g.height == height;
}

// A colour (0x00BBGGRR) as the X server's 24-bit visual holds it (0x00RRGGBB).
unsigned long screen_pixel(ZVCOLOUR c) {
    return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
}

// Polls until the screen shows exactly the window's picture (ZVGetPixel) over its client area.
bool screen_shows_picture(int handle, double seconds = 10.0) {
    client_area area = library_client_area(handle);
    std::vector<unsigned long> expected;
    for (int y = 0; y < area.height; ++y) {
        for (int x = 0; x < area.width; ++x)
            expected.push_back(screen_pixel(ZVGetPixel(handle, x, y)));
    }
    return poll_until([&] { return capture(area.x, area.y, area.width, area.height) == expected; },
                      seconds);
}

void draw_test_picture(int w) {
    ZVSetFillColour(w, ZVGetRGBColour(200, 30, 40));
    ZVFillRectangle(w, 10, 10, 90, 60);
    ZVSetFillColour(w, ZVGetRGBColour(20, 180, 60));
    ZVFillCircle(w, 150, 80, 30);
    ZVSetForeground(w, ZVGetRGBColour(10, 20, 250));
    ZVMoveTo(w, 0, 119);
    ZVLine(w, 239, 0);
    ZVCOLOUR block[24 * 16];
    for (int i = 0; i < 24 * 16; ++i) block[i] = ZVGetRGBColour(i % 24 * 10, i / 24 * 15, 90);
    ZVPutPixels(w, 200, 8, 24, 16, block, 24);
    ZVRedraw(w);
}

std::string text_property(Window w, const char *name, Atom *type_out) {
    Display *d = display();
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *data = nullptr;
    std::string value;
    if (XGetWindowProperty(d, w, XInternAtom(d, name, False), 0, 1024, False, AnyPropertyType,
                           &type, &format, &count, &after, &data) == Success &&
        data != nullptr) {
        value.assign(reinterpret_cast<char *>(data), count);
        *type_out = type;
    }
    if (data != nullptr) XFree(data);
    return value;
}

// The stacking position among the root's children (higher is nearer the top).
int stacking_index(Window w) {
    Display *d = display();
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count);
    int index = -1;
    for (unsigned i = 0; i < count; ++i) {
        if (children[i] == w) index = int(i);
    }
    if (children != nullptr) XFree(children);
    return index;
}

} // namespace

TEST(X11Windows, AppearAtTheRequestedPlaceAndSizeWithTheirPicture) {
    if (!run_in_child()) return;
    ASSERT_NE(display(), nullptr);
    int w = ZVCreateWindow(120, 90, 240, 120, "placed");
    ASSERT_GT(w, 0);
    Window xw = find_window("placed");
    ASSERT_NE(xw, None) << "no X window carries the library window's title";
    EXPECT_TRUE(poll_until([&] { return placed_at(xw, 120, 90, 240, 120); }));
    draw_test_picture(w);
    EXPECT_TRUE(screen_shows_picture(w));
    // A whole frame read as one block is what the screen shows.
    std::vector<ZVCOLOUR> frame(240 * 120);
    ASSERT_EQ(ZVGetPixels(w, 0, 0, 240, 120, frame.data(), 240), ZV_OK);
    std::vector<unsigned long> shown = capture(120, 90, 240, 120);
    for (size_t i = 0; i < frame.size(); ++i) ASSERT_EQ(shown[i], screen_pixel(frame[i])) << i;
    // The hidden handler window is never shown.
    Window handler = find_window("Zelvan Graphics Handler");
    ASSERT_NE(handler, None);
    EXPECT_FALSE(window_geometry(handler).viewable);
    ZVDestroyWindow(w);
    EXPECT_TRUE(poll_until([&] { return find_window("placed") == None; }));
}

TEST(X11Windows, CoveredPartsArePaintedAgainWhenUncovered) {
    if (!run_in_child()) return;
    int w = ZVCreateWindow(200, 150, 240, 120, "covered");
    ASSERT_GT(w, 0);
    draw_test_picture(w);
    ASSERT_TRUE(screen_shows_picture(w));
    // Another program's window covers most of it, then goes away.
    Display *d = display();
    XSetWindowAttributes a{};
    a.override_redirect = True;
    a.background_pixel = 0x808080;
    Window cover = XCreateWindow(d, DefaultRootWindow(d), 180, 140, 200, 100, 0, CopyFromParent,
                                 InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &a);
    XMapRaised(d, cover);
    XSync(d, False);
    EXPECT_TRUE(poll_until([&] { return capture(250, 180, 1, 1)[0] == 0x808080; }));
    XDestroyWindow(d, cover);
    XSync(d, False);
    EXPECT_TRUE(screen_shows_picture(w));
    ZVDestroyWindow(w);
}

TEST(X11Windows, ControlCallsTakeEffectOnTheServer) {
    if (!run_in_child()) return;
    int w = ZVCreateWindow(50, 60, 200, 100, "control");
    ASSERT_GT(w, 0);
    Window xw = find_window("control");
    ASSERT_NE(xw, None);
    ASSERT_TRUE(poll_until([&] { return placed_at(xw, 50, 60, 200, 100); }));

    // ZVMove places the frame; the client area follows inside it.
    EXPECT_EQ(ZVMove(w, 300, 250), ZV_OK);
    client_area moved = library_client_area(w);
    EXPECT_GE(moved.x, 300);
    EXPECT_GE(moved.y, 250);
    EXPECT_TRUE(poll_until([&] { return placed_at(xw, moved.x, moved.y, 200, 100); }));
    EXPECT_EQ(ZVResize(w, 320, 180), ZV_OK);
    EXPECT_TRUE(poll_until([&] { return placed_at(xw, moved.x, moved.y, 320, 180); }));
    draw_test_picture(w);
    EXPECT_TRUE(screen_shows_picture(w));

    EXPECT_EQ(ZVMinimize(w), ZV_OK);
    EXPECT_TRUE(poll_until([&] { return !window_geometry(xw).viewable; }));
    EXPECT_EQ(ZVRestore(w), ZV_OK);
    EXPECT_TRUE(poll_until([&] { return placed_at(xw, moved.x, moved.y, 320, 180); }));
    EXPECT_TRUE(screen_shows_picture(w)) << "a restored window shows its picture again";

    // Latin-1 titles: WM_NAME as they are, _NET_WM_NAME in UTF-8.
    EXPECT_EQ(ZVSetTitle(w, "caf\xe9"), ZV_OK);
    Atom type = None;
    EXPECT_TRUE(poll_until([&] { return text_property(xw, "WM_NAME", &type) == "caf\xe9"; }));
    EXPECT_EQ(text_property(xw, "_NET_WM_NAME", &type), "caf\xc3\xa9");
    EXPECT_EQ(type, XInternAtom(display(), "UTF8_STRING", False));
    ZVDestroyWindow(w);
}

// WM_NAME read back as UTF-8, whether the library stored it as STRING or as compound text.
std::string wm_name_in_utf8(Window w, Atom *type) {
    XTextProperty property{};
    std::string value;
    if (!XGetWMName(display(), w, &property)) return value;
    *type = property.encoding;
    char **list = nullptr;
    int count = 0;
    if (Xutf8TextPropertyToTextList(display(), &property, &list, &count) == Success && count > 0)
        value = list[0];
    if (list != nullptr) XFreeStringList(list);
    XFree(property.value);
    return value;
}

// A title is read as UTF-8 when it is UTF-8, else as Windows-1252; the server gets the
// characters meant, in _NET_WM_NAME and in WM_NAME, while ZVGetTitle gives the bytes back.
TEST(X11Windows, TitlesReachTheServerAsTheCharactersMeant) {
    if (!run_in_child()) return;
    const char *german = "Gr\xC3\xBC\xC3\x9F"
                         "e";
    int w = ZVCreateWindow(40, 40, 160, 90, german);
    ASSERT_GT(w, 0);
    Window xw = find_window("Gr\xFC\xDF"
                            "e"); // WM_NAME holds Latin-1 when every character fits
    ASSERT_NE(xw, None);
    Atom type = None, utf8 = XInternAtom(display(), "UTF8_STRING", False);
    EXPECT_EQ(text_property(xw, "_NET_WM_NAME", &type), german);
    EXPECT_EQ(type, utf8);

    // Cyrillic has no Latin-1: WM_NAME is compound text, which reads back as the same letters.
    const char *cyrillic = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 1";
    EXPECT_EQ(ZVSetTitle(w, cyrillic), ZV_OK);
    // WM_NAME is stored after _NET_WM_NAME: wait for it, then both are there.
    EXPECT_TRUE(poll_until([&] { return wm_name_in_utf8(xw, &type) == cyrillic; }));
    EXPECT_EQ(type, XInternAtom(display(), "COMPOUND_TEXT", False));
    EXPECT_EQ(text_property(xw, "_NET_WM_NAME", &type), cyrillic);

    // What neither Latin-1 nor compound text can carry is a '?' in WM_NAME, not a gap.
    const char *plot = "Plot \xE2\x80\x93 \xC3\xBCn\xC3\xAF \xD0\x96"; // "Plot – ünï Ж"
    EXPECT_EQ(ZVSetTitle(w, plot), ZV_OK);
    const std::string carried = "Plot ? \xC3\xBCn\xC3\xAF \xD0\x96";
    poll_until([&] { return wm_name_in_utf8(xw, &type) == carried; });
    EXPECT_EQ(wm_name_in_utf8(xw, &type), carried);
    EXPECT_EQ(text_property(xw, "_NET_WM_NAME", &type), plot);

    const char *western = "\x80 5 \x96 caf\xE9"; // not UTF-8: Windows-1252
    EXPECT_EQ(ZVSetTitle(w, western), ZV_OK);
    const char *meant = "\xE2\x82\xAC 5 \xE2\x80\x93 caf\xC3\xA9";
    EXPECT_TRUE(poll_until([&] { return text_property(xw, "_NET_WM_NAME", &type) == meant; }));
    EXPECT_EQ(type, utf8);
    EXPECT_STREQ(ZVGetTitle(w), western);
    ZVDestroyWindow(w);
}

// _NET_WM_ICON holds the width, the height and the ARGB pixels of the bitmap, alpha opaque for
// a bitmap without one.
TEST(X11Windows, TheIconReachesTheServerAsCardinals) {
    if (!run_in_child()) return;
    int w = ZVCreateWindow(40, 40, 64, 48, "icon");
    ASSERT_GT(w, 0);
    Window xw = find_window("icon");
    ASSERT_NE(xw, None);
    ZVSetFillColour(w, ZVGetRGBColour(200, 100, 50));
    ZVFillRectangle(w, 0, 0, 20, 10);
    int bitmap = ZVCopyBitmap(w, 0, 0, 20, 10);
    ASSERT_GT(bitmap, 0);
    EXPECT_EQ(ZVSetIcon(w, bitmap), ZV_OK);
    Display *d = display();
    std::vector<unsigned long> icon;
    EXPECT_TRUE(poll_until([&] {
        Atom type;
        int format;
        unsigned long count = 0, after;
        unsigned char *data = nullptr;
        if (XGetWindowProperty(d, xw, XInternAtom(d, "_NET_WM_ICON", False), 0, 4096, False,
                               XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
            data != nullptr && format == 32) {
            const long *values = reinterpret_cast<const long *>(data);
            icon.assign(values, values + count);
        }
        if (data != nullptr) XFree(data);
        return icon.size() == 2 + 200;
    }));
    ASSERT_EQ(icon.size(), 202u);
    EXPECT_EQ(icon[0], 20u);
    EXPECT_EQ(icon[1], 10u);
    EXPECT_EQ(icon[2 + 5 * 20 + 10] & 0xFFFFFFFFu, 0xFFC86432u) << "inside the outline";
    ZVDiscardBitmap(bitmap);
    ZVDestroyWindow(w);
}

TEST(X11Windows, BringToFrontRaisesAndFocuses) {
    if (!run_in_child()) return;
    int back = ZVCreateWindow(100, 100, 200, 150, "back");
    int front = ZVCreateWindow(150, 150, 200, 150, "front");
    ASSERT_GT(back, 0);
    ASSERT_GT(front, 0);
    Window xback = find_window("back"), xfront = find_window("front");
    ASSERT_TRUE(poll_until([&] { return stacking_index(xfront) > stacking_index(xback); }));
    EXPECT_EQ(ZVBringWindowToFront(back), ZV_OK);
    EXPECT_TRUE(poll_until([&] { return stacking_index(xback) > stacking_index(xfront); }));
    EXPECT_TRUE(poll_until([&] {
        Window focus;
        int revert;
        XGetInputFocus(display(), &focus, &revert);
        return focus == xback;
    }));
    ZVDestroyWindow(front);
    ZVDestroyWindow(back);
}

// Another client (a window manager that ignores the size hints, say) moves and resizes the
// window: the library hears of the move, and puts its fixed size back.
TEST(X11Windows, MovesByOthersAreHeardAndSizesPutBack) {
    if (!run_in_child()) return;
    int w = ZVCreateWindow(100, 100, 220, 140, "pushed");
    ASSERT_GT(w, 0);
    Window xw = find_window("pushed");
    ASSERT_TRUE(poll_until([&] { return placed_at(xw, 100, 100, 220, 140); }));
    XMoveWindow(display(), xw, 333, 222);
    XSync(display(), False);
    EXPECT_TRUE(poll_until([&] { return ZVGetWindowX(w) == 333 && ZVGetWindowY(w) == 222; }));
    XResizeWindow(display(), xw, 400, 300);
    XSync(display(), False);
    EXPECT_TRUE(poll_until([&] { return placed_at(xw, 333, 222, 220, 140); }))
        << "the library did not restore its size";
    EXPECT_EQ(ZVGetWidth(w), 220);
    EXPECT_EQ(ZVGetHeight(w), 140);
    draw_test_picture(w);
    EXPECT_TRUE(screen_shows_picture(w));
    ZVDestroyWindow(w);
}

// Without MIT-SHM (a server on another machine) the pixels go by plain XPutImage.
TEST(X11Windows, PicturesReachAServerWithoutSharedMemory) {
    options how;
    how.without_shm = true;
    if (!run_in_child(how)) return;
    int shm_major = 0;
    EXPECT_FALSE(XQueryExtension(display(), "MIT-SHM", &shm_major, &shm_major, &shm_major));
    int w = ZVCreateWindow(60, 70, 240, 120, "no shm");
    ASSERT_GT(w, 0);
    draw_test_picture(w);
    EXPECT_TRUE(screen_shows_picture(w));
    ZVDestroyWindow(w);
}
