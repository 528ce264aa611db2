// Showing a finished frame in one call, without losing frames to a fast loop.
#include "core/window_table.h"
#include "zelvan.h"

extern "C" {

ZVEXPORT int ZVAPI ZVPresent(int handle) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    window_record *r = window.record;
    // The frame presented before this one is painted now if it still waits, so every frame
    // reaches the screen and at most one is ever in flight. UpdateWindow sends WM_PAINT to
    // the GUI thread and returns when it has been painted; no lock may be held across it.
    UpdateWindow(r->hwnd);
    EnterCriticalSection(&r->lock);
    bool flips = r->double_buffered.load() != 0;
    if (flips) {
        int finished = r->draw_buffer.load();
        r->view_buffer = finished;
        r->draw_buffer = 1 - finished;
        // The repaint asked for below shows it, so it no longer counts as changed.
        r->buffer_dirty[finished] = 0;
    } else {
        r->buffer_dirty[r->view_buffer.load()] = 0;
    }
    LeaveCriticalSection(&r->lock);
    InvalidateRect(r->hwnd, nullptr, FALSE);
    // With one buffer the host draws on into the picture being shown: paint it before then.
    if (!flips) UpdateWindow(r->hwnd);
    return ZV_OK;
}

} // extern "C"
