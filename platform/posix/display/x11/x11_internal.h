// The X11 driver's shared state and the functions its files offer one another.
//
// Only the GUI thread (the thread that creates the first window) talks to the X server;
// other threads see a few values it keeps up to date and hand the clipboard over under a lock.
#ifndef ZELVAN_X11_INTERNAL_H
#define ZELVAN_X11_INTERNAL_H

#include "platform/posix/display/display.h"
#include "platform/posix/display/picture/picture_streams.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <atomic>
#include <memory>
#include <unordered_map>
#include <vector>

// One library window on the server: an X window the size of the client area.
struct display_window {
    HWND cookie;
    Window xid;
    RECT frame;  // screen coordinates, as the window manager last set or heard them
    RECT client; // screen coordinates of the client area
    display_show show;
    XImage *shm_image; // the MIT-SHM staging image, shm_width x shm_height, or null
    XShmSegmentInfo shm;
    int shm_width;
    int shm_height;
    unsigned long configure_serial; // our last geometry request: older configure events are stale
    display_placement placement;    // how the user may place it, once `placement_known`
    bool placement_known;
    XIC input_context; // typed text through the input method; null: from keysyms
    // The window manager has taken the mapped window over (it set WM_STATE): only from then on
    // does it hear state changes as messages.
    bool managed;
    bool fullscreen_unheard; // asked for before that: said again once it has
};

struct x11_atoms {
    Atom wm_protocols;
    Atom wm_delete_window;
    Atom wm_state;
    Atom wm_change_state;
    Atom net_wm_name;
    Atom net_wm_icon;
    Atom net_active_window;
    Atom utf8_string;
    Atom clipboard;
    Atom targets;
    Atom timestamp;
    Atom incr;
    Atom image_png;
    Atom image_bmp;
    Atom wm_s0;
    Atom net_supported;
    Atom net_frame_extents;
    Atom net_wm_state;
    Atom net_wm_state_fullscreen;
    Atom net_request_frame_extents;
    Atom zelvan_time; // a property of our own, changed to learn the server's time
};

struct x11_state {
    Display *display;
    int screen;
    Window root;
    Visual *visual;
    int depth;
    Colormap colormap;
    GC gc;
    x11_atoms atoms;
    display_sink sink;
    bool shm_offered;         // MIT-SHM works for this connection (cleared if attaching fails)
    std::atomic<bool> opened; // set last by open: the fields above are ready for any thread
    std::atomic<bool> lost;   // the connection broke: every call becomes a no-op
    std::atomic<bool> gui_known;
    pthread_t gui_thread;
    std::unordered_map<Window, display_window *> windows; // by X window; GUI thread only
    unsigned long focus_request_serial; // focus events older than this answer our own request
    std::atomic<int> pointer_x; // root position of the pointer in the last event that had one
    std::atomic<int> pointer_y;
    int screen_width;
    std::atomic<int> screen_dpi; // Xft.dpi as last read, 0 when the resources name none
    int screen_height;
    bool frame_extents_known;
    RECT frame_extents; // the window manager's decoration widths, when known
    Time last_event_time;
    int x_errors; // protocol errors seen; read by x11_errors_since callers
    // Each kind of protocol error (error code, request and minor code) is told once.
    unsigned error_kinds_told[32];
    int error_kinds_count;
    // Windows another client destroyed: errors about requests sent to them before their
    // DestroyNotify was read are expected, not told.
    Window vanished[16];
    int vanished_next;
    Cursor invisible_cursor; // made on first need; None until then
    XIM input_method;        // null when none opened (then keysyms give the text)
    bool input_method_tried;
    bool loss_reported; // the user layer was told that the connection broke
    bool closed;        // XCloseDisplay ran: the display pointer is gone
};

x11_state &x11(void);

// True on the thread that talks to the server (and the connection still works).
bool x11_on_gui_thread(void);
// Makes the calling thread the GUI thread if none is yet; true if it is the GUI thread.
bool x11_claim_gui_thread(void);
void x11_report(display_event *event);
display_window *x11_find(Window xid);
// Synchronises and returns how many protocol errors the requests since `before` caused.
int x11_errors_since(int before);
// True once the connection broke; the GUI thread's first call after that reports the loss.
bool x11_connection_lost(void);

// ---- windows (x11_window.cpp) ----
display_window *x11_create(const display_window_desc *desc);
void x11_destroy(display_window *window);
void x11_move_resize(display_window *window, const RECT *frame, const RECT *client);
void x11_show(display_window *window, display_show state);
void x11_raise(display_window *window);
void x11_set_title(display_window *window, const char *title);
void x11_set_placement(display_window *window, const display_placement *placement);
void x11_set_cursor(display_window *window, bool visible);
void x11_set_icon(display_window *window, const uint32_t *argb, int width, int height);
// Another client destroyed the window's X window: forgets it on the server and says so.
void x11_window_vanished(display_window *window);
// WM_STATE says the window manager has taken a shown window over.
void x11_window_taken_over(display_window *window);
// True for an error about a window another client destroyed under us.
bool x11_window_error_expected(const XErrorEvent *error);

// ---- presenting (x11_present.cpp) ----
void x11_present(display_window *window, const uint32_t *pixels, int width, int height, int stride,
                 const RECT *rect);
void x11_release_shm(display_window *window);

// ---- events (x11_events.cpp) ----
void x11_pump_events(void);
int x11_event_fd(void);

// ---- keys (x11_keys.cpp) ----
// The virtual-key code of a key event's key, or 0; `looked_up` is XLookupString's keysym.
int x11_virtual_key(XKeyEvent *key, KeySym looked_up);

// ---- typed text (x11_text_input.cpp); GUI thread ----
void x11_open_input_method(void);
void x11_close_input_method(void);
// An input context for the window `xid`, which selects `event_mask`; null when there is none.
XIC x11_create_input_context(Window xid, long event_mask);
// The code points a key press types into `out` (at most `capacity`), and its keysym.
int x11_typed_code_points(display_window *w, XKeyEvent *key, uint32_t *out, int capacity,
                          KeySym *keysym);
// Decodes UTF-8 into at most `capacity` code points, each malformed byte as U+FFFD.
int x11_decode_utf8(const char *text, int bytes, uint32_t *out, int capacity);

// ---- screen (x11_screen.cpp) ----
void x11_cursor_pos(POINT *point);
void x11_screen_size(int *width, int *height);
int x11_screen_dpi(void);
int x11_xft_dpi(const char *resources);
bool x11_window_manager_running(void);
Time x11_server_time(Window window);
// Asks a running window manager how wide its decoration of a fixed-size window is; at open.
void x11_learn_frame_extents(void);
bool x11_frame_extents(RECT *extents);

// ---- clipboard (x11_clipboard.cpp) ----
// False when no copy of the picture could be kept.
bool x11_clipboard_export(const void *dib, size_t bytes);
bool x11_clipboard_export_png(const void *png, size_t bytes); // served as it is, for image/png
void x11_clipboard_take_pending(void); // GUI thread: own the selection for a new picture
bool x11_clipboard_handle(const XEvent *event);
void x11_clipboard_release(void); // at unload, after the connection is closed

#endif
