// Showing a finished frame in one call, without losing frames to a fast loop.
#include "core/window_table.h"
#include "draw/drawing_state.h"
#include "draw/window_buffers.h"
#include "zelvan.h"

namespace {

// Waits until a paint has handed the last presented frame to the screen. UpdateWindow sends
// WM_PAINT to the GUI thread when the window waits for one; a paint already under way is
// waited for. A window that cannot paint (hidden, minimised, closing) is not waited for.
void wait_until_painted(window_record *r) {
    if (r->canvas) return; // never painted
    unsigned wanted = r->drawing->frames_presented.load();
    for (int tries = 0; tries < 1000 && r->drawing->frames_painted.load() != wanted; ++tries) {
        if (r->closing.load() || !IsWindowVisible(r->hwnd) || IsIconic(r->hwnd)) return;
        UpdateWindow(r->hwnd);
        if (r->drawing->frames_painted.load() != wanted) Sleep(tries < 10 ? 0 : 1);
    }
}

} // namespace

extern "C" {

ZVEXPORT int ZVAPI ZVPresent(int handle) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    window_record *r = window.record;
    // The frame presented before this one reaches the screen first, so every frame does and
    // at most one is ever in flight. No lock may be held while the GUI thread paints.
    wait_until_painted(r);
    EnterCriticalSection(&r->lock);
    bool flips = r->drawing->double_buffered.load() != 0;
    if (flips) {
        int finished = r->drawing->draw_buffer.load();
        r->view_buffer = finished;
        r->drawing->draw_buffer = 1 - finished;
    }
    // The repaint asked for below shows it, so it no longer counts as changed.
    mark_view_shown(r);
    r->drawing->frames_presented.fetch_add(1);
    LeaveCriticalSection(&r->lock);
    if (r->canvas) return ZV_OK;
    InvalidateRect(r->hwnd, nullptr, FALSE);
    // With one buffer the host draws on into the picture being shown: paint it before then.
    if (!flips) wait_until_painted(r);
    return ZV_OK;
}

} // extern "C"
