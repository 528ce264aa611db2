// The X11 driver: opening the connection, the GUI thread, error handling and the driver table.
#include "platform/posix/display/display_guard.h"
#include "platform/posix/display/x11/x11_internal.h"

#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>

namespace {

x11_state *state_record = nullptr; // made by the first open, freed by the release at unload
XErrorHandler host_error_handler;  // what was installed before us, given back at the end
XIOErrorHandler host_io_error_handler;
pthread_key_t gui_thread_key;
bool gui_thread_key_made = false;

// True the first time an error of this kind (code, request, minor code) is seen.
bool first_of_kind(x11_state &s, const XErrorEvent *error) {
    unsigned kind = unsigned(error->error_code) << 16 | unsigned(error->request_code) << 8 |
                    unsigned(error->minor_code);
    for (int i = 0; i < s.error_kinds_count; ++i)
        if (s.error_kinds_told[i] == kind) return false;
    const int capacity = int(sizeof s.error_kinds_told / sizeof s.error_kinds_told[0]);
    if (s.error_kinds_count == capacity) return false; // that many kinds tell nothing new
    s.error_kinds_told[s.error_kinds_count++] = kind;
    return true;
}

// Protocol errors come from races that are nobody's fault (a requestor window that vanished
// during a transfer, a window manager that moved on): counted, each kind told once, never
// fatal. The handlers are process-wide: errors on the host's own connections go to the
// host's handler.
int count_error(Display *display, XErrorEvent *error) {
    x11_state *s = state_record;
    bool ours = s != nullptr && display == s->display;
    if (!ours && host_error_handler != nullptr) return host_error_handler(display, error);
    if (s == nullptr || x11_window_error_expected(error)) return 0;
    s->x_errors++;
    if (first_of_kind(*s, error)) {
        char text[128] = "";
        XGetErrorText(display, error->error_code, text, sizeof text);
        fprintf(stderr,
                "zelvan: X error ignored: %s (request %d.%d); later ones like it are only "
                "counted\n",
                text, error->request_code, error->minor_code);
    }
    return 0;
}

// A lost connection (the server ended) turns the driver off instead of ending the process;
// the GUI thread reports it at its next look for events.
int note_lost_connection(Display *display) {
    x11_state *s = state_record;
    if ((s == nullptr || display != s->display) && host_io_error_handler != nullptr) {
        return host_io_error_handler(display);
    }
    if (s != nullptr) s->lost = true;
    return 0;
}

void keep_running_after_io_error(Display *, void *) {
    if (state_record != nullptr) state_record->lost = true;
}

Atom intern(const char *name) {
    return XInternAtom(state_record->display, name, False);
}

void intern_atoms(x11_atoms *a) {
    a->wm_protocols = intern("WM_PROTOCOLS");
    a->wm_delete_window = intern("WM_DELETE_WINDOW");
    a->wm_state = intern("WM_STATE");
    a->wm_change_state = intern("WM_CHANGE_STATE");
    a->net_wm_name = intern("_NET_WM_NAME");
    a->net_wm_icon = intern("_NET_WM_ICON");
    a->net_active_window = intern("_NET_ACTIVE_WINDOW");
    a->utf8_string = intern("UTF8_STRING");
    a->clipboard = intern("CLIPBOARD");
    a->targets = intern("TARGETS");
    a->timestamp = intern("TIMESTAMP");
    a->incr = intern("INCR");
    a->image_png = intern("image/png");
    a->image_bmp = intern("image/bmp");
    a->wm_s0 = intern("WM_S0");
    a->net_supported = intern("_NET_SUPPORTED");
    a->net_frame_extents = intern("_NET_FRAME_EXTENTS");
    a->net_wm_state = intern("_NET_WM_STATE");
    a->net_wm_state_fullscreen = intern("_NET_WM_STATE_FULLSCREEN");
    a->net_request_frame_extents = intern("_NET_REQUEST_FRAME_EXTENTS");
    a->zelvan_time = intern("_ZELVAN_TIME");
}

// Surfaces are BGRX words; a 24- or 32-bit TrueColor visual with those masks shows them as
// they are. Other visuals would need a conversion per pixel, which this driver does not do.
bool visual_takes_bgrx(Display *display, int screen) {
    XVisualInfo wanted{};
    wanted.screen = screen;
    wanted.visualid = XVisualIDFromVisual(DefaultVisual(display, screen));
    int count = 0;
    XVisualInfo *info = XGetVisualInfo(display, VisualScreenMask | VisualIDMask, &wanted, &count);
    bool ok = info != nullptr && count > 0 && info->c_class == TrueColor &&
              (info->depth == 24 || info->depth == 32) && info->red_mask == 0xFF0000 &&
              info->green_mask == 0x00FF00 && info->blue_mask == 0x0000FF;
    if (info != nullptr) XFree(info);
    int formats = 0;
    XPixmapFormatValues *pf = XListPixmapFormats(display, &formats);
    bool packed = false;
    for (int i = 0; pf != nullptr && i < formats; ++i) {
        if (pf[i].depth == DefaultDepth(display, screen)) packed = pf[i].bits_per_pixel == 32;
    }
    if (pf != nullptr) XFree(pf);
    return ok && packed && ImageByteOrder(display) == LSBFirst;
}

// MIT-SHM only helps a server on this machine; a segment it cannot attach is noticed by the
// first present, which then falls back to XPutImage.
bool shm_usable(Display *display) {
    int major = 0, minor = 0;
    Bool pixmaps = False;
    return XShmQueryExtension(display) && XShmQueryVersion(display, &major, &minor, &pixmaps);
}

bool x11_open(const display_sink *sink) {
    XInitThreads(); // a host program may use Xlib on its own threads too
    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        // Without DISPLAY nobody expected a screen; with one, the user wonders why none shows.
        const char *name = getenv("DISPLAY");
        if (name != nullptr && name[0] != '\0') {
            fprintf(stderr,
                    "zelvan: no X server answers at DISPLAY=%s, so no window appears on "
                    "screen\n",
                    name);
        }
        return false;
    }
    int screen = DefaultScreen(display);
    if (!visual_takes_bgrx(display, screen)) {
        fprintf(stderr, "zelvan: the X display's visual is not 24/32-bit TrueColor; "
                        "windows stay off screen\n");
        XCloseDisplay(display);
        return false;
    }
    if (state_record == nullptr) state_record = new x11_state();
    x11_state &s = *state_record;
    s.display = display;
    s.screen = screen;
    s.root = RootWindow(display, screen);
    s.visual = DefaultVisual(display, screen);
    s.depth = DefaultDepth(display, screen);
    s.colormap = DefaultColormap(display, screen);
    s.gc = XCreateGC(display, s.root, 0, nullptr);
    s.sink = *sink;
    s.screen_width = DisplayWidth(display, screen);
    s.screen_height = DisplayHeight(display, screen);
    s.screen_dpi = x11_xft_dpi(XResourceManagerString(display));
    s.shm_offered = shm_usable(display);
    intern_atoms(&s.atoms);
    host_error_handler = XSetErrorHandler(count_error);
    host_io_error_handler = XSetIOErrorHandler(note_lost_connection);
    XSetIOErrorExitHandler(display, keep_running_after_io_error, nullptr);
    x11_learn_frame_extents();
    Window child;
    int root_x = 0, root_y = 0, x, y;
    unsigned mask;
    XQueryPointer(display, s.root, &s.root, &child, &root_x, &root_y, &x, &y, &mask);
    s.pointer_x = root_x;
    s.pointer_y = root_y;
    s.opened.store(true, std::memory_order_release);
    return true;
}

// Closes the connection (a broken one only frees our side) while our handlers are still in
// place, then gives the host's handlers back, if it uses Xlib itself.
void close_connection(x11_state &s) {
    if (s.closed) return;
    bool broken = s.lost.exchange(true);
    if (!broken) x11_close_input_method();
    if (!broken) XSync(s.display, False);
    XFreeGC(s.display, s.gc); // its memory is ours; the server frees the rest with the client
    XCloseDisplay(s.display);
    s.closed = true;
    XSetErrorHandler(host_error_handler);
    XSetIOErrorHandler(host_io_error_handler);
}

// Nobody can talk to the server once the GUI thread is gone (the library is shutting down).
void gui_thread_ended(void *) {
    close_connection(*state_record);
}

void remember_gui_thread(void) {
    x11_state &s = *state_record;
    s.gui_thread = pthread_self();
    gui_thread_key_made = pthread_key_create(&gui_thread_key, gui_thread_ended) == 0;
    if (gui_thread_key_made) pthread_setspecific(gui_thread_key, state_record); // non-null
    s.gui_known.store(true, std::memory_order_release);
}

// At unload the GUI thread has ended and closed the connection, unless it never talked to
// the server; the key goes too, or 200 loads would use up the process's keys.
void x11_release(void) {
    if (state_record == nullptr) return;
    close_connection(*state_record);
    if (gui_thread_key_made) pthread_key_delete(gui_thread_key);
    gui_thread_key_made = false;
    x11_clipboard_release();
    delete state_record;
    state_record = nullptr;
}

} // namespace

x11_state &x11(void) {
    return *state_record;
}

bool x11_claim_gui_thread(void) {
    x11_state &s = x11();
    if (!s.gui_known.load(std::memory_order_acquire)) {
        // Only the first thread that creates a window gets here before gui_known is set.
        static pthread_mutex_t claim = PTHREAD_MUTEX_INITIALIZER;
        pthread_mutex_lock(&claim);
        if (!s.gui_known.load()) remember_gui_thread();
        pthread_mutex_unlock(&claim);
    }
    return x11_on_gui_thread();
}

bool x11_on_gui_thread(void) {
    x11_state &s = x11();
    return s.gui_known.load(std::memory_order_acquire) && !s.lost.load() &&
           pthread_equal(s.gui_thread, pthread_self());
}

void x11_report(display_event *event) {
    x11().sink.report(event);
}

display_window *x11_find(Window xid) {
    auto found = x11().windows.find(xid);
    return found != x11().windows.end() ? found->second : nullptr;
}

bool x11_connection_lost(void) {
    x11_state &s = x11();
    if (!s.lost.load()) return false;
    // Told from the GUI thread's look for events: no driver call is under way there.
    bool gui =
        s.gui_known.load(std::memory_order_acquire) && pthread_equal(s.gui_thread, pthread_self());
    if (gui && !s.loss_reported) {
        s.loss_reported = true;
        display_event e{};
        e.kind = DISPLAY_EVENT_LOST;
        x11_report(&e);
    }
    return true;
}

int x11_errors_since(int before) {
    XSync(x11().display, False);
    return x11().x_errors - before;
}

extern const display_driver display_x11_driver = {
    "x11",
    DISPLAY_GUARDED(x11_open),
    DISPLAY_GUARDED(x11_create),
    DISPLAY_GUARDED(x11_destroy),
    DISPLAY_GUARDED(x11_move_resize),
    DISPLAY_GUARDED(x11_show),
    DISPLAY_GUARDED(x11_raise),
    DISPLAY_GUARDED(x11_set_title),
    DISPLAY_GUARDED(x11_present),
    DISPLAY_GUARDED(x11_pump_events),
    DISPLAY_GUARDED(x11_cursor_pos),
    DISPLAY_GUARDED(x11_screen_size),
    DISPLAY_GUARDED(x11_clipboard_export),
    DISPLAY_GUARDED(x11_clipboard_export_png),
    DISPLAY_GUARDED(x11_event_fd),
    DISPLAY_GUARDED(x11_frame_extents),
    DISPLAY_GUARDED(x11_release),
    DISPLAY_GUARDED(x11_set_placement),
    DISPLAY_GUARDED(x11_screen_dpi),
    DISPLAY_GUARDED(x11_set_cursor),
    DISPLAY_GUARDED(x11_set_icon),
};
