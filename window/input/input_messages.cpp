// The window procedure's recording of held buttons, drags, wheel, keys and close requests.
#include "window/input/input_messages.h"
#include "window/input/user_input.h"

#include "core/scale/window_scale.h"
#include "zelvan.h"

#include <limits.h>

namespace {

// Far more turn than any wheel gives between two polls, and far from the int limits.
const int k_wheel_limit = WHEEL_DELTA * 1000000;

// The keys without a printable character that the library names.
int special_key_code(UINT vk) {
    switch (vk) {
    case VK_ESCAPE:
        return ZV_KEY_ESCAPE;
    case VK_RETURN:
        return ZV_KEY_ENTER;
    case VK_BACK:
        return ZV_KEY_BACKSPACE;
    case VK_TAB:
        return ZV_KEY_TAB;
    case VK_SPACE:
        return ZV_KEY_SPACE;
    case VK_LEFT:
        return ZV_KEY_LEFT;
    case VK_UP:
        return ZV_KEY_UP;
    case VK_RIGHT:
        return ZV_KEY_RIGHT;
    case VK_DOWN:
        return ZV_KEY_DOWN;
    case VK_INSERT:
        return ZV_KEY_INSERT;
    case VK_DELETE:
        return ZV_KEY_DELETE;
    case VK_HOME:
        return ZV_KEY_HOME;
    case VK_END:
        return ZV_KEY_END;
    case VK_PRIOR:
        return ZV_KEY_PAGE_UP;
    case VK_NEXT:
        return ZV_KEY_PAGE_DOWN;
    case VK_SHIFT:
    case VK_LSHIFT:
    case VK_RSHIFT:
        return ZV_KEY_SHIFT;
    case VK_CONTROL:
    case VK_LCONTROL:
    case VK_RCONTROL:
        return ZV_KEY_CTRL;
    case VK_MENU:
    case VK_LMENU:
    case VK_RMENU:
        return ZV_KEY_ALT;
    default:
        return 0;
    }
}

// The library's name for a virtual key: a ZV_KEY_ code, the character the key types without
// SHIFT (letters in lower case), or 0 for a key it has no name for.
int key_code_for(UINT vk) {
    if (vk >= 'A' && vk <= 'Z') return static_cast<int>(vk - 'A' + 'a');
    if (vk >= '0' && vk <= '9') return static_cast<int>(vk);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return static_cast<int>('0' + vk - VK_NUMPAD0);
    if (vk >= VK_F1 && vk <= VK_F12) return static_cast<int>(ZV_KEY_F1 + vk - VK_F1);
    int special = special_key_code(vk);
    if (special != 0) return special;
    // Punctuation keys differ between keyboard layouts: the layout says what the key types.
    UINT typed = MapVirtualKeyA(vk, MAPVK_VK_TO_CHAR) & 0xFFFF;
    if (typed <= ' ' || typed >= 127) return 0;
    return typed >= 'A' && typed <= 'Z' ? static_cast<int>(typed - 'A' + 'a')
                                        : static_cast<int>(typed);
}

bool is_modifier(int code) {
    return code == ZV_KEY_SHIFT || code == ZV_KEY_CTRL || code == ZV_KEY_ALT;
}

int held_modifiers(const user_input &in) {
    int modifiers = 0;
    for (uint16_t code : in.held_code) {
        if (code == ZV_KEY_SHIFT) modifiers |= ZV_MOD_SHIFT;
        if (code == ZV_KEY_CTRL) modifiers |= ZV_MOD_CTRL;
        if (code == ZV_KEY_ALT) modifiers |= ZV_MOD_ALT;
    }
    return modifiers;
}

// Stores `repeat` presses while there is room: a full ring keeps the oldest, as the
// character ring does.
void store_presses(user_input &in, int press, int repeat) {
    for (int i = 0; i < repeat && in.press_count < KEY_RING_SIZE; ++i) {
        in.presses[in.press_write_pos] = press;
        in.press_write_pos = (in.press_write_pos + 1) % KEY_RING_SIZE;
        ++in.press_count;
    }
}

bool is_press(UINT message) {
    return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
}

// Mouse messages carry client coordinates as signed words: a captured drag goes negative.
bool in_client_area(HWND hwnd, LPARAM lparam) {
    int x = static_cast<short>(LOWORD(lparam));
    int y = static_cast<short>(HIWORD(lparam));
    RECT client{};
    GetClientRect(hwnd, &client);
    return x >= client.left && x < client.right && y >= client.top && y < client.bottom;
}

} // namespace

bool track_mouse(window_record *window, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    WORD keys = LOWORD(wparam);
    int buttons = ((keys & MK_LBUTTON) ? ZV_MOUSE_LEFT : 0) |
                  ((keys & MK_RBUTTON) ? ZV_MOUSE_RIGHT : 0) |
                  ((keys & MK_MBUTTON) ? ZV_MOUSE_MIDDLE : 0);
    // The capture brings the drag's moves and its release here even outside the window.
    if (is_press(message) && GetCapture() != hwnd) SetCapture(hwnd);
    bool captured = GetCapture() == hwnd;
    bool inside = in_client_area(hwnd, lparam);
    EnterCriticalSection(&window->state_lock);
    user_input &in = *window->input;
    if (inside || captured) {
        POINT at = drawing_point(window, static_cast<short>(LOWORD(lparam)),
                                 static_cast<short>(HIWORD(lparam)));
        in.pointer_x = at.x;
        in.pointer_y = at.y;
        in.pointer_known = true;
    }
    in.buttons = buttons;
    // Mouse messages say nothing of ALT; key messages keep that bit.
    in.modifiers = (in.modifiers & ZV_MOD_ALT) | ((keys & MK_SHIFT) ? ZV_MOD_SHIFT : 0) |
                   ((keys & MK_CONTROL) ? ZV_MOD_CTRL : 0);
    in.captured = captured;
    LeaveCriticalSection(&window->state_lock);
    // Every button is up: the drag is over. (ReleaseCapture brings WM_CAPTURECHANGED here.)
    if (captured && buttons == 0) ReleaseCapture();
    return inside;
}

void on_capture_changed(window_record *window, HWND hwnd, LPARAM lparam) {
    EnterCriticalSection(&window->state_lock);
    window->input->captured = false;
    // Taken away by another window mid-drag: the release will never come here.
    if (reinterpret_cast<HWND>(lparam) != hwnd) window->input->buttons = 0;
    LeaveCriticalSection(&window->state_lock);
}

void record_wheel(window_record *window, WPARAM wparam) {
    int turn = static_cast<short>(HIWORD(wparam));
    EnterCriticalSection(&window->state_lock);
    int sum = window->input->wheel + turn;
    window->input->wheel = sum > k_wheel_limit    ? k_wheel_limit
                           : sum < -k_wheel_limit ? -k_wheel_limit
                                                  : sum;
    LeaveCriticalSection(&window->state_lock);
}

void record_key(window_record *window, UINT message, WPARAM wparam, LPARAM lparam) {
    UINT vk = static_cast<UINT>(wparam & 0xFF);
    int code = key_code_for(vk);
    bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    EnterCriticalSection(&window->state_lock);
    user_input &in = *window->input;
    in.held_code[vk] = static_cast<uint16_t>(down ? code : 0);
    if (is_modifier(code)) {
        in.modifiers = held_modifiers(in);
    } else if (down && code != 0) {
        // Auto-repeat comes as further key-down messages, or as a repeat count in one.
        store_presses(in, code | in.modifiers << 16, LOWORD(lparam));
    }
    LeaveCriticalSection(&window->state_lock);
}

void release_held_keys(window_record *window) {
    EnterCriticalSection(&window->state_lock);
    for (uint16_t &code : window->input->held_code) code = 0;
    window->input->modifiers = 0;
    LeaveCriticalSection(&window->state_lock);
}

void record_close_request(window_record *window) {
    EnterCriticalSection(&window->state_lock);
    if (window->input->close_requests < INT_MAX) ++window->input->close_requests;
    LeaveCriticalSection(&window->state_lock);
}
