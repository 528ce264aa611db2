// Recording the input that the calls beyond the original set read: held buttons and drags, the
// wheel, key presses and held keys, and the user's close requests (GUI thread only).
#ifndef ZELVAN_WINDOW_INPUT_MESSAGES_H
#define ZELVAN_WINDOW_INPUT_MESSAGES_H

#include "core/window_record.h"

// Any mouse button or move message: notes the buttons and modifiers held, takes the mouse
// capture on a press and gives it back once every button is up. True when the message's
// point lies in the client area (with the capture, a drag also reports points outside it).
bool track_mouse(window_record *record, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
// WM_CAPTURECHANGED: a drag whose capture went to another window has ended.
void on_capture_changed(window_record *record, HWND hwnd, LPARAM lparam);
// WM_MOUSEWHEEL: adds the turn to what ZVGetMouseWheel hands out.
void record_wheel(window_record *record, WPARAM wparam);
// WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP: held keys, modifiers and the press ring.
void record_key(window_record *record, UINT message, WPARAM wparam, LPARAM lparam);
// WM_KILLFOCUS: keys are released in another window now, so none counts as held here.
void release_held_keys(window_record *record);
// WM_SYSCOMMAND SC_CLOSE: the close box or Alt+F4, counted instead of closing the window.
void record_close_request(window_record *record);

#endif
