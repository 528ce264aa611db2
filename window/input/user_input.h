// A window's user input: what the user did to it (keys, characters, mouse, wheel, close
// requests) as its messages recorded it, until the polled calls hand it out. window/ makes and
// frees it (window/window_states.h); the core only holds it for the window
// (`window_record::input`).
#ifndef ZELVAN_WINDOW_USER_INPUT_H
#define ZELVAN_WINDOW_USER_INPUT_H

#include "core/window_record.h"

#include <stdint.h>

#include <atomic>

enum { KEY_RING_SIZE = 128 };

// One captured or live mouse event: a position in client coordinates and the MK_ flags.
struct mouse_event_record {
    int x;
    int y;
    int keys;
    int valid;
};

// Written by the GUI thread and read by host threads under the state lock, except the atomics.
struct user_input {
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
};

#endif
