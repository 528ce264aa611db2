// The screen: its size, the pointer, the window manager and the server's clock.
#include "platform/posix/display/x11/x11_internal.h"

#include <X11/Xatom.h>

#include <stdlib.h>
#include <string.h>

// Off the GUI thread, the pointer is where the last pointer event saw it: the thread that
// talks to the server is the only one that asks it.
void x11_cursor_pos(POINT *point) {
    x11_state &s = x11();
    *point = POINT{0, 0};
    if (!s.opened.load(std::memory_order_acquire)) return;
    if (x11_on_gui_thread()) {
        Window root, child;
        int root_x, root_y, x, y;
        unsigned mask;
        if (XQueryPointer(s.display, s.root, &root, &child, &root_x, &root_y, &x, &y, &mask)) {
            s.pointer_x = root_x;
            s.pointer_y = root_y;
        }
    }
    point->x = s.pointer_x;
    point->y = s.pointer_y;
}

// Read once at open: the library sizes maximised windows and device caps from it.
void x11_screen_size(int *width, int *height) {
    *width = x11().screen_width;
    *height = x11().screen_height;
}

// A window manager owns the WM_S0 selection (ICCCM 2.0); older ones at least redirect the
// root window's substructure, which only one client may do.
bool x11_window_manager_running(void) {
    x11_state &s = x11();
    if (XGetSelectionOwner(s.display, s.atoms.wm_s0) != None) return true;
    XWindowAttributes root{};
    XGetWindowAttributes(s.display, s.root, &root);
    return (root.all_event_masks & SubstructureRedirectMask) != 0;
}

// The server's current time, learnt from the PropertyNotify of an empty append to `window`
// (which must select PropertyChangeMask).
Time x11_server_time(Window window) {
    x11_state &s = x11();
    if (s.lost) return CurrentTime; // no event would ever come
    unsigned char nothing = 0;
    XChangeProperty(s.display, window, s.atoms.zelvan_time, XA_INTEGER, 8, PropModeAppend, &nothing,
                    0);
    XEvent event;
    XWindowEvent(s.display, window, PropertyChangeMask, &event);
    while (event.xproperty.atom != s.atoms.zelvan_time) {
        XWindowEvent(s.display, window, PropertyChangeMask, &event);
    }
    s.last_event_time = event.xproperty.time;
    return event.xproperty.time;
}

// Desktops state their density as the Xft.dpi resource (set with xrdb); the server's own
// millimetre figures are often invented, so they are not consulted. The GUI thread reads the
// root window's resources afresh, so a density changed since the library started counts for
// the windows opened after; other threads get the last value read.
int x11_screen_dpi(void) {
    x11_state &s = x11();
    if (!s.opened.load(std::memory_order_acquire)) return 0;
    if (x11_on_gui_thread()) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char *data = nullptr;
        if (XGetWindowProperty(s.display, s.root, XA_RESOURCE_MANAGER, 0, 1 << 20, False, XA_STRING,
                               &type, &format, &count, &after, &data) == Success) {
            bool text = type == XA_STRING && format == 8 && data != nullptr;
            s.screen_dpi = text ? x11_xft_dpi(reinterpret_cast<const char *>(data)) : 0;
        }
        if (data != nullptr) XFree(data);
    }
    return s.screen_dpi.load();
}

// The whole dots per inch of the "Xft.dpi:" line of a resource manager string (a fraction,
// as in 144.5, is rounded), or 0 when there is none or it is no positive number.
int x11_xft_dpi(const char *resources) {
    static const char key[] = "Xft.dpi:";
    for (const char *line = resources; line != nullptr && *line != '\0';) {
        if (strncmp(line, key, sizeof key - 1) == 0) {
            char *end = nullptr;
            double dpi = strtod(line + sizeof key - 1, &end);
            return end != line + sizeof key - 1 && dpi >= 1 && dpi < 10000
                       ? static_cast<int>(dpi + 0.5)
                       : 0;
        }
        line = strchr(line, '\n');
        if (line != nullptr) ++line;
    }
    return 0;
}
