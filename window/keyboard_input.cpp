// Polled keyboard input: the per-window ring of typed characters.
#include "core/window_table.h"
#include "window/input_state.h"

#include "zelvan.h"

// The ring is guarded as a whole by the window's state lock, which the window procedure's
// append also takes: a read, a clear and an append never interleave, and no character is
// read twice.

extern "C" {

ZVEXPORT char ZVAPI ZVReadChar(int handle) {
    window_ref window(handle);
    if (!window.ok()) return 0;
    window_record *r = window.record;
    char character = 1; // what an empty ring reads as
    EnterCriticalSection(&r->state_lock);
    if (r->input->key_count.load() != 0) {
        r->input->key_count.fetch_sub(1);
        character = r->input->key_buffer[r->input->key_read_pos];
        r->input->key_read_pos = (r->input->key_read_pos + 1) % KEY_RING_SIZE;
    }
    LeaveCriticalSection(&r->state_lock);
    return character;
}

ZVEXPORT int ZVAPI ZV_kbhit(int handle) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    return window->input->key_count.load() != 0 ? 1 : 0;
}

ZVEXPORT int ZVAPI ZVClearKeyBuffer(int handle) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    EnterCriticalSection(&window->state_lock);
    window->input->key_count = 0;
    window->input->key_read_pos = 0;
    window->input->key_write_pos = 0;
    // The ring of key presses (ZVReadKey) is emptied with the characters.
    window->input->press_count = 0;
    window->input->press_read_pos = 0;
    window->input->press_write_pos = 0;
    LeaveCriticalSection(&window->state_lock);
    return ZV_OK;
}

} // extern "C"
