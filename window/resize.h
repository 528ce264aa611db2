// The resize routine: a new client size and new buffers that keep the shared picture.
#ifndef ZELVAN_WINDOW_RESIZE_H
#define ZELVAN_WINDOW_RESIZE_H

#include "core/window_record.h"

// Gives the window a client area of width x height and replaces its buffers with new ones
// of that size. The caller holds a reference and not the window lock. A width or height
// below 1 is refused with ZV_ERR_BAD_WIDTH or ZV_ERR_BAD_HEIGHT and changes nothing.
int resize_window(window_record *record, int width, int height);

#endif
