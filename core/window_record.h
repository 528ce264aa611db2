// The window record: everything the library knows about one open window.
#ifndef ZELVAN_CORE_WINDOW_RECORD_H
#define ZELVAN_CORE_WINDOW_RECORD_H

#include "platform/saturate.h"
#include "platform/win32.h"

#include <stdint.h>

#include <atomic>

enum { KEY_RING_SIZE = 128 };

// Each window's refresh timer: the one timer id its window procedure answers, and the period
// it starts with until the host sets another.
enum { REFRESH_TIMER_ID = 1, DEFAULT_REFRESH_MS = 50 };

// The `hatch_style` of a solid fill brush: any other value is a platform HS_ hatch style.
enum { SOLID_BRUSH = -1 };

// Creation handshake between the creating host thread and the GUI thread.
// CREATE_NO_SURFACE: the drawing surface could not be made, so no window was.
enum { CREATE_PENDING = 0, CREATE_DONE = 1, CREATE_FAILED = 2, CREATE_NO_SURFACE = 3 };

// Where a window stands between its frame and the whole screen; FULLSCREEN_SWITCHING while a
// call moves it from one to the other.
enum { FULLSCREEN_OFF = 0, FULLSCREEN_SWITCHING = 1, FULLSCREEN_ON = 2 };

// The rectangle of `width` x `height` at (x, y), its far edges saturated.
inline RECT rect_at(int x, int y, int width, int height) {
    return RECT{x, y, saturate_int(int64_t{x} + width), saturate_int(int64_t{y} + height)};
}

// One captured or live mouse event: a position in client coordinates and the MK_ flags.
struct mouse_event_record {
    int x;
    int y;
    int keys;
    int valid;
};

// Input beyond characters and clicks, written by the GUI thread and read by host threads, all
// under the state lock.
struct input_record {
    int presses[KEY_RING_SIZE]; // key presses: a key code with the ZV_MOD_ bits shifted left by 16
    int press_write_pos;
    int press_read_pos;
    int press_count;
    uint16_t held_code[256]; // per virtual key: the key code it was pressed as, 0 while up
    int buttons;             // ZV_MOUSE_ bits after the last mouse message
    int modifiers;           // ZV_MOD_ bits held, from key and mouse messages
    bool captured;           // the window holds the mouse capture for a drag
    int wheel;               // wheel turn not yet handed out, in WHEEL_DELTA units
    int close_requests;      // requests from the window manager not yet handed out
    // The pointer's latest position in client coordinates, over the window or in a drag.
    int pointer_x;
    int pointer_y;
    bool pointer_known; // false until the pointer was first over the window
};

// The steady schedule ZVWaitFrame keeps for a window, in performance-counter units.
struct frame_schedule {
    int64_t last_tick; // the tick the last call returned at
    int64_t period;    // 0 until the first call
};

// Fields read on one thread and written on another are atomics; everything that hangs off
// `memory_dc` is guarded by `lock`, and the input records and title by `state_lock`.
struct window_record {
    char *title;
    std::atomic<int> x;
    std::atomic<int> y;
    std::atomic<int> width;
    std::atomic<int> height;
    std::atomic<int> create_status;
    int line_width;
    int line_style;
    int pen_style;
    int fill_style;
    int hatch_style; // an HS_ style, or SOLID_BRUSH
    // What every refresh tick reads, side by side: thousands of idle windows are ticked
    // 20 times a second, and each tick should cost one cache line of the record.
    std::atomic<int> in_use_count;
    std::atomic<int> buffer_dirty[2];
    std::atomic<int> view_buffer;
    std::atomic<unsigned int> refresh_timer;
    int cur_x;
    int cur_y;
    std::atomic<int> closing;

    // The key ring, written by the GUI thread and drained by host threads under state_lock.
    char key_buffer[KEY_RING_SIZE];
    int key_write_pos;
    int key_read_pos;
    std::atomic<int> key_count;

    // Captured copies (read by host calls) and live records (written by the GUI thread).
    mouse_event_record mouse;
    mouse_event_record left_click;
    mouse_event_record right_click;
    mouse_event_record live_mouse;
    mouse_event_record live_left;
    mouse_event_record live_right;
    input_record input;
    frame_schedule frames; // under state_lock

    CRITICAL_SECTION lock;
    // A leaf lock, never held while another lock is taken: guards the key ring, the mouse
    // records, the title copy and the geometry rectangles shared between threads.
    CRITICAL_SECTION state_lock;
    HWND hwnd;
    int handle;
    std::atomic<COLORREF> background_colour;
    std::atomic<COLORREF> foreground_colour;
    std::atomic<COLORREF> fill_colour;
    HBITMAP buffer_bitmap[2];
    HPALETTE saved_palette;
    HBRUSH saved_brush;
    HPEN saved_pen;
    HFONT saved_font;
    HPALETTE palette;
    HBRUSH fill_brush;
    HBRUSH background_brush;
    HPEN pen;
    HDC memory_dc;
    HFONT font;
    RECT client_screen_rect;
    RECT frame_rect;
    RECT buffer_rect;
    // The client area right of the buffer, from the buffer's width to the window's right edge:
    // painted with the background brush, empty when the window is no wider than the buffer.
    RECT strip_right_of_buffer;
    // Frames shown with ZVPresent, and the last of them a paint has handed to the screen.
    std::atomic<unsigned> frames_presented;
    std::atomic<unsigned> frames_painted;
    std::atomic<int> double_buffered;
    std::atomic<int> draw_buffer;
    // Set when the platform could not make the pen or fill brush the attributes call for: the
    // previous object stays selected, and the next setter rebuilds even an unchanged value.
    bool pen_outdated;
    bool brush_outdated;
    // On a modern desktop: whether the user may size the window, where it stands towards
    // fullscreen, whether it has the popup style (no frame) now, and a size change by the user
    // or by fullscreen switching that ZVWasResized has not reported yet.
    std::atomic<int> user_resizable;
    std::atomic<int> fullscreen_state;
    std::atomic<int> popup_frame;
    std::atomic<int> resized_unseen;
    // The style and frame rectangle to go back to from fullscreen; under state_lock.
    LONG_PTR framed_style;
    RECT framed_rect;
    // The whole number each drawing pixel is enlarged by on screen (core/window_scale.h): set
    // by the GUI thread before the window is handed out, constant afterwards.
    int scale;
};

#endif
