// Library windows under a real window manager (openbox): decorated frames around a client
// area placed where asked, minimising through the manager, and a close box that does nothing.
#include "x11_session.h"
#include "zelvan.h"

#include <X11/Xatom.h>

using namespace x11_session;

namespace {

long wm_state(Window w) {
    Display *d = display();
    Atom wm_state_atom = XInternAtom(d, "WM_STATE", False), type;
    int format;
    unsigned long count, after;
    unsigned char *data = nullptr;
    long state = -1;
    if (XGetWindowProperty(d, w, wm_state_atom, 0, 2, False, wm_state_atom, &type, &format, &count,
                           &after, &data) == Success &&
        data != nullptr && count > 0) {
        state = reinterpret_cast<long *>(data)[0];
    }
    if (data != nullptr) XFree(data);
    return state;
}

bool reparented(Window w) {
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display(), w, &root, &parent, &children, &count)) return false;
    if (children != nullptr) XFree(children);
    return parent != root;
}

bool client_at(Window w, int x, int y, int width, int height) {
    geometry g = window_geometry(w);
    return g.viewable && g.x == x && g.y == y && g.width == width && g.height == height;
}

// The window manager's frame around a client: its ancestor that is a child of the root.
Window frame_of(Window w) {
    for (;;) {
        Window root, parent, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display(), w, &root, &parent, &children, &count)) return None;
        if (children != nullptr) XFree(children);
        if (parent == root) return w;
        w = parent;
    }
}

// What the window manager sends when the user clicks the close box.
void click_close_box(Window w) {
    Display *d = display();
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = w;
    event.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, w, False, NoEventMask, &event);
    XFlush(d);
}

} // namespace

TEST(X11WindowManager, ClientAreaSitsWhereAskedInsideTheFrame) {
    options how;
    how.window_manager = true;
    if (!run_in_child(how)) return;
    int w = ZVCreateWindow(200, 150, 300, 200, "managed");
    ASSERT_GT(w, 0);
    Window xw = find_window("managed");
    ASSERT_NE(xw, None);
    EXPECT_TRUE(poll_until([&] { return reparented(xw); })) << "openbox gave it no frame";
    EXPECT_TRUE(poll_until([&] { return client_at(xw, 200, 150, 300, 200); }));
    ZVMove(w, 400, 300);
    client_area moved = library_client_area(w);
    EXPECT_TRUE(poll_until([&] { return client_at(xw, moved.x, moved.y, 300, 200); }));
    // The frame the library reports is the decorated frame on the screen.
    EXPECT_TRUE(poll_until([&] {
        geometry frame = window_geometry(frame_of(xw));
        return frame.x == 400 && frame.y == 300;
    })) << "the decorated frame is not where ZVMove put the frame";
    // The library still believes what the server shows once it has read every event sent so
    // far: X events arrive in order, so a pointer move made now marks the end.
    XWarpPointer(display(), None, xw, 0, 0, 0, 0, 30, 40);
    XFlush(display());
    EXPECT_TRUE(
        poll_until([&] { return ZVCaptureMouseCoords(w) == ZV_OK && ZVGetMouseCoordsX(w) == 30; }));
    client_area now = library_client_area(w);
    EXPECT_EQ(now.x, moved.x);
    EXPECT_EQ(now.y, moved.y);
    EXPECT_EQ(now.width, 300);
    EXPECT_EQ(now.height, 200);
    ZVDestroyWindow(w);
}

TEST(X11WindowManager, MinimiseAndRestoreGoThroughTheManager) {
    options how;
    how.window_manager = true;
    if (!run_in_child(how)) return;
    int w = ZVCreateWindow(100, 100, 250, 150, "iconic");
    ASSERT_GT(w, 0);
    Window xw = find_window("iconic");
    ASSERT_TRUE(poll_until([&] { return wm_state(xw) == NormalState; }));
    EXPECT_EQ(ZVMinimize(w), ZV_OK);
    EXPECT_TRUE(poll_until([&] { return wm_state(xw) == IconicState; }));
    EXPECT_EQ(ZVRestore(w), ZV_OK);
    EXPECT_TRUE(poll_until([&] { return wm_state(xw) == NormalState; }));
    EXPECT_TRUE(poll_until([&] { return client_at(xw, 100, 100, 250, 150); }));
    ZVDestroyWindow(w);
}

TEST(X11WindowManager, TheCloseBoxDoesNothing) {
    options how;
    how.window_manager = true;
    if (!run_in_child(how)) return;
    int w = ZVCreateWindow(100, 100, 250, 150, "stays");
    ASSERT_GT(w, 0);
    Window xw = find_window("stays");
    ASSERT_TRUE(poll_until([&] { return client_at(xw, 100, 100, 250, 150); }));
    click_close_box(xw);
    // X input arrives in order: once a later pointer move is seen, the close was handled.
    XWarpPointer(display(), None, xw, 0, 0, 0, 0, 30, 40);
    XFlush(display());
    EXPECT_TRUE(
        poll_until([&] { return ZVCaptureMouseCoords(w) == ZV_OK && ZVGetMouseCoordsX(w) == 30; }));
    EXPECT_EQ(ZVIsWindow(w), ZV_OK);
    EXPECT_TRUE(window_geometry(xw).viewable);
    ZVDestroyWindow(w);
}
