// Keys from the display drivers become the key messages Win32 delivers, with its lParam bits.
#include "platform/posix/user/wm_internal.h"

namespace {

const DWORD k_alt_held = 1u << 29;
const DWORD k_was_down = 1u << 30;
const DWORD k_released = 1u << 31;

} // namespace

HWND wm_keyboard_target(HWND window) {
    if (window != nullptr) return window;
    wm_lock();
    HWND foreground = wm().foreground;
    wm_window *w = wm_find(foreground);
    HWND target = w != nullptr && w->owner->focus != nullptr ? w->owner->focus : foreground;
    wm_unlock();
    return target;
}

void wm_key_event(const display_event &e) {
    if (e.key <= 0 || e.key > 255) return;
    bool down = e.kind == DISPLAY_EVENT_KEY_DOWN;
    wm_lock();
    bool was_down = wm().keys_down[e.key];
    wm().keys_down[e.key] = down;
    wm_unlock();
    HWND target = wm_keyboard_target(e.window);
    if (target == nullptr) return;
    bool alt = (e.state & DISPLAY_MOD_ALT) != 0 || e.key == VK_MENU;
    bool control = (e.state & DISPLAY_MOD_CONTROL) != 0;
    // ALT combinations and F10 are system keys; CTRL+ALT is not (it types characters on many
    // layouts).
    bool system = (alt && !control) || e.key == VK_F10;
    UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    // One press per message: a driver reports each auto-repeat as a key going down again.
    DWORD bits = 1;
    if (alt) bits |= k_alt_held;
    if (was_down || !down) bits |= k_was_down;
    if (!down) bits |= k_released;
    PostMessageA(target, message, static_cast<WPARAM>(e.key), static_cast<LPARAM>(bits));
}

// Only the translation the library asks for: a key to the character it types without SHIFT.
UINT WINAPI MapVirtualKeyA(UINT code, UINT map_type) {
    if (map_type != MAPVK_VK_TO_CHAR || code > 255) return 0;
    return static_cast<UINT>(display_unshifted_character(static_cast<int>(code)));
}
