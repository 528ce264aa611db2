// Showing a finished frame in one call, without losing frames to a fast loop.
#include "core/window_table.h"
#include "draw/drawing_state.h"
#include "draw/window_buffers.h"
#include "zelvan.h"

namespace {

// Waits until a paint has handed the last presented frame to the screen. UpdateWindow sends
// WM_PAINT to the GUI thread when the window waits for one; a paint already under way is
// waited for. A window that cannot paint (hidden, minimised, closing) is not waited for.
void wait_until_painted(window_record *window) {
    if (window->canvas) return; // never painted
    unsigned wanted = window->drawing->frames_presented.load();
    for (int tries = 0; tries < 1000 && window->drawing->frames_painted.load() != wanted; ++tries) {
        if (window->closing.load() || !IsWindowVisible(window->hwnd) || IsIconic(window->hwnd))
            return;
        UpdateWindow(window->hwnd);
        if (window->drawing->frames_painted.load() != wanted) Sleep(tries < 10 ? 0 : 1);
    }
}

} // namespace

extern "C" {

ZVEXPORT int ZVAPI ZVPresent(int handle) {
    window_ref found(handle);
    if (!found.ok()) return ZV_ERR_BAD_WINDOW;
    window_record *window = found.record;
    // The frame presented before this one reaches the screen first, so every frame does and
    // at most one is ever in flight. No lock may be held while the GUI thread paints.
    wait_until_painted(window);
    EnterCriticalSection(&window->lock);
    bool flips = window->drawing->double_buffered.load() != 0;
    if (flips) {
        int finished = window->drawing->draw_buffer.load();
        window->view_buffer = finished;
        window->drawing->draw_buffer = 1 - finished;
    }
    // The repaint asked for below shows it, so it no longer counts as changed.
    mark_view_shown(window);
    window->drawing->frames_presented.fetch_add(1);
    LeaveCriticalSection(&window->lock);
    if (window->canvas) return ZV_OK;
    InvalidateRect(window->hwnd, nullptr, FALSE);
    // With one buffer the host draws on into the picture being shown: paint it before then.
    if (!flips) wait_until_painted(window);
    return ZV_OK;
}

} // extern "C"
