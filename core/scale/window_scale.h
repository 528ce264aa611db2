// The whole number by which a window's drawing pixels are enlarged on screen, and the
// conversions between drawing pixels and the screen pixels of its client area.
#ifndef ZELVAN_CORE_WINDOW_SCALE_H
#define ZELVAN_CORE_WINDOW_SCALE_H

#include "core/window_record.h"

// Makes the calling thread (the GUI thread) see the screen's real density, where the system
// lets a single thread do so; otherwise it stays as it was.
void make_thread_dpi_aware();

// While it lives, the calling host thread sees screen pixels as the GUI thread does: Windows
// would otherwise map the positions and sizes it passes to or reads from the library's windows
// through its own, unaware, view of the screen.
struct screen_pixels_scope {
    DPI_AWARENESS_CONTEXT previous;
    screen_pixels_scope();
    ~screen_pixels_scope();
    screen_pixels_scope(const screen_pixels_scope &) = delete;
    screen_pixels_scope &operator=(const screen_pixels_scope &) = delete;
};

// The scale for a window shown at `dpi`: ZELVAN_SCALE when it holds a whole number from 1 to
// MAX_WINDOW_SCALE, else the density over 96 dpi, rounded, at least 1.
int scale_for_dpi(UINT dpi);

// The scale for a window just made on the calling thread, at the density it is shown at.
int choose_window_scale(HWND hwnd);

enum { MAX_WINDOW_SCALE = 16 };

// The scale a window opened on the primary screen gets.
int primary_screen_scale();

// The scale of a window: 1 until its creation sets it. Read under the state lock where it must
// agree with the client rectangle.
inline int window_scale(const window_record *window) {
    int scale = window->scale.load(std::memory_order_relaxed);
    return scale > 1 ? scale : 1;
}

// A length in drawing pixels as screen pixels.
inline int screen_length(const window_record *window, int drawing) {
    return saturate_int(int64_t{drawing} * window_scale(window));
}

// A client coordinate in screen pixels as drawing pixels, rounded down, so that a drag left of
// or above the window stays negative.
inline int drawing_coordinate(const window_record *window, int screen) {
    int scale = window_scale(window);
    return screen >= 0 ? screen / scale : -((-int64_t{screen} + scale - 1) / scale);
}

// A client position in screen pixels as a drawing position. Over the client area beyond the
// drawing (the rest of a fullscreen screen that holds no whole drawing pixel) it is the
// drawing's last pixel; elsewhere, as for a drag outside the window, as drawing_coordinate
// says. With the state lock held, which guards the client rectangle.
inline POINT drawing_point(const window_record *window, int x, int y) {
    const RECT &client = window->client_screen_rect;
    int width = window->width, height = window->height;
    POINT point{drawing_coordinate(window, x), drawing_coordinate(window, y)};
    bool inside =
        x >= 0 && y >= 0 && x < client.right - client.left && y < client.bottom - client.top;
    if (inside && width > 0 && point.x >= width) point.x = width - 1;
    if (inside && height > 0 && point.y >= height) point.y = height - 1;
    return point;
}

// Copies the bitmap selected in the window's memory DC to `dc`, enlarged by the scale. With
// the window lock held.
void show_buffer(window_record *window, HDC dc);

#endif
