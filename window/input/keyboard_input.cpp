// Polled keyboard input: the per-window ring of typed characters.
#include "core/wide_text.h"
#include "core/window_table.h"
#include "window/input/user_input.h"

#include "zelvan.h"

// The ring is guarded as a whole by the window's state lock, which the window procedure's
// append also takes: a read, a clear and an append never interleave, and no character is
// read twice.

namespace {

// Takes the oldest typed code point off the ring; false when it is empty.
bool take_character(window_record *window, uint32_t *code_point) {
    bool taken = false;
    EnterCriticalSection(&window->state_lock);
    if (window->input->key_count.load() != 0) {
        window->input->key_count.fetch_sub(1);
        *code_point = window->input->key_buffer[window->input->key_read_pos];
        window->input->key_read_pos = (window->input->key_read_pos + 1) % KEY_RING_SIZE;
        taken = true;
    }
    LeaveCriticalSection(&window->state_lock);
    return taken;
}

// The Windows-1252 byte of a code point, or '?' where that code page has none (no
// look-alike: an 'ā' is not an 'a').
char western_character(uint32_t code_point) {
    if (code_point < 0x80) return static_cast<char>(code_point);
    WCHAR unit = static_cast<WCHAR>(code_point);
    char byte = '?';
    BOOL lacking = FALSE;
    if (code_point > 0xFFFF ||
        WideCharToMultiByte(western_code_page, WC_NO_BEST_FIT_CHARS, &unit, 1, &byte, 1, "?",
                            &lacking) != 1 ||
        lacking) {
        return '?';
    }
    return byte;
}

} // namespace

extern "C" {

ZVEXPORT char ZVAPI ZVReadChar(int handle) {
    window_ref window(handle);
    if (!window.ok()) return 0;
    uint32_t code_point = 0;
    if (!take_character(window.record, &code_point)) return 1; // what an empty ring reads as
    return western_character(code_point);
}

ZVEXPORT int ZVAPI ZVReadUnicode(int handle) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    uint32_t code_point = 0;
    return take_character(window.record, &code_point) ? static_cast<int>(code_point) : 0;
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
    window->input->pending_high = 0;
    // The ring of key presses (ZVReadKey) is emptied with the characters.
    window->input->press_count = 0;
    window->input->press_read_pos = 0;
    window->input->press_write_pos = 0;
    LeaveCriticalSection(&window->state_lock);
    return ZV_OK;
}

} // extern "C"
