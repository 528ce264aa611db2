// The locked middle of every drawing call: a buffer selected into the memory DC.
#include "draw/draw_call.h"
#include "draw/drawing_state.h"

selected_buffer::selected_buffer(window_record *r, buffer_role role, bool marks_dirty)
    : record(r), dc(nullptr), previous(nullptr) {
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
    // One plain aligned store is all the timer's unlocked read needs; a sequentially
    // consistent store would cost a locked exchange on every drawing call.
    if (marks_dirty) r->buffer_dirty[index].store(1, std::memory_order_relaxed);
}

selected_buffer::~selected_buffer() {
    if (dc) SelectObject(dc, previous);
    LeaveCriticalSection(&record->lock);
}
