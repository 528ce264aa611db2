// A window's input state: what the user did to it (keys, characters, mouse, wheel, close
// requests, sizing) as its messages recorded it, until the polled calls hand it out, and how the
// user may size it. window/ makes and frees it; the core only holds it for the window
// (`window_record::input`) and asks for it through g_library_parts when a window opens and when
// it is torn down.
#ifndef ZELVAN_WINDOW_INPUT_STATE_H
#define ZELVAN_WINDOW_INPUT_STATE_H

#include "core/window_record.h"

#include <stdint.h>

#include <atomic>

enum { KEY_RING_SIZE = 128 };

// Where a window stands between its frame and the whole screen; FULLSCREEN_SWITCHING while a
// call moves it from one to the other.
enum { FULLSCREEN_OFF = 0, FULLSCREEN_SWITCHING = 1, FULLSCREEN_ON = 2 };

// One captured or live mouse event: a position in client coordinates and the MK_ flags.
struct mouse_event_record {
    int x;
    int y;
    int keys;
    int valid;
};

// The steady schedule ZVWaitFrame keeps for a window, in performance-counter units.
struct frame_schedule {
    int64_t last_tick; // the tick the last call returned at
    int64_t period;    // 0 until the first call
};

// Written by the GUI thread and read by host threads under the state lock, except the atomics.
struct input_state {
    // The ring of typed characters as Unicode code points, drained by ZVReadChar and
    // ZVReadUnicode; a high surrogate waits in `pending_high` for the WM_CHAR of its partner.
    uint32_t key_buffer[KEY_RING_SIZE];
    WCHAR pending_high;
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

    frame_schedule frames;

    // On a modern desktop: whether the user may size the window, where it stands towards
    // fullscreen, whether it has the popup style (no frame) now, and a size change by the user
    // or by fullscreen switching that ZVWasResized has not reported yet.
    std::atomic<int> user_resizable;
    std::atomic<int> fullscreen_state;
    std::atomic<int> popup_frame;
    std::atomic<int> resized_unseen;
    // The pointer hidden over the window (ZVShowCursor), and the icon the window owns
    // (GUI thread only; destroyed with the state).
    std::atomic<int> cursor_hidden;
    HICON icon;
    // The style and frame rectangle to go back to from fullscreen.
    LONG_PTR framed_style;
    RECT framed_rect;
};

// Gives a new record its input state, all empty; false when there is no memory for it.
bool create_input_state(window_record *record);
// Frees the input state; null-safe, for a record whose creation stopped early.
void free_input_state(window_record *record);

#endif
