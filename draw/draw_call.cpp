// The locked middle of every drawing call: a buffer selected into the memory DC.
#include "draw/draw_call.h"
#include "draw/drawing_state.h"
#include "draw/window_buffers.h"

#include "core/window_refresh.h"

selected_buffer::selected_buffer(window_record *r, buffer_role role, bool marks_dirty)
    : record(r), dc(nullptr), previous(nullptr), shows_change(false) {
    EnterCriticalSection(&r->lock);
    // The index is read once, under the lock, so the bitmap selected and the flag marked
    // belong to the same buffer even while another thread flips the indices.
    int index = role == buffer_role::draw ? r->drawing->draw_buffer.load() : r->view_buffer.load();
    HBITMAP buffer = r->buffer_bitmap[index];
    if (!buffer) return;
    previous = SelectObject(r->memory_dc, buffer);
    // A buffer the DC refused leaves the DC's own bitmap selected: draw nothing into that.
    if (!previous) return;
    dc = r->memory_dc;
    if (marks_dirty) shows_change = mark_changed(r, index);
}

selected_buffer::~selected_buffer() {
    if (dc) SelectObject(dc, previous);
    LeaveCriticalSection(&record->lock);
    if (shows_change) request_refresh(record);
}
