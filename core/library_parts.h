// What the layers above the core lend it: the core runs the window procedure and start-up, but
// the messages a library window handles and the bitmap list belong to window/ and image/,
// which include the core and so cannot be included by it.
#ifndef ZELVAN_CORE_LIBRARY_PARTS_H
#define ZELVAN_CORE_LIBRARY_PARTS_H

#include "core/window_record.h"

struct library_parts {
    // A message for a window with its record held; false leaves it to DefWindowProcA.
    bool (*handle_window_message)(window_record *record, HWND hwnd, UINT message, WPARAM wparam,
                                  LPARAM lparam);
    // Start-up, before any call can run.
    void (*start)();
    // Shutdown, once every window is gone.
    void (*discard)();
};

// Defined once, by the assembly of the library.
extern const library_parts g_library_parts;

#endif
