// The messages of a library window: moving and sizing, painting, the palette, and recording
// the host's input (GUI thread only).
#include "window/window_messages.h"
#include "draw/drawing_state.h"
#include "draw/window_buffers.h"
#include "window/desktop_state.h"
#include "window/input/user_input.h"

#include "core/scale/window_scale.h"

#include "window/desktop_window.h"
#include "window/geometry_handlers.h"
#include "window/input/input_messages.h"

#include <initializer_list>

namespace {

// WM_MOVE carries signed client coordinates: a window may sit left of or above the screen.
int signed_word(WORD w) {
    return static_cast<short>(w);
}

// WM_PAINT: copies the view buffer to the screen.
void paint_window(window_record *window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window->hwnd, &paint);
    mark_view_shown(window);
    unsigned frame = window->drawing->frames_presented.load();
    if (dc) {
        EnterCriticalSection(&window->lock);
        // Read again under the lock: switching double buffering off meanwhile may have
        // deleted the buffer that was on view when the flag was cleared.
        int view = window->view_buffer.load();
        frame = window->drawing->frames_presented.load(); // the frame in that buffer
        HPALETTE old_palette = SelectPalette(dc, window->drawing->palette, FALSE);
        HGDIOBJ old_bitmap = SelectObject(window->memory_dc, window->buffer_bitmap[view ? 1 : 0]);
        // Compared, not subtracted: the edges come from the window's size, which may be any int.
        for (const RECT *strip : {&window->strip_right_of_buffer, &window->strip_below_buffer})
            if (strip->right > strip->left && strip->bottom > strip->top)
                FillRect(dc, strip, window->drawing->background_brush);
        show_buffer(window, dc);
        SelectObject(window->memory_dc, old_bitmap);
        SelectPalette(dc, old_palette, TRUE);
        LeaveCriticalSection(&window->lock);
    }
    EndPaint(window->hwnd, &paint);
    note_frame_painted(window, frame);
}

// Realises the window's palette on its DC and asks for a repaint.
void realize_window_palette(window_record *window, HWND hwnd, BOOL force_background) {
    EnterCriticalSection(&window->lock);
    HDC dc = GetDC(hwnd);
    HPALETTE old_palette = SelectPalette(dc, window->drawing->palette, force_background);
    RealizePalette(dc);
    InvalidateRect(hwnd, nullptr, FALSE);
    SelectPalette(dc, old_palette, TRUE);
    ReleaseDC(hwnd, dc);
    LeaveCriticalSection(&window->lock);
}

// Appends `repeat` copies of a typed code point to the key ring while there is room.
void push_character(user_input *in, uint32_t code_point, int repeat) {
    for (int i = 0; i < repeat && in->key_count.load() < KEY_RING_SIZE; ++i) {
        in->key_buffer[in->key_write_pos] = code_point;
        in->key_write_pos = (in->key_write_pos + 1) % KEY_RING_SIZE;
        in->key_count.fetch_add(1);
    }
}

// WM_CHAR of a Unicode window: one UTF-16 unit, `repeat` times. A surrogate pair arrives as
// two messages and is joined into one code point; a surrogate without its partner is kept
// as U+FFFD, so that no typed character goes missing unseen.
void record_character(window_record *window, WCHAR unit, int repeat) {
    const uint32_t replacement = 0xFFFD;
    bool high = unit >= 0xD800 && unit < 0xDC00, low = unit >= 0xDC00 && unit < 0xE000;
    EnterCriticalSection(&window->state_lock);
    user_input *in = window->input;
    if (low && in->pending_high != 0) {
        push_character(in, 0x10000 + ((in->pending_high - 0xD800u) << 10) + (unit - 0xDC00u),
                       repeat);
    } else {
        if (in->pending_high != 0) push_character(in, replacement, 1);
        if (!high) push_character(in, low ? replacement : unit, repeat);
    }
    in->pending_high = high ? unit : 0;
    LeaveCriticalSection(&window->state_lock);
}

// Stores a mouse message's client position (and MK_ flags) as the live record.
void record_mouse_event(window_record *window, mouse_event_record &live, LPARAM lparam,
                        WPARAM wparam) {
    EnterCriticalSection(&window->state_lock);
    POINT at = drawing_point(window, LOWORD(lparam), HIWORD(lparam));
    live.x = at.x;
    live.y = at.y;
    live.keys = LOWORD(wparam);
    live.valid = 1;
    LeaveCriticalSection(&window->state_lock);
}

// Where the pointer is over the client area, shows or hides it at once.
void apply_cursor(window_record *window, HWND hwnd) {
    POINT at;
    RECT client;
    if (!GetCursorPos(&at) || !ScreenToClient(hwnd, &at) || !GetClientRect(hwnd, &client)) return;
    if (at.x < client.left || at.x >= client.right || at.y < client.top || at.y >= client.bottom)
        return;
    SetCursor(window->desktop->cursor_hidden.load() ? nullptr : LoadCursorA(nullptr, IDC_ARROW));
}

// The window takes the icon for both sizes and destroys the one it had.
void take_icon(window_record *window, HWND hwnd, icon_handover *handover) {
    SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(handover->icon));
    SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(handover->icon));
    if (window->desktop->icon) DestroyIcon(window->desktop->icon);
    window->desktop->icon = handover->icon;
    handover->taken = true;
}

// Mouse, keyboard and focus messages: recorded for the input calls to read. Returns false
// for those that also go on to the default handling.
bool handle_input_message(window_record *window, HWND hwnd, UINT message, WPARAM wparam,
                          LPARAM lparam) {
    switch (message) {
    case WM_CHAR:
        record_character(window, static_cast<WCHAR>(wparam & 0xFFFF), LOWORD(lparam));
        return true;
    case WM_MOUSEMOVE:
        // The original records keep to the client area, also while a drag holds the capture.
        if (track_mouse(window, hwnd, message, wparam, lparam))
            record_mouse_event(window, window->input->live_mouse, lparam, 0);
        return true;
    case WM_LBUTTONDOWN:
        if (track_mouse(window, hwnd, message, wparam, lparam))
            record_mouse_event(window, window->input->live_left, lparam, wparam);
        return true;
    case WM_RBUTTONDOWN:
        if (track_mouse(window, hwnd, message, wparam, lparam))
            record_mouse_event(window, window->input->live_right, lparam, wparam);
        return true;
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        track_mouse(window, hwnd, message, wparam, lparam);
        return true;
    case WM_CAPTURECHANGED:
        on_capture_changed(window, hwnd, lparam);
        return true;
    case WM_MOUSEWHEEL:
        record_wheel(window, wparam);
        return true;
    case WM_KEYDOWN:
    case WM_KEYUP:
        record_key(window, message, wparam, lparam);
        return true;
    case WM_SYSKEYDOWN:
        // Recorded, then left to the default handling, which turns Alt+F4 into SC_CLOSE.
        record_key(window, message, wparam, lparam);
        return false;
    case WM_SYSKEYUP:
        // Kept from the default handling: letting go of ALT or F10 there would enter the
        // window menu, which then swallows the arrow keys a game reads next.
        record_key(window, message, wparam, lparam);
        return true;
    case WM_KILLFOCUS:
        release_held_keys(window);
        return false;
    case WM_SETCURSOR:
        // Over the client area a hidden pointer stays hidden; elsewhere, the frame's cursors.
        if (LOWORD(lparam) != HTCLIENT || !window->desktop->cursor_hidden.load()) return false;
        SetCursor(nullptr);
        return true;
    case MSG_SHOW_CURSOR:
        apply_cursor(window, hwnd);
        return true;
    case MSG_SET_ICON:
        take_icon(window, hwnd, reinterpret_cast<icon_handover *>(lparam));
        return true;
    case MSG_SWITCH_FULLSCREEN:
        switch_fullscreen(window, wparam != 0);
        return true;
    default:
        return false;
    }
}

} // namespace

bool handle_window_message(window_record *window, HWND hwnd, UINT message, WPARAM wparam,
                           LPARAM lparam) {
    switch (message) {
    case WM_MOVE:
        on_window_move(window, signed_word(LOWORD(lparam)), signed_word(HIWORD(lparam)));
        return true;
    case WM_SIZE:
        on_window_size(window, wparam, LOWORD(lparam), HIWORD(lparam));
        return true;
    case WM_ACTIVATE:
        if (LOWORD(wparam) == WA_ACTIVE || LOWORD(wparam) == WA_CLICKACTIVE)
            realize_window_palette(window, hwnd, FALSE);
        return true;
    case WM_SETFOCUS:
        realize_window_palette(window, hwnd, FALSE);
        return true;
    case WM_PAINT:
        paint_window(window);
        return true;
    case WM_DPICHANGED:
        on_window_dpi(window, LOWORD(wparam), reinterpret_cast<const RECT *>(lparam));
        return true;
    case WM_GETMINMAXINFO:
        on_window_limits(window, reinterpret_cast<MINMAXINFO *>(lparam));
        return true;
    case WM_SYSCOMMAND:
        // The close box and Alt+F4 ask; only the host closes (ZVDestroyWindow sends WM_CLOSE).
        if ((wparam & 0xFFF0) != SC_CLOSE) return false;
        record_close_request(window);
        return true;
    case WM_PALETTECHANGED:
        if (reinterpret_cast<HWND>(wparam) != hwnd) realize_window_palette(window, hwnd, TRUE);
        return true;
    default:
        return handle_input_message(window, hwnd, message, wparam, lparam);
    }
}
