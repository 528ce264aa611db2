// The window procedure's move, size and limits handlers.
#include "window/geometry_handlers.h"

#include "core/window_scale.h"

RECT frame_for_client(const RECT &client) {
    RECT frame = client;
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    return frame;
}

void on_window_move(window_record *r, int x, int y) {
    // Under the window lock, which a resize holds while it changes the size and records it:
    // the rectangles then never pair this position with a size that is being replaced.
    EnterCriticalSection(&r->lock);
    RECT client = rect_at(x, y, screen_length(r, r->width), screen_length(r, r->height));
    RECT frame = frame_for_client(client);
    EnterCriticalSection(&r->state_lock);
    r->x = x;
    r->y = y;
    r->client_screen_rect = client;
    r->frame_rect = frame;
    LeaveCriticalSection(&r->state_lock);
    LeaveCriticalSection(&r->lock);
}

void on_window_size(window_record *r, WPARAM type, int width, int height) {
    // Minimising is not a size the user chose, and a window that already has its stored
    // size needs no restore (which would otherwise answer its own WM_SIZE).
    if (type == SIZE_MINIMIZED) return;
    if (width == screen_length(r, r->width) && height == screen_length(r, r->height)) return;
    RECT current;
    GetWindowRect(r->hwnd, &current);
    EnterCriticalSection(&r->state_lock);
    RECT &f = r->frame_rect;
    int frame_width = f.right - f.left;
    int frame_height = f.bottom - f.top;
    f = rect_at(current.left, current.top, frame_width, frame_height);
    LeaveCriticalSection(&r->state_lock);
    MoveWindow(r->hwnd, current.left, current.top, frame_width, frame_height, TRUE);
}

void on_window_limits(window_record *r, MINMAXINFO *info) {
    EnterCriticalSection(&r->state_lock);
    info->ptMaxSize.x = r->frame_rect.right - r->frame_rect.left;
    info->ptMaxSize.y = r->frame_rect.bottom - r->frame_rect.top;
    LeaveCriticalSection(&r->state_lock);
}
