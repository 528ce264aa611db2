// The locked middle of every drawing call: a buffer selected into the memory DC.
#include "draw/draw_call.h"
#include "draw/drawing_state.h"
#include "draw/window_buffers.h"

#include "core/window_refresh.h"

selected_buffer::selected_buffer(window_record *window, buffer_role role, bool marks_dirty)
    : record(window), dc(nullptr), previous(nullptr), shows_change(false) {
    EnterCriticalSection(&window->lock);
    // The index is read once, under the lock, so the bitmap selected and the flag marked
    // belong to the same buffer even while another thread flips the indices.
    int index = role == buffer_role::draw ? window->drawing->draw_buffer.load()
                                          : window->view_buffer.load();
    HBITMAP buffer = window->buffer_bitmap[index];
    if (!buffer) return;
    previous = SelectObject(window->memory_dc, buffer);
    // A buffer the DC refused leaves the DC's own bitmap selected: draw nothing into that.
    if (!previous) return;
    dc = window->memory_dc;
    if (marks_dirty) shows_change = mark_changed(window, index);
}

selected_buffer::~selected_buffer() {
    if (dc) SelectObject(dc, previous);
    LeaveCriticalSection(&record->lock);
    if (shows_change) request_refresh(record);
}
