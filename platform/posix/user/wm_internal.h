// The window manager's shared state: windows, classes and per-thread message queues.
//
// One lock guards all of it. Window procedures, display drivers and GDI are never called with
// the lock held, and nothing keeps a window pointer across an unlock: handles are looked up
// again, so a window destroyed meanwhile is simply not found.
#ifndef ZELVAN_WM_INTERNAL_H
#define ZELVAN_WM_INTERNAL_H

#include "platform/posix/display/display.h"
#include "platform/posix/gdi/gdi_surface.h"
#include "platform/win32.h"

#include <pthread.h>
#include <stdint.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

struct wm_queue;

struct wm_class {
    std::string name;
    ATOM atom;
    UINT style;
    WNDPROC proc;
    HBRUSH background;
    bool unicode; // registered with RegisterClassW: its windows take UTF-16 characters
};

struct wm_window {
    // First, on one cache line: what dispatching a message to the window reads.
    HWND hwnd;
    wm_queue *owner;
    WNDPROC proc;
    LONG_PTR user_data;
    UINT class_style;
    HBRUSH class_background;
    HINSTANCE instance;
    DWORD style;
    DWORD ex_style;
    bool unicode;      // of a Unicode class: WM_CHAR carries UTF-16 units
    std::string title; // UTF-8

    RECT frame;        // screen coordinates
    RECT normal_frame; // where a minimised or maximised window goes back to
    // Where the program last put it: what it asked of the display (fullscreen or not), which
    // the display's own moves, stale ones included, do not change.
    RECT asked_frame;
    bool visible;
    bool minimized;
    bool maximized;
    bool needs_first_size; // the first show still owes WM_SIZE and WM_MOVE, as on Win32
    bool destroying;
    bool dpi_aware; // made by a thread aware of the screen's density: told its real dpi
    UINT dpi;       // the density of the screen it stands on, once the driver said; else 0

    // Painting: the update region is kept as its bounding rectangle, in client coordinates.
    bool invalid;
    bool erase;
    RECT update;
    bool present_pending; // a DC released on another thread; the owner presents it
    RECT present_rect;

    gdi_surface surface; // the client pixels; resized only on the owner thread
    HDC own_dc;          // CS_OWNDC classes: the one DC of the window
    std::vector<HDC> temporary_dcs;
    display_window *shown;
    const display_driver *driver; // the driver that made `shown`, which alone may take it
    std::vector<uint32_t> timers; // its timers' slots in the owner's queue
    display_placement placement;  // what the driver was last told, once `placement_told`
    bool placement_told;
    HICON icons[2]; // by ICON_SMALL and ICON_BIG, as WM_SETICON gave them
};

// A message (or a piece of internal work) sent to another thread's window.
struct wm_sent {
    HWND hwnd;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
    LRESULT (*work)(HWND hwnd, void *context); // instead of a message when not null
    void *context;
    LRESULT result;
    bool done;
    wm_queue *sender; // null: nobody waits, the receiver frees the record
};

struct wm_timer {
    HWND hwnd;
    UINT_PTR id;
    UINT period;
    UINT slack; // due times stay on multiples of it, so timers set apart fall due together
    uint64_t due;
    TIMERPROC proc;
    uint64_t serial; // new at every (re)scheduling; 0 while the slot is free
};

// One scheduling of a timer, filed under its due time. Entries are never searched for: a
// killed or rescheduled timer leaves its old entry behind, stale as its serial moved on.
struct wm_timer_entry {
    uint32_t slot;
    uint64_t serial;
};

// The timers due at one instant, taken in the order they were filed.
struct wm_timer_bucket {
    std::vector<wm_timer_entry> entries;
    size_t taken;
};

struct wm_queue {
    DWORD thread_id;
    pthread_cond_t wake; // signalled for every change a waiting thread may care about
    // A thread that sleeps in poll() for its display events is woken through this eventfd
    // instead (made when first needed); `polling` says it is asleep there now.
    int wake_fd;
    bool polling;
    std::deque<MSG> posted;
    std::deque<wm_sent *> sent;
    // Timers live in slots (a window lists its own, `thread_timers` the rest) and are filed
    // by due time: the next one due is at the front of the first bucket.
    std::vector<wm_timer> timer_slots;
    std::vector<uint32_t> free_timer_slots;
    std::vector<uint32_t> thread_timers;
    std::map<uint64_t, wm_timer_bucket> timer_buckets;
    size_t timer_count;   // live timers
    size_t timer_entries; // entries in the buckets, stale ones included
    uint64_t timer_serial;
    std::vector<HWND> windows; // owned windows, in creation order
    // Set whenever one of the windows is invalidated or has a present pending, and cleared
    // only by a scan that found none: an idle queue with thousands of windows is not
    // scanned on every peek.
    bool maybe_invalid;
    bool maybe_present;
    bool quit;
    int quit_code;
    HWND active;
    HWND focus;
};

struct wm_state {
    pthread_mutex_t lock;
    std::vector<wm_window *> slots;
    std::vector<uint32_t> generations;
    std::vector<wm_class *> classes;
    std::vector<wm_queue *> queues;
    HWND foreground;
    POINT last_pointer;  // screen position of the last pointer event, for MSG.pt
    HWND capture;        // the window that holds the mouse capture, or null
    HWND pointer_window; // the window whose client area the pointer is over, or null
    HCURSOR cursor;      // as SetCursor last set it
    bool keys_down[256]; // per virtual key: down after the last key event the drivers reported
    unsigned display_wakes;
    UINT_PTR next_thread_timer;
    std::vector<HDC> screen_dcs; // GetDC(NULL)'s DCs not released yet
    pthread_key_t thread_key;
};

// ---- state (wm_state.cpp) ----
wm_state &wm(void);
void wm_lock(void);
void wm_unlock(void);
// True when the calling thread's DPI awareness context lets its new windows see the screen's
// density (dpi_awareness.cpp).
bool wm_thread_dpi_aware(void);
// The driver saw the window reach a screen of another density: an aware window is told with
// WM_DPICHANGED, as Windows tells it. Owner thread.
void wm_density_changed(HWND hwnd, int dpi);
wm_window *wm_find(HWND hwnd); // lock held; null for a handle that names no window
// Starts loading the window's record into the cache, for a look-up to come soon. Lock held.
void wm_prefetch_window(HWND hwnd);
HWND wm_insert(wm_window *window);      // lock held
void wm_remove(wm_window *window);      // lock held; the handle stops naming the window
wm_queue *wm_this_queue(void);          // lock held; the calling thread's queue, made on demand
wm_queue *wm_this_queue_if_any(void);   // lock held; null when the thread has none yet
void wm_signal(wm_queue *queue);        // lock held
void wm_free_window(wm_window *window); // lock not held; DCs, surface, display window, record
// Gives the window the display window `driver` made for it; false (and the display window
// given back) when the window is gone. Lock not held.
bool wm_attach_shown(HWND hwnd, display_window *shown, const display_driver *driver);
void wm_set_error(DWORD code);
// Frees the window manager's state at unload; false (nothing freed) while a window remains.
bool wm_release_all(void);

// ---- the display driver (display_link.cpp) ----
// The driver new windows are shown by; null when the one the user chose cannot be opened.
const display_driver *wm_driver(void);
// Someone else destroyed the window's screen image: a visible window is destroyed with it, a
// hidden one gets a new image.
void wm_display_window_gone(HWND hwnd);
// The driver lost its screen: the headless one takes over for new windows, this thread's
// windows on the lost screen are destroyed, hidden ones move. On the thread that pumps it.
void wm_display_lost(void);

// ---- input (input/input.cpp) ----
// The one entry point through which display drivers report input and exposure; they reach it
// through the display_sink they were opened with.
void wm_display_report(const display_event *event);
// The user asked to close the window (close box, Alt+F4): WM_SYSCOMMAND SC_CLOSE, unless its
// class has CS_NOCLOSE.
void wm_user_close(HWND hwnd);

// ---- keyboard (input/keyboard.cpp) ----
// The window keyboard input goes to: `window` when the driver named one, else the focus of
// the foreground thread, or null.
HWND wm_keyboard_target(HWND window);
// A key going down or up becomes WM_KEYDOWN, WM_KEYUP or their WM_SYS forms.
void wm_key_event(const display_event &event);

// ---- sending (messages/send_message.cpp) ----
// Runs `work` for `hwnd` on its owner thread and returns its result; 0 if the window is gone.
LRESULT wm_run_on_owner(HWND hwnd, LRESULT (*work)(HWND, void *), void *context);
// Like wm_run_on_owner, but does not wait for the owner (context must outlive the call).
void wm_notify_owner(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                     LRESULT (*work)(HWND, void *), void *context);
// Calls the window procedure on this thread (no lock held); 0 if the window is gone.
LRESULT wm_call_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
// Runs one message sent to `queue`'s thread; lock held, released meanwhile. False when none.
bool wm_run_one_sent(wm_queue *queue);
// Ends every send still waiting on a queue whose thread is gone, with result 0. Lock held.
void wm_abandon_sent(wm_queue *queue);

// ---- timers (messages/timers.cpp) ----
// Copies the earliest timer of `queue` due at `now` that passes the filter into `*out`; false
// when there is none. Taking it (`take`) starts its next period. Lock held.
bool wm_due_timer(wm_queue *queue, HWND filter, uint64_t now, bool take, wm_timer *out);
// The earliest due time of `queue`'s timers, or UINT64_MAX. Lock held.
uint64_t wm_next_timer_due(wm_queue *queue);
void wm_kill_window_timers(wm_window *window); // lock held

// ---- painting (paint.cpp) ----
// A window of `queue` that needs WM_PAINT and passes the filter, or null. Lock held.
HWND wm_window_to_paint(wm_queue *queue, HWND filter);
// Presents what other threads released on this queue's windows. Lock held, released meanwhile.
void wm_run_pending_presents(wm_queue *queue);
// Gives the surface the client size; lock held.
void wm_resize_surface(wm_window *window, int width, int height);
void wm_invalidate_all(HWND hwnd, bool erase);

// ---- geometry (geometry.cpp) ----
// Window edges are kept within +-(2^30 - 1), so that every width, inset and edge sum the
// window manager forms fits in an int; nothing that far out can be on a screen anyway.
LONG wm_clamp_edge(int64_t value);
RECT wm_clamp_rect(const RECT &rect);
// The rectangle of `width` x `height` at (x, y), its edges clamped.
RECT wm_rect_at(int64_t x, int64_t y, int64_t width, int64_t height);
RECT wm_frame_insets(DWORD style);
// Titled windows take the window manager's decoration widths from now on (set once, when the
// driver opens, before any rectangle is computed).
void wm_set_decoration(const RECT &extents);
RECT wm_client_screen_rect(const wm_window *window);
MINMAXINFO wm_default_minmax(DWORD style);
// Moves the frame on the owner thread and sends WM_MOVE and WM_SIZE for what changed.
void wm_set_frame(HWND hwnd, const RECT &frame, bool force_size, bool repaint);
// The same for a frame the display reports (the user's drag, its window manager's placing).
void wm_follow_display_frame(HWND hwnd, const RECT &frame);
// The size of the one screen (and monitor) this platform knows.
void wm_screen_size(int *width, int *height);

// ---- placement (placement.cpp) ----
// Tells the display how the user may place the window now: the sizes its WM_GETMINMAXINFO
// allows a drag when its style has a sizing border, else its own size; and whether it covers
// the screen without a frame. Owner thread, lock not held.
void wm_update_placement(HWND hwnd);

// ---- activation (activation.cpp) ----
void wm_activate(HWND hwnd, WORD how); // owner thread
void wm_deactivate(HWND hwnd);         // owner thread
void wm_activate_later(HWND hwnd);     // any thread; click activation, nobody waits
LRESULT wm_show_on_owner(HWND hwnd, void *command);

// ---- classes (window_class.cpp) ----
struct wm_class *wm_find_class(LPCSTR name); // lock held

// ---- cursor and icons (input/cursor_and_icon.cpp) ----
// The default answers to WM_SETCURSOR, and to WM_SETICON and WM_GETICON.
LRESULT wm_default_set_cursor(HWND hwnd, LPARAM lparam);
LRESULT wm_default_icon_message(HWND hwnd, UINT message, WPARAM which, LPARAM lparam);

// Titles are kept in UTF-8 (window_text.cpp). The ANSI form is cut to `max_chars` with its
// NUL; returns the bytes written before the NUL.
std::string wm_utf8_from_ansi(LPCSTR text);
std::string wm_utf8_from_wide(LPCWSTR text);
int wm_ansi_from_utf8(const std::string &text, LPSTR out, int max_chars);

#endif
