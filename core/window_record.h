// The window record: everything the library knows about one open window.
#ifndef ZELVAN_CORE_WINDOW_RECORD_H
#define ZELVAN_CORE_WINDOW_RECORD_H

#include "platform/saturate.h"
#include "platform/win32.h"

#include <stdint.h>

#include <atomic>

// Each window's refresh timer (core/window_refresh.h): the one timer id its window procedure
// answers, and the period a window starts with until the host sets another.
enum { REFRESH_TIMER_ID = 1, DEFAULT_REFRESH_MS = 50 };

// Creation handshake between the creating host thread and the GUI thread.
// CREATE_NO_MEMORY: the drawing surface or a layer's state could not be made, so no window was.
enum { CREATE_PENDING = 0, CREATE_DONE = 1, CREATE_FAILED = 2, CREATE_NO_MEMORY = 3 };

// The rectangle of `width` x `height` at (x, y), its far edges saturated.
inline RECT rect_at(int x, int y, int width, int height) {
    return RECT{x, y, saturate_int(int64_t{x} + width), saturate_int(int64_t{y} + height)};
}

// The states the layers above the core keep for a window (draw/drawing_state.h,
// window/input/user_input.h, window/frame_schedule.h, window/desktop_state.h): the core only
// holds them, and has them made and freed through g_library_parts.
struct drawing_state;
struct user_input;
struct frame_schedule;
struct desktop_state;

// Fields read on one thread and written on another are atomics; everything that hangs off
// `memory_dc` is guarded by `lock`, and the title and geometry rectangles by `state_lock`.
struct window_record {
    char *title; // the core names the window with it when it makes it
    // The window opens here, at this size; window/ keeps them current afterwards.
    std::atomic<int> x;
    std::atomic<int> y;
    std::atomic<int> width;
    std::atomic<int> height;
    std::atomic<int> create_status;
    // What every refresh tick reads, side by side: thousands of windows drawn at once are
    // ticked 20 times a second, and each tick should cost one cache line of the record. The
    // dirty flags and the view buffer are draw/'s, like the buffers (draw/window_buffers.h).
    std::atomic<int> in_use_count;
    std::atomic<int> buffer_dirty[2];
    std::atomic<int> view_buffer;
    // The refresh: its period in ms (0 once the host stopped it); whether the GUI thread runs
    // the timer or has been asked to (set by whoever asks, cleared by the GUI thread); the
    // period of the running timer, 0 when none, and how many of its ticks in a row found
    // nothing new (the GUI thread's alone).
    std::atomic<int> refresh_period;
    std::atomic<int> refresh_wanted;
    int refresh_timer_period;
    int refresh_quiet_ticks;
    std::atomic<int> closing;

    CRITICAL_SECTION lock;
    // A leaf lock, never held while another lock is taken: guards the title copy, the geometry
    // rectangles shared between threads, the user input, the frame schedule and the framed
    // style and rectangle of the desktop state.
    CRITICAL_SECTION state_lock;
    // Null for a canvas (ZVCreateCanvas), which has no platform window: nothing shows it, it
    // has no timer and hears no input. `canvas` is set before the record is published.
    HWND hwnd;
    bool canvas;
    int handle;
    // The memory DC and its two buffers: made, replaced and deleted by draw/ alone.
    HDC memory_dc;
    HBITMAP buffer_bitmap[2];
    // Set by the core from the size it opens the window at; window/ keeps them current.
    RECT client_screen_rect;
    RECT frame_rect;
    RECT buffer_rect;
    // The client area right of the buffer, from the buffer's width to the window's right edge,
    // and the part below it, from its height to the bottom edge: painted with the background
    // brush, empty when the window is no wider, or no taller, than the buffer.
    RECT strip_right_of_buffer;
    RECT strip_below_buffer;
    // The whole number each drawing pixel is enlarged by on screen (core/scale/window_scale.h):
    // set by the GUI thread before the window is handed out, and changed only there, under both
    // locks, when the window moves to a screen of another density.
    std::atomic<int> scale;
    // Owned by draw/ and window/; made before the window opens and freed at its teardown, so
    // never null while the record can be found.
    drawing_state *drawing;
    user_input *input;
    frame_schedule *pacing;
    desktop_state *desktop;
};

#endif
