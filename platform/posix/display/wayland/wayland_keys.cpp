// xkbcommon keysyms turned into the Win32 virtual-key codes that key events carry, as the X11
// driver names the same keys.
#include "platform/posix/display/wayland/wayland_internal.h"

#include <xkbcommon/xkbcommon.h>

namespace {

struct keysym_key {
    xkb_keysym_t keysym;
    int vk;
};

const keysym_key k_keys[] = {
    {XKB_KEY_BackSpace, VK_BACK},
    {XKB_KEY_Tab, VK_TAB},
    {XKB_KEY_ISO_Left_Tab, VK_TAB},
    {XKB_KEY_Return, VK_RETURN},
    {XKB_KEY_KP_Enter, VK_RETURN},
    {XKB_KEY_Escape, VK_ESCAPE},
    {XKB_KEY_space, VK_SPACE},
    {XKB_KEY_KP_Space, VK_SPACE},
    {XKB_KEY_Prior, VK_PRIOR},
    {XKB_KEY_KP_Prior, VK_PRIOR},
    {XKB_KEY_Next, VK_NEXT},
    {XKB_KEY_KP_Next, VK_NEXT},
    {XKB_KEY_End, VK_END},
    {XKB_KEY_KP_End, VK_END},
    {XKB_KEY_Home, VK_HOME},
    {XKB_KEY_KP_Home, VK_HOME},
    {XKB_KEY_Left, VK_LEFT},
    {XKB_KEY_KP_Left, VK_LEFT},
    {XKB_KEY_Up, VK_UP},
    {XKB_KEY_KP_Up, VK_UP},
    {XKB_KEY_Right, VK_RIGHT},
    {XKB_KEY_KP_Right, VK_RIGHT},
    {XKB_KEY_Down, VK_DOWN},
    {XKB_KEY_KP_Down, VK_DOWN},
    {XKB_KEY_Insert, VK_INSERT},
    {XKB_KEY_KP_Insert, VK_INSERT},
    {XKB_KEY_Delete, VK_DELETE},
    {XKB_KEY_KP_Delete, VK_DELETE},
    {XKB_KEY_KP_Multiply, VK_MULTIPLY},
    {XKB_KEY_KP_Add, VK_ADD},
    {XKB_KEY_KP_Subtract, VK_SUBTRACT},
    {XKB_KEY_KP_Decimal, VK_DECIMAL},
    {XKB_KEY_KP_Divide, VK_DIVIDE},
    {XKB_KEY_Shift_L, VK_SHIFT},
    {XKB_KEY_Shift_R, VK_SHIFT},
    {XKB_KEY_Control_L, VK_CONTROL},
    {XKB_KEY_Control_R, VK_CONTROL},
    {XKB_KEY_Alt_L, VK_MENU},
    {XKB_KEY_Alt_R, VK_MENU},
    {XKB_KEY_Meta_L, VK_MENU},
    {XKB_KEY_Meta_R, VK_MENU},
};

bool on_keypad(xkb_keysym_t keysym) {
    return keysym >= XKB_KEY_KP_Space && keysym <= XKB_KEY_KP_Equal;
}

} // namespace

int wayland_virtual_key(uint32_t unshifted, uint32_t now) {
    xkb_keysym_t keysym = on_keypad(unshifted) ? now : unshifted;
    if (keysym >= XKB_KEY_a && keysym <= XKB_KEY_z) return int('A' + (keysym - XKB_KEY_a));
    if ((keysym >= XKB_KEY_A && keysym <= XKB_KEY_Z) ||
        (keysym >= XKB_KEY_0 && keysym <= XKB_KEY_9)) {
        return int(keysym);
    }
    if (keysym >= XKB_KEY_KP_0 && keysym <= XKB_KEY_KP_9)
        return int(VK_NUMPAD0 + (keysym - XKB_KEY_KP_0));
    if (keysym >= XKB_KEY_F1 && keysym <= XKB_KEY_F12) return int(VK_F1 + (keysym - XKB_KEY_F1));
    for (const keysym_key &k : k_keys) {
        if (k.keysym == keysym) return k.vk;
    }
    if (keysym > XKB_KEY_space && keysym <= XKB_KEY_asciitilde) {
        return display_key_for_punctuation(int(keysym));
    }
    return 0;
}
