// Keeping a window's stored geometry in step with the platform window (GUI thread only).
#ifndef ZELVAN_WINDOW_GEOMETRY_HANDLERS_H
#define ZELVAN_WINDOW_GEOMETRY_HANDLERS_H

#include "core/window_record.h"

// WM_MOVE: the client area's new screen position.
void on_window_move(window_record *record, int x, int y);
// WM_SIZE: the client area's new size. A window the user may size, or one switching to or
// from fullscreen, takes it (new buffers, as by ZVResize); any other is put back to its
// stored size.
void on_window_size(window_record *record, WPARAM type, int width, int height);
// WM_GETMINMAXINFO: a fixed window keeps its own frame size when maximised or dragged; a
// sizeable or fullscreen one gets the platform's limits.
void on_window_limits(window_record *record, MINMAXINFO *info);

// WM_DPICHANGED: the window now stands on a screen of density `dpi`. It takes that screen's
// scale, keeping its drawing size, at the top-left corner the system suggests; a fullscreen
// window keeps covering its monitor and its drawing size follows instead.
void on_window_dpi(window_record *record, UINT dpi, const RECT *suggested);

// Records the parts of the client area right of and below the buffer, after the platform
// window took its new size. Takes the window lock.
void record_background_strips(window_record *record);

// Grows a client rectangle in screen coordinates into the frame rectangle of the window, as
// its frame is now (none while it covers the screen).
RECT frame_for_client(const window_record *record, const RECT &client);

// The drawing size that fills a client area of the given size.
void drawing_size_for_client(const window_record *record, int client_width, int client_height,
                             int *width, int *height);

#endif
