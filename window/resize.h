// The resize routine: a new client size and new buffers that keep the shared picture.
#ifndef ZELVAN_WINDOW_RESIZE_H
#define ZELVAN_WINDOW_RESIZE_H

#include "core/window_record.h"

// Gives the window a client area of width x height and replaces its buffers with new ones
// of that size. The caller holds a reference and not the window lock. A width or height
// below 1 is refused with ZV_ERR_BAD_WIDTH or ZV_ERR_BAD_HEIGHT and changes nothing.
int resize_window(window_record *record, int width, int height);

// For a window that covers its monitor: gives it buffers of width x height drawing pixels (what
// whole ones of its client area hold) while its client area keeps its client_width x
// client_height screen pixels, the rest of which shows the background colour. The GUI thread
// calls it as the client area takes that size. Results as for resize_window.
int fill_client_area(window_record *record, int width, int height, int client_width,
                     int client_height);

#endif
