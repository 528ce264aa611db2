// The display driver table: how the window manager shows windows and hears about input.
//
// The window manager (user/) owns every window's state and pixels. A driver only mirrors
// them on some screen and reports what the user did through the event sink it was opened
// with; it never calls into user/ otherwise. Every call for one window comes from the
// thread that owns the window, and never while the window manager holds its own lock.
#ifndef ZELVAN_DISPLAY_H
#define ZELVAN_DISPLAY_H

#include "platform/win32.h"

#include <stddef.h>
#include <stdint.h>

// A driver's own record of one window; opaque to the window manager.
struct display_window;

// Show states a driver mirrors.
enum display_show { DISPLAY_HIDDEN, DISPLAY_NORMAL, DISPLAY_MINIMIZED, DISPLAY_MAXIMIZED };

// Button and modifier bits in events: the state after the event.
enum {
    DISPLAY_BUTTON_LEFT = 1,
    DISPLAY_BUTTON_RIGHT = 2,
    DISPLAY_BUTTON_MIDDLE = 4,
    DISPLAY_MOD_SHIFT = 8,
    DISPLAY_MOD_CONTROL = 16,
    DISPLAY_BUTTON_X1 = 32, // the side buttons of five-button mice
    DISPLAY_BUTTON_X2 = 64,
    DISPLAY_MOD_ALT = 128,
};

// Pointer moves and buttons name the window under the pointer, with `x`, `y` in its client
// coordinates; over no client area of ours, `window` is NULL and `x`, `y` are screen
// coordinates (a window that holds the mouse capture still wants them).
enum display_event_kind {
    DISPLAY_EVENT_POINTER_MOVE, // over `window`'s client area at `x`, `y` (client coordinates)
    DISPLAY_EVENT_BUTTON_DOWN,  // `button` pressed over `window` at `x`, `y`
    DISPLAY_EVENT_BUTTON_UP,    // `button` released over `window` at `x`, `y`
    DISPLAY_EVENT_CHAR,         // `character` typed `repeat` times; `window` may be NULL (focus)
    DISPLAY_EVENT_EXPOSE,       // the client rectangle `rect` of `window` must be repainted
    DISPLAY_EVENT_CONFIGURE,    // the user moved or sized `window`'s frame to `rect` (screen)
    DISPLAY_EVENT_MAXIMIZE,     // the user asked to maximise `window`
    DISPLAY_EVENT_MINIMIZE,     // the user asked to minimise `window`
    DISPLAY_EVENT_RESTORE,      // the user asked to restore `window`
    DISPLAY_EVENT_CLOSE,        // the user asked to close `window`
    DISPLAY_EVENT_WHEEL,        // the wheel turned `repeat` notches (positive: away from the
                                // user, or right when `button` is 1) over `window` at `x`, `y`
    DISPLAY_EVENT_FOCUS_IN,     // the screen gave `window` the keyboard focus
    DISPLAY_EVENT_FOCUS_OUT,    // the screen took the keyboard focus away from `window`
    DISPLAY_EVENT_DESTROYED,    // someone else destroyed `window` on the screen; the driver
                                // sends nothing more for it but still expects its destroy
    DISPLAY_EVENT_LOST,         // the screen went away: the driver has stopped, every window
                                // it made is gone from the screen; `window` is NULL
    DISPLAY_EVENT_KEY_DOWN,     // the key with virtual-key code `key` went down (again, when
                                // it repeats); `window` may be NULL (focus)
    DISPLAY_EVENT_KEY_UP,       // the key `key` was released; `window` may be NULL (focus)
    DISPLAY_EVENT_DENSITY,      // `window` now stands on a screen of `dpi` dots per inch
};

struct display_event {
    display_event_kind kind;
    HWND window; // the cookie the window was created with
    int x;
    int y;
    int button;         // one DISPLAY_BUTTON_ bit
    int state;          // DISPLAY_BUTTON_ and DISPLAY_MOD_ bits after the event
    uint32_t character; // a Unicode code point
    int repeat;
    RECT rect;
    int key; // a Win32 virtual-key code (VK_), for key events
    int dpi; // for DISPLAY_EVENT_DENSITY
};

// What the window manager gives a driver when it opens it.
struct display_sink {
    // The one way a driver reports input and exposure; callable from any thread.
    void (*report)(const display_event *event);
    // Wakes threads waiting for messages, so that they pump the driver's events.
    void (*wake)(void);
};

// What the window manager tells a driver about a window: rectangles are in screen coordinates,
// titles (here and in set_title) in UTF-8.
struct display_window_desc {
    HWND cookie;
    const char *title;
    RECT frame;
    RECT client;
};

// How the user may place a window: the client sizes a drag of its border may give it (equal
// minimum and maximum: a fixed size), and whether it covers the whole screen undecorated.
struct display_placement {
    int min_width;
    int min_height;
    int max_width;
    int max_height;
    bool fullscreen;
};

struct display_driver {
    const char *name;
    // Opens the driver; false when its screen is unavailable (then the next driver is tried).
    bool (*open)(const display_sink *sink);
    display_window *(*create)(const display_window_desc *desc);
    void (*destroy)(display_window *window);
    // New frame and client rectangles, e.g. after MoveWindow or a resize.
    void (*move_resize)(display_window *window, const RECT *frame, const RECT *client);
    void (*show)(display_window *window, display_show state);
    void (*raise)(display_window *window);
    void (*set_title)(display_window *window, const char *title);
    // Copies `rect` (client coordinates, clipped by the driver) of a BGRX surface to the screen.
    void (*present)(display_window *window, const uint32_t *pixels, int width, int height,
                    int stride, const RECT *rect);
    // Delivers pending events through the sink; never blocks. Called by threads that look for
    // messages.
    void (*pump_events)(void);
    // The pointer's screen position.
    void (*cursor_pos)(POINT *point);
    // The size of the screen in pixels.
    void (*screen_size)(int *width, int *height);
    // Offers a packed DIB (BITMAPINFOHEADER, colour table, pixels) to other programs as the
    // clipboard's picture; the driver copies the bytes. Called on the thread that set it.
    // False when the driver has no memory for its copy.
    bool (*clipboard_export)(const void *dib, size_t bytes);
    // Offers a PNG file of the picture last given to clipboard_export, which keeps its alpha,
    // as that picture's PNG form in place of one made from the DIB; the driver copies the
    // bytes, and forgets them at the next clipboard_export. Same thread and result as that.
    // May be null.
    bool (*clipboard_export_png)(const void *png, size_t bytes);
    // For a thread about to sleep in WaitMessage: a descriptor that becomes readable when
    // events for that thread arrive, DISPLAY_EVENTS_QUEUED when some already wait to be
    // pumped, or -1 when the thread hears nothing from this driver. Null for drivers that
    // report through the sink's wake alone.
    int (*event_fd)(void);
    // The window manager's decoration around the client area of a titled window (left, top,
    // right and bottom widths), learnt when the driver opened; false when unknown. May be null.
    bool (*frame_extents)(RECT *extents);
    // Frees what the driver keeps for the process (its connection, its screen) when the
    // library is unloaded: no window of it is left and no thread calls it any more.
    void (*release)(void);
    // The window's placement changed (its style or its limits); until told, a window keeps
    // the client size it was made with. May be null.
    void (*set_placement)(display_window *window, const display_placement *placement);
    // The screen's density in dots per inch, as the desktop states it; 0 when it states none.
    // May be null (then 96, the density Windows takes by default).
    int (*screen_dpi)(void);
    // Shows the pointer over the window as the default arrow, or hides it there. May be null.
    void (*set_cursor)(display_window *window, bool visible);
    // The window's icon: `width` x `height` pixels, 0xAARRGGBB, straight (not premultiplied)
    // alpha, rows from the top; the driver copies them. Null pixels: the default icon again.
    // May be null.
    void (*set_icon)(display_window *window, const uint32_t *argb, int width, int height);
};

enum { DISPLAY_EVENTS_QUEUED = -2 };

// Keys that type punctuation are named by the virtual-key codes of the keys that type it on a
// US keyboard (VK_OEM_). The code of the key typing the printable character `c` (with or
// without SHIFT), or 0 when the character is no punctuation the codes name.
int display_key_for_punctuation(int c);
// What the key `vk` types without SHIFT (letters in upper case, as Win32 reports them), or 0.
int display_unshifted_character(int vk);

// The drivers in order of preference, ending with NULL: Wayland, then X11, where they are
// built; headless always works.
extern const display_driver *const display_drivers[];

extern const display_driver display_headless_driver;

// Opens the driver that ZELVAN_DISPLAY names ("wayland", "x11", "headless"), or else the first
// that works (once per process), and returns it; NULL when the named one cannot be opened.
const display_driver *display_open(const display_sink *sink);

// The opened driver lost its screen: opens the headless driver in its place and returns it.
// The lost driver is released with the rest at unload.
const display_driver *display_fall_back(const display_sink *sink);

// Makes `driver` the one display_open returns, if no driver has been opened yet; for tests
// that need the headless screen even where an X server is reachable.
bool display_force(const display_driver *driver);

// Releases every driver that was opened when the library is unloaded; no window may be left
// and no thread may call a driver afterwards.
void display_release(void);

#endif
