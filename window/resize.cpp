// The resize routine.
#include "window/resize.h"

#include "window/geometry_handlers.h"
#include "zelvan.h"

#include <algorithm>

namespace {

// Puts `new_buffer` (made at the new size) in place of buffer `index`: it takes the old
// picture's top-left part, and the area the old one did not cover (all of it when there was
// none) takes the background colour.
void replace_buffer(window_record *r, int index, HBITMAP new_buffer, HDC scratch_dc, int copy_width,
                    int copy_height, bool grows) {
    EnterCriticalSection(&r->lock);
    HBITMAP old_buffer = r->buffer_bitmap[index];
    HGDIOBJ memory_previous = SelectObject(r->memory_dc, new_buffer);
    if (grows || !old_buffer) FillRect(r->memory_dc, &r->buffer_rect, r->background_brush);
    if (old_buffer) {
        HGDIOBJ scratch_previous = SelectObject(scratch_dc, old_buffer);
        BitBlt(r->memory_dc, 0, 0, copy_width, copy_height, scratch_dc, 0, 0, SRCCOPY);
        SelectObject(scratch_dc, scratch_previous);
        DeleteObject(old_buffer);
    }
    SelectObject(r->memory_dc, memory_previous);
    r->buffer_bitmap[index] = new_buffer;
    LeaveCriticalSection(&r->lock);
}

// Makes a bitmap of the new size for every buffer the window has, before anything changes:
// a size the system cannot hold must leave the window and its pictures as they were.
bool make_new_buffers(window_record *r, HDC screen_dc, int width, int height, HBITMAP made[2]) {
    EnterCriticalSection(&r->lock);
    bool has[2] = {r->buffer_bitmap[0] != nullptr, r->buffer_bitmap[1] != nullptr};
    // A window made with no usable size has no buffer yet: it gets its draw buffer now.
    if (!has[0] && !has[1]) has[r->draw_buffer.load()] = true;
    LeaveCriticalSection(&r->lock);
    for (int index = 0; index < 2; ++index) {
        made[index] = has[index] ? CreateCompatibleBitmap(screen_dc, width, height) : nullptr;
        if (has[index] && !made[index]) {
            if (made[0]) DeleteObject(made[0]);
            return false;
        }
    }
    return true;
}

} // namespace

int resize_window(window_record *r, int width, int height) {
    // Without a positive size no buffer can be made; refuse rather than drop the picture.
    if (width < 1) return ZV_ERR_BAD_WIDTH;
    if (height < 1) return ZV_ERR_BAD_HEIGHT;
    EnterCriticalSection(&r->state_lock);
    RECT client = r->client_screen_rect;
    int x = r->x, y = r->y;
    LeaveCriticalSection(&r->state_lock);
    if (client.right - client.left == width && client.bottom - client.top == height) return ZV_OK;

    // The new buffers are made compatible with the screen's DC, not the window's: that one is
    // the GUI thread's while it paints, and a DC serves one thread at a time.
    HDC screen_dc = GetDC(nullptr);
    HBITMAP new_buffers[2];
    if (!make_new_buffers(r, screen_dc, width, height, new_buffers)) {
        ReleaseDC(nullptr, screen_dc);
        return ZV_ERR_NO_MEMORY;
    }
    EnterCriticalSection(&r->state_lock);
    r->client_screen_rect = rect_at(x, y, width, height);
    RECT frame = r->frame_rect = frame_for_client(r->client_screen_rect);
    LeaveCriticalSection(&r->state_lock);

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

    HDC scratch_dc = CreateCompatibleDC(screen_dc);
    for (int index = 0; index < 2; ++index)
        if (new_buffers[index])
            replace_buffer(r, index, new_buffers[index], scratch_dc, copy_width, copy_height,
                           grows);
    DeleteDC(scratch_dc);
    ReleaseDC(nullptr, screen_dc);
    InvalidateRect(r->hwnd, nullptr, TRUE);
    Sleep(0);
    return ZV_OK;
}
