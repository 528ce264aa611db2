// Keeping a window's stored geometry in step with the platform window (GUI thread only).
#ifndef ZELVAN_WINDOW_GEOMETRY_HANDLERS_H
#define ZELVAN_WINDOW_GEOMETRY_HANDLERS_H

#include "core/window_record.h"

// WM_MOVE: the client area's new screen position.
void on_window_move(window_record *record, int x, int y);
// WM_SIZE: the client area's new size; the window is put back to its stored size.
void on_window_size(window_record *record, WPARAM type, int width, int height);
// WM_GETMINMAXINFO: maximising gives the window its own frame size.
void on_window_limits(window_record *record, MINMAXINFO *info);

// Grows a client rectangle in screen coordinates into the frame rectangle of a library window.
RECT frame_for_client(const RECT &client);

#endif
