// The resize routine.
#include "window/resize.h"

#include "window/geometry_handlers.h"
#include "zelvan.h"

#include <algorithm>

namespace {

// Replaces one buffer, if it exists, by a width x height bitmap holding the old picture's top-left
// part; the area the old one did not cover takes the background colour.
void replace_buffer(window_record *r, int index, HDC window_dc, HDC scratch_dc, int copy_width,
                    int copy_height, bool grows) {
    EnterCriticalSection(&r->lock);
    HBITMAP old_buffer = r->buffer_bitmap[index];
    if (!old_buffer) {
        LeaveCriticalSection(&r->lock);
        return;
    }
    HBITMAP new_buffer = CreateCompatibleBitmap(window_dc, r->width, r->height);
    HGDIOBJ memory_previous = SelectObject(r->memory_dc, new_buffer);
    HGDIOBJ scratch_previous = SelectObject(scratch_dc, old_buffer);
    if (grows) FillRect(r->memory_dc, &r->buffer_rect, r->background_brush);
    BitBlt(r->memory_dc, 0, 0, copy_width, copy_height, scratch_dc, 0, 0, SRCCOPY);
    SelectObject(r->memory_dc, memory_previous);
    SelectObject(scratch_dc, scratch_previous);
    DeleteObject(old_buffer);
    r->buffer_bitmap[index] = new_buffer;
    LeaveCriticalSection(&r->lock);
}

} // namespace

int resize_window(window_record *r, int width, int height) {
    // Without a positive size no buffer can be made; refuse rather than drop the picture.
    if (width < 1) return ZV_ERR_BAD_WIDTH;
    if (height < 1) return ZV_ERR_BAD_HEIGHT;
    EnterCriticalSection(&r->state_lock);
    RECT client = r->client_screen_rect;
    bool same = client.right - client.left == width && client.bottom - client.top == height;
    int x = r->x, y = r->y;
    RECT frame{};
    if (!same) {
        r->client_screen_rect = RECT{x, y, x + width, y + height};
        r->frame_rect = frame = frame_for_client(r->client_screen_rect);
    }
    LeaveCriticalSection(&r->state_lock);
    if (same) return ZV_OK;

    int old_width = r->width, old_height = r->height;
    int copy_width = std::min(old_width, width);
    int copy_height = std::min(old_height, height);
    bool grows = old_width < width || old_height < height;
    MoveWindow(r->hwnd, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
               TRUE);

    EnterCriticalSection(&r->lock);
    r->width = width;
    r->height = height;
    r->buffer_rect.right = width + 1;
    r->buffer_rect.bottom = height + 1;
    GetClientRect(r->hwnd, &r->client_rect);
    r->client_rect.left = width;
    LeaveCriticalSection(&r->lock);

    // The new buffers are made compatible with the screen's DC, not the window's: that one is
    // the GUI thread's while it paints, and a DC serves one thread at a time.
    HDC screen_dc = GetDC(nullptr);
    HDC scratch_dc = CreateCompatibleDC(screen_dc);
    for (int index = 0; index < 2; ++index)
        replace_buffer(r, index, screen_dc, scratch_dc, copy_width, copy_height, grows);
    DeleteDC(scratch_dc);
    ReleaseDC(nullptr, screen_dc);
    InvalidateRect(r->hwnd, nullptr, TRUE);
    Sleep(0);
    return ZV_OK;
}
