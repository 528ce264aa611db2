// The window procedure's move, size, density and limits handlers.
#include "window/geometry_handlers.h"
#include "window/desktop_state.h"

#include "core/scale/window_scale.h"
#include "window/resize.h"
#include "zelvan.h"

#include <algorithm>

namespace {

// The user's hand (a drag, maximising) or fullscreen switching gave the client a new size:
// the drawing surface follows it through the resize routine.
void follow_client_size(window_record *window, int client_width, int client_height) {
    int width, height;
    drawing_size_for_client(window, client_width, client_height, &width, &height);
    bool changed = width != window->width || height != window->height;
    // The window keeps the size it was given, of which its buffers fill the whole drawing
    // pixels. Moving it to fit them would be a new request, which could overtake one of ours
    // that the display has yet to answer (a size it passed through on its way back from
    // fullscreen would then stay).
    int result = fill_client_area(window, width, height, client_width, client_height);
    if (changed && result == ZV_OK) window->desktop->resized_unseen.store(1);
}

} // namespace

RECT frame_for_client(const window_record *window, const RECT &client) {
    RECT frame = client;
    if (!window->desktop->popup_frame) AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    return frame;
}

void drawing_size_for_client(const window_record *window, int client_width, int client_height,
                             int *width, int *height) {
    // A client a few screen pixels short of a whole drawing pixel shows the part that fits.
    *width = std::max(1, drawing_coordinate(window, client_width));
    *height = std::max(1, drawing_coordinate(window, client_height));
}

void on_window_move(window_record *window, int x, int y) {
    // Under the window lock, which a resize holds while it changes the size and records it:
    // the rectangles then never pair this position with a size that is being replaced.
    EnterCriticalSection(&window->lock);
    // The client area keeps the size it took, which the buffers at the window's scale need
    // not fill to the last screen pixel.
    EnterCriticalSection(&window->state_lock);
    int width = window->client_screen_rect.right - window->client_screen_rect.left;
    int height = window->client_screen_rect.bottom - window->client_screen_rect.top;
    LeaveCriticalSection(&window->state_lock);
    RECT client = rect_at(x, y, width, height);
    RECT frame = frame_for_client(window, client);
    EnterCriticalSection(&window->state_lock);
    window->x = x;
    window->y = y;
    window->client_screen_rect = client;
    window->frame_rect = frame;
    LeaveCriticalSection(&window->state_lock);
    LeaveCriticalSection(&window->lock);
}

void on_window_size(window_record *window, WPARAM type, int width, int height) {
    // Minimising is not a size the user chose, and a window that already has its stored
    // size needs no restore (which would otherwise answer its own WM_SIZE).
    if (type == SIZE_MINIMIZED) return;
    if (window->desktop->user_resizable || window->desktop->fullscreen_state != FULLSCREEN_OFF) {
        follow_client_size(window, width, height);
        return;
    }
    if (width == screen_length(window, window->width) &&
        height == screen_length(window, window->height))
        return;
    RECT current;
    GetWindowRect(window->hwnd, &current);
    EnterCriticalSection(&window->state_lock);
    RECT &f = window->frame_rect;
    int frame_width = f.right - f.left;
    int frame_height = f.bottom - f.top;
    f = rect_at(current.left, current.top, frame_width, frame_height);
    LeaveCriticalSection(&window->state_lock);
    MoveWindow(window->hwnd, current.left, current.top, frame_width, frame_height, TRUE);
}

void on_window_dpi(window_record *window, UINT dpi, const RECT *suggested) {
    int scale = scale_for_dpi(dpi);
    if (scale == window_scale(window)) return;
    // Fullscreen, the drawing size follows the scale instead; leaving it gives back the frame,
    // and the drawing size follows that at the new scale.
    bool fullscreen = window->desktop->fullscreen_state != FULLSCREEN_OFF;
    RECT frame{};
    // Under the window lock, which a resize holds while it records the size at the scale.
    EnterCriticalSection(&window->lock);
    EnterCriticalSection(&window->state_lock);
    window->scale.store(scale);
    if (!fullscreen) {
        int width = screen_length(window, window->width),
            height = screen_length(window, window->height);
        // The frame's top-left corner is the system's choice on the new screen; the size is ours.
        frame = frame_for_client(window, rect_at(0, 0, width, height));
        RECT client =
            rect_at(suggested->left - frame.left, suggested->top - frame.top, width, height);
        frame = frame_for_client(window, client);
        window->x = client.left;
        window->y = client.top;
        window->client_screen_rect = client;
        window->frame_rect = frame;
    }
    LeaveCriticalSection(&window->state_lock);
    LeaveCriticalSection(&window->lock);
    if (fullscreen) {
        RECT client;
        GetClientRect(window->hwnd, &client);
        follow_client_size(window, client.right, client.bottom);
        return;
    }
    SetWindowPos(window->hwnd, nullptr, frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
    record_background_strips(window);
    InvalidateRect(window->hwnd, nullptr, TRUE);
}

void record_background_strips(window_record *window) {
    EnterCriticalSection(&window->lock);
    RECT client{};
    GetClientRect(window->hwnd, &client);
    // The buffers' size, which a resize on another thread may have changed since.
    int right = screen_length(window, window->width.load()),
        bottom = screen_length(window, window->height.load());
    window->strip_right_of_buffer = RECT{right, 0, client.right, client.bottom};
    window->strip_below_buffer =
        RECT{0, bottom, std::min<LONG>(right, client.right), client.bottom};
    LeaveCriticalSection(&window->lock);
}

void on_window_limits(window_record *window, MINMAXINFO *info) {
    if (window->desktop->user_resizable || window->desktop->fullscreen_state != FULLSCREEN_OFF) {
        // The sizes the program gives, however small, must stay within the limits (a display's
        // window manager holds a window to them on its way back from fullscreen): the user
        // may make such a window as small as one drawing pixel. And as large as a client area
        // covering the monitor, so that a size the display reports late from fullscreen is
        // taken as it is, not cut into a move of our own that overtakes the way back.
        RECT smallest = frame_for_client(
            window, rect_at(0, 0, screen_length(window, 1), screen_length(window, 1)));
        RECT largest = frame_for_client(
            window, rect_at(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
        info->ptMinTrackSize.x = std::min(info->ptMinTrackSize.x, smallest.right - smallest.left);
        info->ptMinTrackSize.y = std::min(info->ptMinTrackSize.y, smallest.bottom - smallest.top);
        info->ptMaxTrackSize.x = std::max(info->ptMaxTrackSize.x, largest.right - largest.left);
        info->ptMaxTrackSize.y = std::max(info->ptMaxTrackSize.y, largest.bottom - largest.top);
        return;
    }
    EnterCriticalSection(&window->state_lock);
    POINT size{window->frame_rect.right - window->frame_rect.left,
               window->frame_rect.bottom - window->frame_rect.top};
    LeaveCriticalSection(&window->state_lock);
    info->ptMaxSize = size;
    // A drag of the border cannot change the size either, so the platform need not offer one.
    info->ptMinTrackSize = size;
    info->ptMaxTrackSize = size;
}
