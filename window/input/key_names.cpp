// Constant English names of the key codes, for messages and key-binding menus.
#include "zelvan.h"

namespace {

// Indexed by code - ZV_KEY_ESCAPE.
const char *const k_special_names[] = {
    "Escape", "Enter",  "Backspace", "Tab",   "Space", "Left",    "Up",        "Right",
    "Down",   "Insert", "Delete",    "Home",  "End",   "Page Up", "Page Down", "F1",
    "F2",     "F3",     "F4",        "F5",    "F6",    "F7",      "F8",        "F9",
    "F10",    "F11",    "F12",       "Shift", "Ctrl",  "Alt",
};
static_assert(sizeof k_special_names / sizeof *k_special_names == ZV_KEY_ALT - ZV_KEY_ESCAPE + 1,
              "a name for every special key");

// One two-byte string per printable character: the character and its terminator.
struct character_names {
    char text[128][2];
    constexpr character_names() : text{} {
        for (int c = '!'; c < 127; ++c) text[c][0] = static_cast<char>(c);
    }
};
constexpr character_names k_characters{};

} // namespace

extern "C" {

// Letters in upper case name the same keys as in lower case, as ZVIsKeyDown takes them; the
// ZV_MOD_ bits of a ZVReadKey result are ignored.
ZVEXPORT const char *ZVAPI ZVGetKeyName(int key) {
    if (key < 0) return "";
    int code = ZV_KEY_CODE(key);
    if (code >= 'A' && code <= 'Z') code += 'a' - 'A';
    if (code == ' ') return "Space";
    if (code > ' ' && code < 127) return k_characters.text[code];
    if (code >= ZV_KEY_ESCAPE && code <= ZV_KEY_ALT) return k_special_names[code - ZV_KEY_ESCAPE];
    return "";
}

} // extern "C"
