// X windows for library windows: creation, geometry, show state, stacking and titles.
#include "platform/posix/display/x11/x11_internal.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <string>
#include <vector>

#include <string.h>

namespace {

const long k_event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                          KeyPressMask | KeyReleaseMask | StructureNotifyMask | FocusChangeMask |
                          PropertyChangeMask | EnterWindowMask | LeaveWindowMask;

int width_of(const RECT &r) {
    return std::max(1, int(r.right - r.left));
}

int height_of(const RECT &r) {
    return std::max(1, int(r.bottom - r.top));
}

// A window that was never given an X window (another thread made it) is not shown.
bool on_server(const display_window *w) {
    return w->xid != 0 && x11_on_gui_thread();
}

// Until told otherwise a window keeps the size it was given, so the window manager hears that
// the client size is both the smallest and the largest; a sizeable window gets its limits, and
// a fullscreen one none (the window manager sizes it). The position is the client's top-left.
void set_size_hints(const display_window *w) {
    XSizeHints *hints = XAllocSizeHints();
    if (hints == nullptr) return;
    hints->flags = USPosition | PPosition | PSize | PWinGravity;
    hints->x = w->client.left;
    hints->y = w->client.top;
    hints->width = hints->min_width = hints->max_width = width_of(w->client);
    hints->height = hints->min_height = hints->max_height = height_of(w->client);
    if (w->placement_known) {
        hints->min_width = w->placement.min_width;
        hints->min_height = w->placement.min_height;
        hints->max_width = w->placement.max_width;
        hints->max_height = w->placement.max_height;
    }
    if (!w->placement_known || !w->placement.fullscreen) hints->flags |= PMinSize | PMaxSize;
    hints->win_gravity = StaticGravity;
    XSetWMNormalHints(x11().display, w->xid, hints);
    XFree(hints);
}

void send_fullscreen_message(const display_window *w, bool on) {
    x11_state &s = x11();
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = w->xid;
    event.xclient.message_type = s.atoms.net_wm_state;
    event.xclient.format = 32;
    event.xclient.data.l[0] = on ? 1 : 0; // add or remove
    event.xclient.data.l[1] = long(s.atoms.net_wm_state_fullscreen);
    event.xclient.data.l[3] = 1; // from an application
    XSendEvent(s.display, s.root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

// A window the window manager manages asks it to change its state. Until it has taken a
// window over (EWMH: the message is for mapped windows), the state goes in the property it
// reads when it does, and a mapped window says it once more as a message when that is seen:
// a message sent between the map and the take-over may be lost, and so may a property
// written after the window manager read it.
void request_fullscreen(display_window *w, bool on) {
    x11_state &s = x11();
    bool manager = x11_window_manager_running();
    if (manager && w->managed && w->show != DISPLAY_HIDDEN) {
        send_fullscreen_message(w, on);
        return;
    }
    if (on) {
        XChangeProperty(s.display, w->xid, s.atoms.net_wm_state, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(&s.atoms.net_wm_state_fullscreen),
                        1);
    } else {
        XDeleteProperty(s.display, w->xid, s.atoms.net_wm_state);
    }
    w->fullscreen_unheard = manager && w->show != DISPLAY_HIDDEN;
}

// The UTF-8 bytes of one code point.
std::string utf8_of(uint32_t c) {
    std::string out;
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | c >> 6);
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | c >> 12);
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | c >> 18);
        out += char(0x80 | (c >> 12 & 0x3F));
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
    return out;
}

// Whether WM_NAME's compound text can carry the character: Xlib drops the others silently,
// some with a success and no bytes.
bool compound_text_carries(const std::string &character) {
    char *list[1] = {const_cast<char *>(character.c_str())};
    XTextProperty property{};
    int unconverted =
        Xutf8TextListToTextProperty(x11().display, list, 1, XCompoundTextStyle, &property);
    bool carried = unconverted == Success && property.nitems > 0;
    if (unconverted >= Success) XFree(property.value);
    return carried;
}

// Titles come in UTF-8. _NET_WM_NAME carries them as they are; WM_NAME, for window managers
// that read only it, as STRING (Latin-1) when every character fits, else as compound text,
// with '?' for each character that neither can carry.
void store_title(const display_window *w, const char *title) {
    x11_state &s = x11();
    int bytes = int(strlen(title));
    XChangeProperty(s.display, w->xid, s.atoms.net_wm_name, s.atoms.utf8_string, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(title), bytes);
    std::vector<uint32_t> code_points(size_t(bytes) + 1);
    int count = x11_decode_utf8(title, bytes, code_points.data(), bytes);
    std::string carried, latin1;
    for (int i = 0; i < count; ++i) {
        std::string character = utf8_of(code_points[i]);
        bool fits =
            (code_points[i] >= 0x20 && code_points[i] < 0x100) || compound_text_carries(character);
        carried += fits ? character : "?";
        latin1 += code_points[i] < 0x100 ? char(code_points[i]) : '?';
    }
    char *list[1] = {const_cast<char *>(carried.c_str())};
    XTextProperty property{};
    int unconverted = Xutf8TextListToTextProperty(s.display, list, 1, XStdICCTextStyle, &property);
    if (unconverted != Success) {
        if (unconverted > 0) XFree(property.value);
        // No converter in this locale: Latin-1 alone.
        XChangeProperty(s.display, w->xid, XA_WM_NAME, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(latin1.data()), int(latin1.size()));
        return;
    }
    XSetWMName(s.display, w->xid, &property);
    XFree(property.value);
}

void set_initial_state(const display_window *w, int initial_state) {
    XWMHints hints{};
    hints.flags = InputHint | StateHint;
    hints.input = True;
    hints.initial_state = initial_state;
    XSetWMHints(x11().display, w->xid, &hints);
}

Window make_x_window(const display_window_desc *desc) {
    x11_state &s = x11();
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None; // every exposed pixel is painted by the library
    attributes.bit_gravity = NorthWestGravity;
    attributes.win_gravity = StaticGravity;
    attributes.event_mask = k_event_mask;
    attributes.colormap = s.colormap;
    attributes.border_pixel = 0;
    unsigned long mask =
        CWBackPixmap | CWBitGravity | CWWinGravity | CWEventMask | CWColormap | CWBorderPixel;
    return XCreateWindow(s.display, s.root, desc->client.left, desc->client.top,
                         width_of(desc->client), height_of(desc->client), 0, s.depth, InputOutput,
                         s.visual, mask, &attributes);
}

} // namespace

display_window *x11_create(const display_window_desc *desc) {
    display_window *w = new display_window{};
    w->cookie = desc->cookie;
    w->frame = desc->frame;
    w->client = desc->client;
    w->show = DISPLAY_HIDDEN;
    if (!x11_claim_gui_thread()) return w; // windows of other threads stay off screen
    x11_state &s = x11();
    w->xid = make_x_window(desc);
    XSetWMProtocols(s.display, w->xid, &s.atoms.wm_delete_window, 1);
    XClassHint class_hint{const_cast<char *>("zelvan"), const_cast<char *>("Zelvan")};
    XSetClassHint(s.display, w->xid, &class_hint);
    set_size_hints(w);
    set_initial_state(w, NormalState);
    store_title(w, desc->title != nullptr ? desc->title : "");
    w->input_context = x11_create_input_context(w->xid, k_event_mask);
    s.windows[w->xid] = w;
    XFlush(s.display);
    return w;
}

void x11_destroy(display_window *w) {
    x11_release_shm(w);
    if (on_server(w)) {
        x11_state &s = x11();
        if (w->input_context != nullptr) XDestroyIC(w->input_context);
        XDestroyWindow(s.display, w->xid);
        XFlush(s.display);
    }
    // Only windows made on the GUI thread are listed, and only it destroys them.
    if (w->xid != 0) x11().windows.erase(w->xid);
    delete w;
}

// A minimised window has an empty client rectangle: the server keeps its last geometry, for
// the restore to come back to.
void x11_move_resize(display_window *w, const RECT *frame, const RECT *client) {
    bool empty = client->right <= client->left || client->bottom <= client->top;
    if (empty) return;
    bool same = client->left == w->client.left && client->top == w->client.top &&
                client->right == w->client.right && client->bottom == w->client.bottom;
    w->frame = *frame;
    w->client = *client;
    if (!on_server(w) || same) return;
    x11_state &s = x11();
    set_size_hints(w);
    w->configure_serial = NextRequest(s.display);
    XMoveResizeWindow(s.display, w->xid, client->left, client->top, width_of(*client),
                      height_of(*client));
    XFlush(s.display);
}

void x11_show(display_window *w, display_show state) {
    display_show before = w->show;
    w->show = state;
    if (!on_server(w) || state == before) return;
    x11_state &s = x11();
    bool managed = x11_window_manager_running();
    if (state == DISPLAY_HIDDEN) {
        w->managed = false; // a withdrawn window is taken over anew when it is shown again
        XWithdrawWindow(s.display, w->xid, s.screen);
    } else if (state == DISPLAY_MINIMIZED) {
        if (before == DISPLAY_HIDDEN && managed) {
            set_initial_state(w, IconicState); // shown minimised from the start
            XMapWindow(s.display, w->xid);
        } else if (managed) {
            XIconifyWindow(s.display, w->xid, s.screen);
        } else {
            XUnmapWindow(s.display, w->xid); // nobody to keep an icon: just leave the screen
        }
    } else if (before == DISPLAY_HIDDEN || before == DISPLAY_MINIMIZED) {
        set_initial_state(w, NormalState);
        set_size_hints(w);
        XMapRaised(s.display, w->xid);
    }
    XFlush(s.display);
}

// Raising also asks for the keyboard focus: through the window manager when one runs (it
// may refuse), directly otherwise.
void x11_raise(display_window *w) {
    if (!on_server(w)) return;
    x11_state &s = x11();
    XRaiseWindow(s.display, w->xid);
    if (w->show == DISPLAY_NORMAL || w->show == DISPLAY_MAXIMIZED) {
        s.focus_request_serial = NextRequest(s.display);
        if (x11_window_manager_running()) {
            XEvent event{};
            event.xclient.type = ClientMessage;
            event.xclient.window = w->xid;
            event.xclient.message_type = s.atoms.net_active_window;
            event.xclient.format = 32;
            event.xclient.data.l[0] = 1; // from an application
            event.xclient.data.l[1] = long(s.last_event_time);
            XSendEvent(s.display, s.root, False, SubstructureRedirectMask | SubstructureNotifyMask,
                       &event);
        } else {
            XSetInputFocus(s.display, w->xid, RevertToParent, CurrentTime);
        }
    }
    XFlush(s.display);
}

void x11_set_placement(display_window *w, const display_placement *placement) {
    bool was_fullscreen = w->placement_known && w->placement.fullscreen;
    w->placement = *placement;
    w->placement_known = true;
    if (!on_server(w)) return;
    set_size_hints(w);
    if (placement->fullscreen != was_fullscreen) request_fullscreen(w, placement->fullscreen);
    XFlush(x11().display);
}

// A hidden pointer is a cursor with no pixels: the server shows it only over this window.
void x11_set_cursor(display_window *w, bool visible) {
    if (!on_server(w)) return;
    x11_state &s = x11();
    if (visible) {
        XUndefineCursor(s.display, w->xid);
    } else {
        if (s.invisible_cursor == None) {
            char empty = 0;
            Pixmap blank = XCreateBitmapFromData(s.display, s.root, &empty, 1, 1);
            XColor black{};
            s.invisible_cursor = XCreatePixmapCursor(s.display, blank, blank, &black, &black, 0, 0);
            XFreePixmap(s.display, blank);
        }
        XDefineCursor(s.display, w->xid, s.invisible_cursor);
    }
    XFlush(s.display);
}

// _NET_WM_ICON: width, height, then the ARGB pixels row by row, each a CARDINAL (which Xlib
// takes as a long whatever its size).
void x11_set_icon(display_window *w, const uint32_t *argb, int width, int height) {
    if (!on_server(w)) return;
    x11_state &s = x11();
    if (argb == nullptr || width <= 0 || height <= 0) {
        XDeleteProperty(s.display, w->xid, s.atoms.net_wm_icon);
    } else {
        size_t count = size_t(width) * size_t(height);
        std::vector<long> data;
        data.reserve(count + 2);
        data.push_back(width);
        data.push_back(height);
        for (size_t i = 0; i < count; ++i) data.push_back(long(argb[i]));
        XChangeProperty(s.display, w->xid, s.atoms.net_wm_icon, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(data.data()), int(data.size()));
    }
    XFlush(s.display);
}

void x11_set_title(display_window *w, const char *title) {
    if (!on_server(w)) return;
    store_title(w, title != nullptr ? title : "");
    XFlush(x11().display);
}

// The window manager has set WM_STATE: the state asked for before it did is said again.
void x11_window_taken_over(display_window *w) {
    if (w->managed || w->show == DISPLAY_HIDDEN) return;
    w->managed = true;
    if (!w->fullscreen_unheard) return;
    w->fullscreen_unheard = false;
    send_fullscreen_message(w, w->placement_known && w->placement.fullscreen);
    XFlush(x11().display);
}

// The X window is gone (xdotool windowclose, a window manager's kill): nothing more is sent
// for it. The window manager decides what happens to the window itself, and calls destroy.
void x11_window_vanished(display_window *w) {
    x11_state &s = x11();
    s.windows.erase(w->xid);
    s.vanished[s.vanished_next] = w->xid;
    s.vanished_next = (s.vanished_next + 1) % int(sizeof s.vanished / sizeof s.vanished[0]);
    x11_release_shm(w); // the segment is attached to the connection, not to the window
    if (w->input_context != nullptr) XDestroyIC(w->input_context);
    w->input_context = nullptr;
    w->xid = 0;
    display_event e{};
    e.kind = DISPLAY_EVENT_DESTROYED;
    e.window = w->cookie;
    x11_report(&e); // may free w
}

// Requests sent before the DestroyNotify was read fail with BadWindow or BadDrawable; errors
// from the requests of a present are read before the queued event is handled.
bool x11_window_error_expected(const XErrorEvent *error) {
    if (error->error_code != BadWindow && error->error_code != BadDrawable) return false;
    x11_state &s = x11();
    Window xid = error->resourceid;
    if (s.windows.count(xid) != 0) return true; // gone already, its DestroyNotify queued
    for (Window gone : s.vanished)
        if (gone != 0 && gone == xid) return true;
    return false;
}
