// Single and double buffering: which buffers exist, which one is drawn and which one shown,
// and the changes the other layers make to them (draw/window_buffers.h).
#include "draw/window_buffers.h"

#include "core/window_refresh.h"
#include "core/window_table.h"
#include "draw/drawing_state.h"
#include "zelvan.h"

#include <algorithm>

namespace {

// Makes the missing buffer of a single-buffered window. With the window lock held.
void add_second_buffer(window_record *window, HDC screen_dc) {
    int missing = window->buffer_bitmap[0] ? 1 : 0;
    // Not cleared: a new buffer holds whatever the platform gives it until drawn on.
    window->buffer_bitmap[missing] =
        CreateCompatibleBitmap(screen_dc, window->width, window->height);
    // A buffer the platform could not make leaves the window single-buffered, so the
    // switches keep acting on the one buffer there is and nothing ever selects a missing
    // one; a later call to switch on tries again.
    bool both = window->buffer_bitmap[0] && window->buffer_bitmap[1];
    window->drawing->double_buffered = both ? 1 : 0;
}

// Keeps the draw buffer as the only one, on view, and deletes the other. With the lock held;
// true when the buffer now on view holds a change not shown yet, which the refresh must show.
bool drop_second_buffer(window_record *window) {
    int kept = window->drawing->draw_buffer.load();
    bool was_on_view = window->view_buffer.load() == kept;
    window->view_buffer = kept;
    HBITMAP &other = window->buffer_bitmap[1 - kept];
    if (other) DeleteObject(other);
    other = nullptr;
    window->drawing->double_buffered = 0;
    return !was_on_view && window->buffer_dirty[kept].load() != 0;
}

// Puts `new_buffer` (made at the new size) in place of buffer `index`: it takes the old
// picture's top-left part, and the area the old one did not cover (all of it when there was
// none) takes the background colour. With the window lock held.
void replace_buffer(window_record *window, int index, HBITMAP new_buffer, HDC scratch_dc,
                    int copy_width, int copy_height, bool grows) {
    HBITMAP old_buffer = window->buffer_bitmap[index];
    HGDIOBJ memory_previous = SelectObject(window->memory_dc, new_buffer);
    if (grows || !old_buffer)
        FillRect(window->memory_dc, &window->buffer_rect, window->drawing->background_brush);
    if (old_buffer) {
        HGDIOBJ scratch_previous = SelectObject(scratch_dc, old_buffer);
        BitBlt(window->memory_dc, 0, 0, copy_width, copy_height, scratch_dc, 0, 0, SRCCOPY);
        SelectObject(scratch_dc, scratch_previous);
        DeleteObject(old_buffer);
    }
    SelectObject(window->memory_dc, memory_previous);
    window->buffer_bitmap[index] = new_buffer;
}

} // namespace

bool mark_changed(window_record *window, int index) {
    // Most drawing finds its buffer marked already and stores nothing.
    if (window->buffer_dirty[index].load(std::memory_order_relaxed) != 0) return false;
    window->buffer_dirty[index].store(1);
    return index == window->view_buffer.load(std::memory_order_relaxed);
}

void mark_view_shown(window_record *window) {
    window->buffer_dirty[window->view_buffer.load()] = 0;
}

void note_frame_painted(window_record *window, unsigned frame) {
    window->drawing->frames_painted = frame;
}

bool make_resized_buffers(window_record *window, HDC screen_dc, int width, int height,
                          resized_buffers *made) {
    bool has[2] = {window->buffer_bitmap[0] != nullptr, window->buffer_bitmap[1] != nullptr};
    // A window made with no usable size has no buffer yet: it gets its draw buffer now.
    if (!has[0] && !has[1]) has[window->drawing->draw_buffer.load()] = true;
    made->bitmap[0] = made->bitmap[1] = nullptr;
    for (int index = 0; index < 2; ++index) {
        if (!has[index]) continue;
        made->bitmap[index] = CreateCompatibleBitmap(screen_dc, width, height);
        if (!made->bitmap[index]) {
            if (made->bitmap[0]) DeleteObject(made->bitmap[0]);
            return false;
        }
    }
    return true;
}

void swap_in_resized_buffers(window_record *window, const resized_buffers &made, HDC screen_dc,
                             int old_width, int old_height) {
    HDC scratch_dc = CreateCompatibleDC(screen_dc);
    int copy_width = std::min(old_width, window->width.load());
    int copy_height = std::min(old_height, window->height.load());
    bool grows = old_width < window->width || old_height < window->height;
    for (int index = 0; index < 2; ++index)
        if (made.bitmap[index])
            replace_buffer(window, index, made.bitmap[index], scratch_dc, copy_width, copy_height,
                           grows);
    DeleteDC(scratch_dc);
}

extern "C" {

ZVEXPORT int ZVAPI ZVSetDoubleBuffer(int handle, int on) {
    window_ref found(handle);
    if (!found.ok()) return ZV_ERR_BAD_WINDOW;
    window_record *window = found.record;
    int wanted = on ? 1 : 0;
    if (wanted == window->drawing->double_buffered.load()) return wanted;
    // The screen DC is fetched outside the window lock: nothing that might wait for the GUI
    // thread runs while the lock is held. It is the screen's own, not the window's: the window
    // DC is the GUI thread's while it paints, and a DC serves one thread at a time.
    HDC screen_dc = wanted ? GetDC(nullptr) : nullptr;
    bool shows_change = false;
    EnterCriticalSection(&window->lock);
    // Checked again under the lock, in case another thread switched meanwhile.
    if (wanted != window->drawing->double_buffered.load()) {
        if (wanted)
            add_second_buffer(window, screen_dc);
        else
            shows_change = drop_second_buffer(window);
    }
    LeaveCriticalSection(&window->lock);
    if (screen_dc) ReleaseDC(nullptr, screen_dc);
    if (shows_change) request_refresh(window);
    // The setting asked for, also when the platform could not make the second buffer.
    return wanted;
}

ZVEXPORT int ZVAPI ZVSwitchDrawBuffer(int handle) {
    window_ref found(handle);
    if (!found.ok()) return ZV_ERR_BAD_WINDOW;
    window_record *window = found.record;
    // Under the window lock, like switching double buffering off: a flip between its test
    // and its store would otherwise name the buffer that switching off has just deleted.
    EnterCriticalSection(&window->lock);
    if (window->drawing->double_buffered.load())
        window->drawing->draw_buffer = 1 - window->drawing->draw_buffer.load();
    int draw = window->drawing->draw_buffer.load();
    LeaveCriticalSection(&window->lock);
    return draw;
}

ZVEXPORT int ZVAPI ZVSwitchViewBuffer(int handle) {
    window_ref found(handle);
    if (!found.ok()) return ZV_ERR_BAD_WINDOW;
    window_record *window = found.record;
    EnterCriticalSection(&window->lock);
    bool flips = window->drawing->double_buffered.load() != 0;
    if (flips) {
        window->view_buffer = 1 - window->view_buffer.load();
        // The full repaint asked for below shows it, so it no longer counts as changed.
        mark_view_shown(window);
    }
    int view = window->view_buffer.load();
    LeaveCriticalSection(&window->lock);
    if (flips && !window->canvas) InvalidateRect(window->hwnd, nullptr, TRUE);
    return view;
}

ZVEXPORT int ZVAPI ZVGetDrawBuffer(int handle) {
    window_ref window(handle);
    return window.ok() ? window->drawing->draw_buffer.load() : ZV_ERR_BAD_WINDOW;
}

ZVEXPORT int ZVAPI ZVGetViewBuffer(int handle) {
    window_ref window(handle);
    return window.ok() ? window->view_buffer.load() : ZV_ERR_BAD_WINDOW;
}

} // extern "C"
