// The resize routine.
#include "window/resize.h"
#include "draw/window_buffers.h"

#include "core/scale/window_scale.h"
#include "platform/saturate.h"
#include "window/geometry_handlers.h"
#include "zelvan.h"

namespace {

// A client area's size in screen pixels.
struct client_size {
    int width, height;
};

// Gives the client and frame rectangles the new client size at the window's position. With the
// window lock held; the state lock, a leaf, is taken inside it.
RECT record_client_size(window_record *window, client_size size) {
    EnterCriticalSection(&window->state_lock);
    RECT client = rect_at(window->x, window->y, size.width, size.height);
    LeaveCriticalSection(&window->state_lock);
    RECT frame = frame_for_client(window, client);
    EnterCriticalSection(&window->state_lock);
    window->client_screen_rect = client;
    window->frame_rect = frame;
    LeaveCriticalSection(&window->state_lock);
    return frame;
}

// Replaces every buffer of the window and records its size in one hold of the window lock: a
// buffer that double buffering adds or drops meanwhile is then either replaced here or made at
// the new size, never left at the old size or overwritten and lost, and of two resizes at
// once the one that replaces the buffers last also leaves its size in every field. The client
// area is recorded at `client`. Sets `frame` to where the window goes and `moved` when the
// drawing size changed.
int resize_buffers(window_record *window, HDC screen_dc, int width, int height, client_size client,
                   RECT *frame, bool *moved) {
    EnterCriticalSection(&window->lock);
    // The size in force, read under the lock that every change of it holds.
    *moved = window->width != width || window->height != height;
    resized_buffers made{};
    bool ok = !*moved || make_resized_buffers(window, screen_dc, width, height, &made);
    if (ok && *moved) {
        int old_width = window->width, old_height = window->height;
        window->width = width;
        window->height = height;
        window->buffer_rect.right = saturate_int(int64_t{width} + 1);
        window->buffer_rect.bottom = saturate_int(int64_t{height} + 1);
        swap_in_resized_buffers(window, made, screen_dc, old_width, old_height);
    }
    if (ok) *frame = record_client_size(window, client);
    LeaveCriticalSection(&window->lock);
    return ok ? ZV_OK : ZV_ERR_NO_MEMORY;
}

// resize_buffers with the screen's DC: the new buffers are made compatible with it, not with
// the window's, which is the GUI thread's while it paints (a DC serves one thread at a time).
int resize_buffers_like_screen(window_record *window, int width, int height, client_size client,
                               RECT *frame, bool *moved) {
    // Without a positive size no buffer can be made; refuse rather than drop the picture.
    if (width < 1) return ZV_ERR_BAD_WIDTH;
    if (height < 1) return ZV_ERR_BAD_HEIGHT;
    HDC screen_dc = GetDC(nullptr);
    int result = resize_buffers(window, screen_dc, width, height, client, frame, moved);
    ReleaseDC(nullptr, screen_dc);
    return result;
}

} // namespace

int fill_client_area(window_record *window, int width, int height, int client_width,
                     int client_height) {
    RECT frame{};
    bool moved = false;
    int result = resize_buffers_like_screen(
        window, width, height, client_size{client_width, client_height}, &frame, &moved);
    if (result != ZV_OK) return result;
    record_background_strips(window);
    InvalidateRect(window->hwnd, nullptr, TRUE);
    return ZV_OK;
}

int resize_window(window_record *window, int width, int height) {
    RECT frame{};
    bool moved = false;
    client_size client{screen_length(window, width), screen_length(window, height)};
    int result = resize_buffers_like_screen(window, width, height, client, &frame, &moved);
    // A canvas is its buffers: no platform window follows them.
    if (result != ZV_OK || !moved || window->canvas) return result;

    // The platform window follows the buffers, outside the window lock: moving it waits for
    // the GUI thread, which takes that lock to paint. Should another resize's move overtake
    // this one, the size handler puts the window back to the frame recorded last.
    screen_pixels_scope screen_pixels;
    MoveWindow(window->hwnd, frame.left, frame.top, frame.right - frame.left,
               frame.bottom - frame.top, TRUE);
    record_background_strips(window);
    InvalidateRect(window->hwnd, nullptr, TRUE);
    // A hint, not a wait: with no lock held, give up the time slice once so that a GUI thread
    // ready on this core can paint the new size before the caller's next drawing call takes
    // the window lock again. Nothing depends on the paint having happened.
    Sleep(0);
    return ZV_OK;
}
