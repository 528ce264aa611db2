// Virtual-key codes and the characters their keys type, shared by the drivers (which name
// keys) and the window manager (whose MapVirtualKeyA reads them back).
#include "platform/posix/display/display.h"

namespace {

// The punctuation keys of a US keyboard: their code, and what they type without and with SHIFT.
struct punctuation_key {
    int vk;
    char plain;
    char shifted;
};

const punctuation_key k_punctuation[] = {
    {VK_OEM_1, ';', ':'},     {VK_OEM_PLUS, '=', '+'},   {VK_OEM_COMMA, ',', '<'},
    {VK_OEM_MINUS, '-', '_'}, {VK_OEM_PERIOD, '.', '>'}, {VK_OEM_2, '/', '?'},
    {VK_OEM_3, '`', '~'},     {VK_OEM_4, '[', '{'},      {VK_OEM_5, '\\', '|'},
    {VK_OEM_6, ']', '}'},     {VK_OEM_7, '\'', '"'},
};

} // namespace

int display_key_for_punctuation(int c) {
    for (const punctuation_key &key : k_punctuation) {
        if (c == key.plain || c == key.shifted) return key.vk;
    }
    return 0;
}

int display_unshifted_character(int vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return vk;
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return '0' + vk - VK_NUMPAD0;
    switch (vk) {
    case VK_BACK:
        return '\b';
    case VK_TAB:
        return '\t';
    case VK_RETURN:
        return '\r';
    case VK_ESCAPE:
        return 27;
    case VK_SPACE:
        return ' ';
    case VK_MULTIPLY:
        return '*';
    case VK_ADD:
        return '+';
    case VK_SUBTRACT:
        return '-';
    case VK_DECIMAL:
        return '.';
    case VK_DIVIDE:
        return '/';
    default:
        break;
    }
    for (const punctuation_key &key : k_punctuation) {
        if (vk == key.vk) return key.plain;
    }
    return 0;
}
