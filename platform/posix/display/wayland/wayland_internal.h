// The Wayland driver's shared state and the functions its files offer one another.
//
// Only the GUI thread (the thread that shows the first window) talks to the compositor. Other
// threads read a few values it keeps up to date (the pointer, the screen) and hand the
// clipboard's picture over under a lock; the clipboard's transfers run on threads of their own
// that touch nothing but their picture and their pipe.
//
// Units: a platform pixel is a pixel of the output, as on X11. A window on an output of scale N
// has a buffer N times its surface's size in the compositor's logical units, attached with
// buffer scale N, so each pixel of the buffer is one pixel of the screen.
#ifndef ZELVAN_WAYLAND_INTERNAL_H
#define ZELVAN_WAYLAND_INTERNAL_H

#include "platform/posix/display/display.h"
#include "platform/posix/display/picture/picture_streams.h"

#include <wayland-client.h>

#include "xdg-decoration-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

#include <pthread.h>

#include <atomic>
#include <vector>

struct libdecor;
struct libdecor_frame;

// One monitor: its scale and its current mode, in pixels of the output.
struct wayland_output {
    wl_output *proxy;
    uint32_t name; // the registry's name, to forget it when the global goes
    int scale;
    int width;
    int height;
    bool sideways; // turned by 90 or 270 degrees: the mode's width is the screen's height
};

// One wl_shm buffer the compositor may be reading while `busy`.
struct wayland_buffer {
    wl_buffer *proxy;
    uint32_t *pixels;
    size_t bytes;
    int width;
    int height;
    bool busy;  // committed, not released yet
    bool fresh; // never written: every pixel must be copied into it
    RECT stale; // where newer frames differ from what it holds (buffer coordinates)
};

enum { WAYLAND_BUFFERS = 3 };

// One library window: a surface with the xdg toplevel role, made when first shown.
struct display_window {
    HWND cookie;
    RECT frame;  // screen coordinates, as the window manager set them: Wayland places windows
    RECT client; // itself, so these are remembered and reported, never applied
    display_show show;
    char *title; // UTF-8, kept for the toplevel made at the first show
    display_placement placement;
    bool placement_known;

    wl_surface *surface;
    // Its role: an xdg toplevel of the driver's own, framed by the compositor, or one that
    // libdecor made and frames (`decor_frame`), where the compositor draws no frames.
    xdg_surface *xdg;
    xdg_toplevel *toplevel;
    zxdg_toplevel_decoration_v1 *decoration;
    libdecor_frame *decor_frame;
    bool client_frame_wanted; // the compositor answered that it draws no frame for this one

    bool configured;     // the first configure is acknowledged: buffers may be attached
    bool has_buffer;     // a buffer is attached and mapped
    bool configure_news; // a configure waits to be settled
    uint32_t configure_serial;
    int configure_width; // logical size the compositor suggested, 0 for ours
    int configure_height;
    bool configure_fullscreen;
    bool configure_maximized;

    int scale;                             // the buffer scale of the outputs it is on
    int committed_scale;                   // the buffer scale last committed
    std::vector<wayland_output *> outputs; // the outputs the surface is on
    wayland_buffer buffers[WAYLAND_BUFFERS];
    wl_callback *frame_callback; // the last commit's frame, until the compositor answers
    bool cursor_hidden;          // no pointer image over it (ZVShowCursor)
};

struct wayland_state {
    wl_display *display;
    wl_registry *registry;
    wl_compositor *compositor;
    wl_shm *shm;
    xdg_wm_base *wm_base;
    zxdg_decoration_manager_v1 *decorations; // null: the compositor draws no frames
    // The compositor draws no frames (it has no decoration manager, or answered a window that
    // it does not draw one): libdecor draws them, started at the first window that needs it.
    bool frames_by_client;
    libdecor *decor;
    bool decor_tried;
    wl_seat *seat;
    wl_pointer *pointer;
    wl_keyboard *keyboard;
    wl_data_device_manager *data_manager;
    wl_data_device *data_device;
    // Frame callbacks and buffer releases come here, so that a present waiting for them
    // dispatches nothing else.
    wl_event_queue *frame_queue;
    int wake_fd; // epoll: the connection and the key repeat timer

    display_sink sink;
    std::atomic<bool> opened; // set last by open: the fields above are ready for any thread
    std::atomic<bool> lost;   // the connection broke: every call becomes a no-op
    bool loss_reported;
    std::atomic<bool> gui_known;
    pthread_t gui_thread;

    std::vector<wayland_output *> outputs;
    std::vector<display_window *> windows; // GUI thread only
    std::vector<display_event> reports;    // events waiting to be reported, in order

    std::atomic<int> pointer_x; // screen position of the pointer in the last event that had one
    std::atomic<int> pointer_y;
    std::atomic<int> screen_width; // the first output's size and scale
    std::atomic<int> screen_height;
    std::atomic<int> screen_scale;
    uint32_t input_serial; // the latest serial of an input event, for the clipboard
};

wayland_state &wayland(void);

// True on the thread that talks to the compositor (and the connection still works).
bool wayland_on_gui_thread(void);
// Makes the calling thread the GUI thread if none is yet; true if it is the GUI thread.
bool wayland_claim_gui_thread(void);
// Queues an event for the sink; reported after the dispatch that made it, with no listener
// of libwayland's on the stack (a report may call back into the driver).
void wayland_report(const display_event &event);
// The connection failed: marks it lost (the GUI thread's next pump reports it).
void wayland_connection_failed(void);
display_window *wayland_window_of(wl_surface *surface); // null for surfaces not ours

// ---- events (wayland_events.cpp) ----
void wayland_pump_events(void);
int wayland_event_fd(void);
// Sends what is buffered; false when the connection broke.
bool wayland_flush(void);
// Reads what the socket holds into the queues, waiting up to `timeout_ms` for it (0: only
// what is there); `queue` is the queue that must hold no events before. False on a broken
// connection.
bool wayland_read(wl_event_queue *queue, int timeout_ms);

// ---- outputs (wayland_outputs.cpp) ----
void wayland_output_added(uint32_t name, uint32_t version);
void wayland_output_removed(uint32_t name);
wayland_output *wayland_output_of(wl_output *proxy);
// The scale of the outputs the window is on: the largest, or the screen's while it is on none.
int wayland_window_scale(const display_window *window);
// The window's outputs changed, or their scales: a new scale is taken and reported.
void wayland_rescale(display_window *window);
void wayland_cursor_pos(POINT *point);
void wayland_screen_size(int *width, int *height);
int wayland_screen_dpi(void);

// ---- windows (wayland_window.cpp, wayland_toplevel.cpp) ----
display_window *wayland_create(const display_window_desc *desc);
void wayland_destroy(display_window *window);
void wayland_move_resize(display_window *window, const RECT *frame, const RECT *client);
void wayland_show(display_window *window, display_show state);
void wayland_raise(display_window *window);
void wayland_set_title(display_window *window, const char *title);
void wayland_set_placement(display_window *window, const display_placement *placement);
// Makes the window's toplevel, asking for a frame drawn by the compositor, and its first
// commit; the compositor answers with a configure.
bool wayland_make_toplevel(display_window *window);
void wayland_drop_toplevel(display_window *window);
// Tells the toplevel the placement, the title, and fullscreen or maximised as `show` says.
void wayland_toplevel_apply(display_window *window, bool fullscreen_changed);
// Acts on the configures the last dispatch brought: reports sizes the window takes,
// acknowledges them and asks for a first picture.
void wayland_settle_configures(void);
// The client size, in screen pixels, that a configure of this logical size (0: none given)
// leaves the window: the compositor's, within the window's limits, or its own.
void wayland_wanted_size(const display_window *window, int width, int height, int *out_width,
                         int *out_height);
// Pixels to logical units, rounded up: a whole window at least this many pixels.
int wayland_logical(int pixels, int scale);
void wayland_report_close(display_window *window);

// What a toplevel is told: its title, its size limits in logical units (0: none), and the
// states to ask for.
struct wayland_toplevel_wish {
    const char *title;
    int min_width, min_height, max_width, max_height;
    bool fullscreen_changed;
    bool fullscreen;
    bool maximize;
    bool unmaximize;
    bool minimize;
};

// ---- frames drawn by the client (wayland_libdecor.cpp, where libdecor is built in) ----
#ifdef ZELVAN_HAVE_LIBDECOR
// libdecor started, at the first call; false (said once) where it cannot start.
bool wayland_frames_ready(void);
// Makes the window's toplevel through libdecor, framed, and maps it; false when it cannot.
bool wayland_frame_make(display_window *window);
void wayland_frame_drop(display_window *window);
void wayland_frame_apply(display_window *window, const wayland_toplevel_wish &wish);
// The program sized the window: the frame follows the new size.
void wayland_frame_resized(display_window *window);
void wayland_frames_dispatch(void);
void wayland_frames_release(void); // the connection goes
#else
// Built without libdecor: where the compositor draws no frames, windows have none.
inline bool wayland_frames_ready(void) {
    return false;
}
inline bool wayland_frame_make(display_window *) {
    return false;
}
inline void wayland_frame_drop(display_window *) {}
inline void wayland_frame_apply(display_window *, const wayland_toplevel_wish &) {}
inline void wayland_frame_resized(display_window *) {}
inline void wayland_frames_dispatch(void) {}
inline void wayland_frames_release(void) {}
#endif

// ---- buffers and presenting (wayland_buffers.cpp, wayland_present.cpp) ----
// A free buffer of this size, made if need be; null when none can be had.
wayland_buffer *wayland_free_buffer(display_window *window, int width, int height);
void wayland_drop_buffers(display_window *window);
void wayland_present(display_window *window, const uint32_t *pixels, int width, int height,
                     int stride, const RECT *rect);
// Waits up to `timeout_ms` for the compositor to answer the window's last frame; false when
// it did not (a window it does not show is not answered).
bool wayland_wait_frame(display_window *window, int timeout_ms);
// Answers the configure with the buffer already shown (a commit with no new picture).
void wayland_recommit(display_window *window);

// ---- input (wayland_seat.cpp, wayland_pointer.cpp, wayland_keyboard.cpp, wayland_keys.cpp) ----
void wayland_seat_added(uint32_t name, uint32_t version);
void wayland_input_stop(void);                     // the connection goes: input objects go
void wayland_input_forget(display_window *window); // the window goes: input stops naming it
void wayland_pointer_start(void);
void wayland_pointer_stop(void);
void wayland_set_cursor(display_window *window, bool visible);
void wayland_pointer_forget(display_window *window);
void wayland_keyboard_start(void);
void wayland_keyboard_stop(void);
void wayland_keyboard_forget(display_window *window);
void wayland_keyboard_release(void); // at unload: the keymap and the repeat timer
// The key repeat timer's descriptor, and what to do when it fires.
int wayland_repeat_fd(void);
void wayland_repeat_fired(void);
// The virtual-key code of a key: its keysym at the first shift level, and the keysym it gives
// now (the keypad follows Num Lock); 0 for keys the codes do not name.
int wayland_virtual_key(uint32_t unshifted, uint32_t now);
// The modifier bits (DISPLAY_MOD_) of the keyboard's state, and the buttons held (DISPLAY_BUTTON_).
int wayland_modifier_bits(void);
int wayland_button_bits(void);

// ---- clipboard (wayland_clipboard.cpp) ----
bool wayland_clipboard_export(const void *dib, size_t bytes);
bool wayland_clipboard_export_png(const void *png, size_t bytes);
void wayland_clipboard_take_pending(void); // GUI thread: offer a new picture
void wayland_clipboard_stop(void);         // the connection goes: its objects go
void wayland_clipboard_release(void);      // at unload: transfers end, memory is freed

#endif
