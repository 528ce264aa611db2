// Clearing buffers and copying the draw buffer into the view buffer.
#include "draw/draw_call.h"
#include "draw/drawing_state.h"
#include "draw/window_buffers.h"

#include "core/window_refresh.h"

namespace {

int clear_buffer(int handle, buffer_role role) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    window_record *r = window.record;
    selected_buffer buffer(r, role, true);
    // buffer_rect is one pixel wider and taller than the buffer: FillRect leaves out the
    // right and bottom edges.
    return platform_result(FillRect(buffer.dc, &r->buffer_rect, r->drawing->background_brush));
}

// Blits the draw buffer into the view buffer through `scratch_dc`. With the lock held;
// `*shows_change` tells whether the refresh must be asked for once it is left.
BOOL copy_draw_to_view(window_record *r, HDC scratch_dc, bool *shows_change) {
    int draw = r->drawing->draw_buffer.load();
    int view = r->view_buffer.load();
    // The indices may have been flipped since the caller looked: nothing to copy then.
    if (draw == view) return TRUE;
    // Marked whether or not the copy succeeds, like every other buffer change.
    *shows_change = mark_changed(r, view);
    HBITMAP source = r->buffer_bitmap[draw];
    HBITMAP target = r->buffer_bitmap[view];
    if (!scratch_dc || !source || !target) return FALSE;
    HGDIOBJ memory_previous = SelectObject(r->memory_dc, source);
    HGDIOBJ scratch_previous = SelectObject(scratch_dc, target);
    BOOL copied = FALSE;
    if (memory_previous && scratch_previous)
        copied = BitBlt(scratch_dc, 0, 0, r->width, r->height, r->memory_dc, 0, 0, SRCCOPY);
    if (scratch_previous) SelectObject(scratch_dc, scratch_previous);
    if (memory_previous) SelectObject(r->memory_dc, memory_previous);
    return copied;
}

} // namespace

extern "C" {

ZVEXPORT int ZVAPI ZVClearDrawBuffer(int handle) {
    return clear_buffer(handle, buffer_role::draw);
}

ZVEXPORT int ZVAPI ZVClearViewBuffer(int handle) {
    return clear_buffer(handle, buffer_role::view);
}

ZVEXPORT int ZVAPI ZVCopyDrawBufferToView(int handle) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    window_record *r = window.record;
    // Always so while single-buffered: there is nothing to copy.
    if (r->drawing->draw_buffer.load() == r->view_buffer.load()) return ZV_OK;
    // The screen's DC, not the window's: that one is the GUI thread's while it paints.
    HDC screen_dc = GetDC(nullptr);
    HDC scratch_dc = CreateCompatibleDC(screen_dc);
    ReleaseDC(nullptr, screen_dc);
    bool shows_change = false;
    EnterCriticalSection(&r->lock);
    BOOL copied = copy_draw_to_view(r, scratch_dc, &shows_change);
    LeaveCriticalSection(&r->lock);
    if (shows_change) request_refresh(r);
    if (scratch_dc) DeleteDC(scratch_dc);
    return platform_result(copied);
}

} // extern "C"
