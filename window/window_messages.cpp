// The messages of a library window: moving and sizing, painting, the palette, and recording
// the host's input (GUI thread only).
#include "window/window_messages.h"
#include "draw/drawing_state.h"
#include "window/input_state.h"

#include "core/window_scale.h"

#include "window/geometry_handlers.h"
#include "window/input_messages.h"

#include <initializer_list>

namespace {

// WM_MOVE carries signed client coordinates: a window may sit left of or above the screen.
int signed_word(WORD w) {
    return static_cast<short>(w);
}

// WM_PAINT: copies the view buffer to the screen.
void paint_window(window_record *r) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(r->hwnd, &paint);
    r->buffer_dirty[r->view_buffer.load()] = 0;
    unsigned frame = r->drawing->frames_presented.load();
    if (dc) {
        EnterCriticalSection(&r->lock);
        // Read again under the lock: switching double buffering off meanwhile may have
        // deleted the buffer that was on view when the flag was cleared.
        int view = r->view_buffer.load();
        frame = r->drawing->frames_presented.load(); // the frame in that buffer
        HPALETTE old_palette = SelectPalette(dc, r->drawing->palette, FALSE);
        HGDIOBJ old_bitmap = SelectObject(r->memory_dc, r->buffer_bitmap[view ? 1 : 0]);
        // Compared, not subtracted: the edges come from the window's size, which may be any int.
        for (const RECT *strip : {&r->strip_right_of_buffer, &r->strip_below_buffer})
            if (strip->right > strip->left && strip->bottom > strip->top)
                FillRect(dc, strip, r->drawing->background_brush);
        show_buffer(r, dc);
        SelectObject(r->memory_dc, old_bitmap);
        SelectPalette(dc, old_palette, TRUE);
        LeaveCriticalSection(&r->lock);
    }
    EndPaint(r->hwnd, &paint);
    r->drawing->frames_painted = frame;
}

// Realises the window's palette on its DC and asks for a repaint.
void realize_window_palette(window_record *r, HWND hwnd, BOOL force_background) {
    EnterCriticalSection(&r->lock);
    HDC dc = GetDC(hwnd);
    HPALETTE old_palette = SelectPalette(dc, r->drawing->palette, force_background);
    RealizePalette(dc);
    InvalidateRect(hwnd, nullptr, FALSE);
    SelectPalette(dc, old_palette, TRUE);
    ReleaseDC(hwnd, dc);
    LeaveCriticalSection(&r->lock);
}

// Appends `repeat` copies of a typed character to the key ring while there is room.
void record_character(window_record *r, char character, int repeat) {
    EnterCriticalSection(&r->state_lock);
    for (int i = 0; i < repeat && r->input->key_count.load() < KEY_RING_SIZE; ++i) {
        r->input->key_buffer[r->input->key_write_pos] = character;
        r->input->key_write_pos = (r->input->key_write_pos + 1) % KEY_RING_SIZE;
        r->input->key_count.fetch_add(1);
    }
    LeaveCriticalSection(&r->state_lock);
}

// Stores a mouse message's client position (and MK_ flags) as the live record.
void record_mouse_event(window_record *r, mouse_event_record &live, LPARAM lparam, WPARAM wparam) {
    EnterCriticalSection(&r->state_lock);
    POINT at = drawing_point(r, LOWORD(lparam), HIWORD(lparam));
    live.x = at.x;
    live.y = at.y;
    live.keys = LOWORD(wparam);
    live.valid = 1;
    LeaveCriticalSection(&r->state_lock);
}

// Mouse, keyboard and focus messages: recorded for the input calls to read. Returns false
// for those that also go on to the default handling.
bool handle_input_message(window_record *r, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CHAR:
        record_character(r, static_cast<char>(LOBYTE(wparam)), LOWORD(lparam));
        return true;
    case WM_MOUSEMOVE:
        // The original records keep to the client area, also while a drag holds the capture.
        if (track_mouse(r, hwnd, message, wparam, lparam))
            record_mouse_event(r, r->input->live_mouse, lparam, 0);
        return true;
    case WM_LBUTTONDOWN:
        if (track_mouse(r, hwnd, message, wparam, lparam))
            record_mouse_event(r, r->input->live_left, lparam, wparam);
        return true;
    case WM_RBUTTONDOWN:
        if (track_mouse(r, hwnd, message, wparam, lparam))
            record_mouse_event(r, r->input->live_right, lparam, wparam);
        return true;
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        track_mouse(r, hwnd, message, wparam, lparam);
        return true;
    case WM_CAPTURECHANGED:
        on_capture_changed(r, hwnd, lparam);
        return true;
    case WM_MOUSEWHEEL:
        record_wheel(r, wparam);
        return true;
    case WM_KEYDOWN:
    case WM_KEYUP:
        record_key(r, message, wparam, lparam);
        return true;
    case WM_SYSKEYDOWN:
        // Recorded, then left to the default handling, which turns Alt+F4 into SC_CLOSE.
        record_key(r, message, wparam, lparam);
        return false;
    case WM_SYSKEYUP:
        // Kept from the default handling: letting go of ALT or F10 there would enter the
        // window menu, which then swallows the arrow keys a game reads next.
        record_key(r, message, wparam, lparam);
        return true;
    case WM_KILLFOCUS:
        release_held_keys(r);
        return false;
    default:
        return false;
    }
}

} // namespace

bool handle_window_message(window_record *r, HWND hwnd, UINT message, WPARAM wparam,
                           LPARAM lparam) {
    switch (message) {
    case WM_MOVE:
        on_window_move(r, signed_word(LOWORD(lparam)), signed_word(HIWORD(lparam)));
        return true;
    case WM_SIZE:
        on_window_size(r, wparam, LOWORD(lparam), HIWORD(lparam));
        return true;
    case WM_ACTIVATE:
        if (LOWORD(wparam) == WA_ACTIVE || LOWORD(wparam) == WA_CLICKACTIVE)
            realize_window_palette(r, hwnd, FALSE);
        return true;
    case WM_SETFOCUS:
        realize_window_palette(r, hwnd, FALSE);
        return true;
    case WM_PAINT:
        paint_window(r);
        return true;
    case WM_DPICHANGED:
        on_window_dpi(r, LOWORD(wparam), reinterpret_cast<const RECT *>(lparam));
        return true;
    case WM_GETMINMAXINFO:
        on_window_limits(r, reinterpret_cast<MINMAXINFO *>(lparam));
        return true;
    case WM_SYSCOMMAND:
        // The close box and Alt+F4 ask; only the host closes (ZVDestroyWindow sends WM_CLOSE).
        if ((wparam & 0xFFF0) != SC_CLOSE) return false;
        record_close_request(r);
        return true;
    case WM_PALETTECHANGED:
        if (reinterpret_cast<HWND>(wparam) != hwnd) realize_window_palette(r, hwnd, TRUE);
        return true;
    default:
        return handle_input_message(r, hwnd, message, wparam, lparam);
    }
}
