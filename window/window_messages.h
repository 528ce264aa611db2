// The messages a library window handles once its record is held (GUI thread only).
#ifndef ZELVAN_WINDOW_WINDOW_MESSAGES_H
#define ZELVAN_WINDOW_WINDOW_MESSAGES_H

#include "core/window_lifetime.h"
#include "core/window_record.h"

// Applies the pointer's shown or hidden state (desktop_state::cursor_hidden) now, where the
// pointer is over the window; later moves over it apply it through WM_SETCURSOR.
enum { MSG_SHOW_CURSOR = MSG_WINDOW_LAYER_FIRST };
// Makes lParam, an icon_handover, the window's icon, which it then owns and destroys.
enum { MSG_SET_ICON = MSG_WINDOW_LAYER_FIRST + 1 };
// Enters fullscreen (wParam non-zero) or leaves it, for a switch the sender has claimed.
enum { MSG_SWITCH_FULLSCREEN = MSG_WINDOW_LAYER_FIRST + 2 };

struct icon_handover {
    HICON icon;
    bool taken; // set by the window; an icon not taken stays the sender's to destroy
};

// Handles `message` for the window of `record`; false leaves it to DefWindowProcW.
bool handle_window_message(window_record *record, HWND hwnd, UINT message, WPARAM wparam,
                           LPARAM lparam);

#endif
