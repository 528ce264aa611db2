// The window manager's decoration widths (_NET_FRAME_EXTENTS), so that the library's frame
// rectangles are where the decorated frames really are.
#include "platform/posix/display/x11/x11_internal.h"

#include <X11/Xatom.h>

#include <poll.h>
#include <time.h>

namespace {

// How long start-up waits for the window manager's answer.
const int k_answer_wait_ms = 500;

bool manager_supports(Atom feature) {
    x11_state &s = x11();
    Atom type;
    int format;
    unsigned long count = 0, after;
    unsigned char *data = nullptr;
    bool found = false;
    if (XGetWindowProperty(s.display, s.root, s.atoms.net_supported, 0, 4096, False, XA_ATOM, &type,
                           &format, &count, &after, &data) == Success &&
        data != nullptr && format == 32) {
        const Atom *atoms = reinterpret_cast<const Atom *>(data);
        for (unsigned long i = 0; i < count && !found; ++i) found = atoms[i] == feature;
    }
    if (data != nullptr) XFree(data);
    return found;
}

bool read_extents(Window window, RECT *extents) {
    x11_state &s = x11();
    Atom type;
    int format;
    unsigned long count = 0, after;
    unsigned char *data = nullptr;
    bool ok = XGetWindowProperty(s.display, window, s.atoms.net_frame_extents, 0, 4, False,
                                 XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
              data != nullptr && format == 32 && count == 4;
    if (ok) {
        const long *v = reinterpret_cast<const long *>(data); // left, right, top, bottom
        *extents = RECT{LONG(v[0]), LONG(v[2]), LONG(v[1]), LONG(v[3])};
    }
    if (data != nullptr) XFree(data);
    return ok;
}

// A window like the library's own (titled, fixed size), never mapped, to ask about.
Window make_probe(void) {
    x11_state &s = x11();
    Window probe = XCreateSimpleWindow(s.display, s.root, 0, 0, 100, 100, 0, 0, 0);
    XSelectInput(s.display, probe, PropertyChangeMask);
    XSizeHints hints{};
    hints.flags = PMinSize | PMaxSize;
    hints.min_width = hints.max_width = hints.min_height = hints.max_height = 100;
    XSetWMNormalHints(s.display, probe, &hints);
    return probe;
}

long elapsed_ms(const timespec &since) {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (now.tv_sec - since.tv_sec) * 1000 + (now.tv_nsec - since.tv_nsec) / 1000000;
}

bool wait_for_answer(Window probe, RECT *extents) {
    x11_state &s = x11();
    timespec start;
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        XEvent event;
        while (XCheckWindowEvent(s.display, probe, PropertyChangeMask, &event)) {
            if (event.xproperty.atom == s.atoms.net_frame_extents)
                return read_extents(probe, extents);
        }
        long left = k_answer_wait_ms - elapsed_ms(start);
        if (left <= 0) return false;
        pollfd p{ConnectionNumber(s.display), POLLIN, 0};
        poll(&p, 1, int(left));
    }
}

} // namespace

void x11_learn_frame_extents(void) {
    x11_state &s = x11();
    if (!x11_window_manager_running() || !manager_supports(s.atoms.net_request_frame_extents)) {
        return;
    }
    Window probe = make_probe();
    XEvent request{};
    request.xclient.type = ClientMessage;
    request.xclient.window = probe;
    request.xclient.message_type = s.atoms.net_request_frame_extents;
    request.xclient.format = 32;
    XSendEvent(s.display, s.root, False, SubstructureRedirectMask | SubstructureNotifyMask,
               &request);
    XFlush(s.display);
    RECT extents;
    if (wait_for_answer(probe, &extents) && extents.left >= 0 && extents.top >= 0 &&
        extents.right >= 0 && extents.bottom >= 0) {
        s.frame_extents = extents;
        s.frame_extents_known = true;
    }
    XDestroyWindow(s.display, probe);
    XFlush(s.display);
}

bool x11_frame_extents(RECT *extents) {
    if (!x11().frame_extents_known) return false;
    *extents = x11().frame_extents;
    return true;
}
