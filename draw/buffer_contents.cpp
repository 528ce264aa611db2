// Clearing buffers and copying the draw buffer into the view buffer.
#include "draw/draw_call.h"
#include "draw/drawing_state.h"
#include "draw/window_buffers.h"

#include "core/window_refresh.h"

namespace {

int clear_buffer(int handle, buffer_role role) {
    window_ref found(handle);
    if (!found.ok()) return ZV_ERR_BAD_WINDOW;
    window_record *window = found.record;
    selected_buffer buffer(window, role, true);
    // buffer_rect is one pixel wider and taller than the buffer: FillRect leaves out the
    // right and bottom edges.
    return platform_result(
        FillRect(buffer.dc, &window->buffer_rect, window->drawing->background_brush));
}

// Blits the draw buffer into the view buffer through `scratch_dc`. With the lock held;
// `*shows_change` tells whether the refresh must be asked for once it is left.
BOOL copy_draw_to_view(window_record *window, HDC scratch_dc, bool *shows_change) {
    int draw = window->drawing->draw_buffer.load();
    int view = window->view_buffer.load();
    // The indices may have been flipped since the caller looked: nothing to copy then.
    if (draw == view) return TRUE;
    // Marked whether or not the copy succeeds, like every other buffer change.
    *shows_change = mark_changed(window, view);
    HBITMAP source = window->buffer_bitmap[draw];
    HBITMAP target = window->buffer_bitmap[view];
    if (!scratch_dc || !source || !target) return FALSE;
    HGDIOBJ memory_previous = SelectObject(window->memory_dc, source);
    HGDIOBJ scratch_previous = SelectObject(scratch_dc, target);
    BOOL copied = FALSE;
    if (memory_previous && scratch_previous)
        copied = BitBlt(scratch_dc, 0, 0, window->width, window->height, window->memory_dc, 0, 0,
                        SRCCOPY);
    if (scratch_previous) SelectObject(scratch_dc, scratch_previous);
    if (memory_previous) SelectObject(window->memory_dc, memory_previous);
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
    window_ref found(handle);
    if (!found.ok()) return ZV_ERR_BAD_WINDOW;
    window_record *window = found.record;
    // Always so while single-buffered: there is nothing to copy.
    if (window->drawing->draw_buffer.load() == window->view_buffer.load()) return ZV_OK;
    // The screen's DC, not the window's: that one is the GUI thread's while it paints.
    HDC screen_dc = GetDC(nullptr);
    HDC scratch_dc = CreateCompatibleDC(screen_dc);
    ReleaseDC(nullptr, screen_dc);
    bool shows_change = false;
    EnterCriticalSection(&window->lock);
    BOOL copied = copy_draw_to_view(window, scratch_dc, &shows_change);
    LeaveCriticalSection(&window->lock);
    if (shows_change) request_refresh(window);
    if (scratch_dc) DeleteDC(scratch_dc);
    return platform_result(copied);
}

} // extern "C"
