// ZVShowCursor: the pointer shown or hidden while it is over a window.
#include "core/window_table.h"
#include "window/desktop_state.h"
#include "window/window_messages.h"

#include "zelvan.h"

extern "C" ZVEXPORT int ZVAPI ZVShowCursor(int handle, int show) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    if (window->canvas) return ZV_ERROR; // no pointer ever comes over a canvas
    window->desktop->cursor_hidden = show ? 0 : 1;
    // The GUI thread owns the cursor: it applies the change there, with no lock held here.
    SendMessageA(window->hwnd, MSG_SHOW_CURSOR, 0, 0);
    return ZV_OK;
}
