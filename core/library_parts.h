// What the layers above the core lend it: the core runs the window procedure, start-up and each
// window's life, but the messages a library window handles, the window's drawing, input and
// desktop states and the bitmap list belong to draw/, window/ and image/, which include the
// core and so cannot be included by it.
#ifndef ZELVAN_CORE_LIBRARY_PARTS_H
#define ZELVAN_CORE_LIBRARY_PARTS_H

#include "core/window_record.h"

struct library_parts {
    // A message for a window with its record held; false leaves it to DefWindowProcA.
    bool (*handle_window_message)(window_record *record, HWND hwnd, UINT message, WPARAM wparam,
                                  LPARAM lparam);
    // A window's drawing state and buffers: made with its defaults and its first buffer on the
    // GUI thread before the window, or on the creating thread for a canvas (false: no memory);
    // given the memory DC, which it clears and shows (a canvas has no window DC), with the
    // window lock held (false: no DC); freed at teardown, after the wait for references,
    // `dc_alive` saying whether the memory DC still exists to be deleted.
    bool (*create_drawing_state)(window_record *record);
    bool (*open_drawing)(window_record *record, HDC window_dc);
    void (*free_drawing_state)(window_record *record, bool dc_alive);
    // A window's user input, frame schedule and desktop state: made empty beside the drawing
    // state (false: no memory), freed at teardown.
    bool (*create_window_states)(window_record *record);
    void (*free_window_states)(window_record *record);
    // Start-up, before any call can run.
    void (*start)();
    // Shutdown, once every window is gone.
    void (*discard)();
};

// Defined once, by the assembly of the library.
extern const library_parts g_library_parts;

#endif
