// X keysyms turned into the Win32 virtual-key codes that key events carry.
#include "platform/posix/display/x11/x11_internal.h"

#include <X11/keysym.h>

namespace {

struct keysym_key {
    KeySym keysym;
    int vk;
};

const keysym_key k_keys[] = {
    {XK_BackSpace, VK_BACK},
    {XK_Tab, VK_TAB},
    {XK_ISO_Left_Tab, VK_TAB},
    {XK_Return, VK_RETURN},
    {XK_KP_Enter, VK_RETURN},
    {XK_Escape, VK_ESCAPE},
    {XK_space, VK_SPACE},
    {XK_KP_Space, VK_SPACE},
    {XK_Prior, VK_PRIOR},
    {XK_KP_Prior, VK_PRIOR},
    {XK_Next, VK_NEXT},
    {XK_KP_Next, VK_NEXT},
    {XK_End, VK_END},
    {XK_KP_End, VK_END},
    {XK_Home, VK_HOME},
    {XK_KP_Home, VK_HOME},
    {XK_Left, VK_LEFT},
    {XK_KP_Left, VK_LEFT},
    {XK_Up, VK_UP},
    {XK_KP_Up, VK_UP},
    {XK_Right, VK_RIGHT},
    {XK_KP_Right, VK_RIGHT},
    {XK_Down, VK_DOWN},
    {XK_KP_Down, VK_DOWN},
    {XK_Insert, VK_INSERT},
    {XK_KP_Insert, VK_INSERT},
    {XK_Delete, VK_DELETE},
    {XK_KP_Delete, VK_DELETE},
    {XK_KP_Multiply, VK_MULTIPLY},
    {XK_KP_Add, VK_ADD},
    {XK_KP_Subtract, VK_SUBTRACT},
    {XK_KP_Decimal, VK_DECIMAL},
    {XK_KP_Divide, VK_DIVIDE},
    {XK_Shift_L, VK_SHIFT},
    {XK_Shift_R, VK_SHIFT},
    {XK_Control_L, VK_CONTROL},
    {XK_Control_R, VK_CONTROL},
    {XK_Alt_L, VK_MENU},
    {XK_Alt_R, VK_MENU},
    {XK_Meta_L, VK_MENU},
    {XK_Meta_R, VK_MENU},
};

} // namespace

int x11_virtual_key(XKeyEvent *key, KeySym looked_up) {
    // A key keeps its code whatever SHIFT does, so it is named by its unshifted keysym; only
    // the keypad follows Num Lock, which the looked-up keysym has applied.
    KeySym keysym = XLookupKeysym(key, 0);
    if (IsKeypadKey(keysym)) keysym = looked_up;
    if (keysym >= XK_a && keysym <= XK_z) return static_cast<int>('A' + (keysym - XK_a));
    if ((keysym >= XK_A && keysym <= XK_Z) || (keysym >= XK_0 && keysym <= XK_9)) {
        return static_cast<int>(keysym);
    }
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9) {
        return static_cast<int>(VK_NUMPAD0 + (keysym - XK_KP_0));
    }
    if (keysym >= XK_F1 && keysym <= XK_F12) return static_cast<int>(VK_F1 + (keysym - XK_F1));
    for (const keysym_key &k : k_keys) {
        if (k.keysym == keysym) return k.vk;
    }
    if (keysym > XK_space && keysym < XK_asciitilde + 1) {
        return display_key_for_punctuation(static_cast<int>(keysym));
    }
    return 0;
}
