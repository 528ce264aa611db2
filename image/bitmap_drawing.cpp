// The bitmap calls that meet a window: show, paste and copy.
#include "core/library_call.h"
#include "core/result_codes.h"
#include "draw/draw_call.h"
#include "image/bitmap_list.h"
#include "image/bmp_file.h"
#include "image/sprite_source.h"
#include "window/resize.h"
#include "zelvan.h"

namespace {

// Checks the rectangle in the documented order and clips it to the window.
int clip_copy_rectangle(const window_record *r, int left, int top, int *width, int *height) {
    int window_width = r->width, window_height = r->height;
    if (left < 0 || left >= window_width) return ZV_ERR_BAD_LEFT;
    if (*width <= 0) return ZV_ERR_BAD_WIDTH;
    // Compared as differences, so that left + width cannot overflow.
    if (*width > window_width - left) *width = window_width - left;
    if (top < 0 || top >= window_height) return ZV_ERR_BAD_TOP;
    if (*height <= 0) return ZV_ERR_BAD_HEIGHT;
    if (*height > window_height - top) *height = window_height - top;
    return ZV_OK;
}

// Copies the rectangle of the view buffer into a new screen-compatible bitmap and captures it.
bitmap_record *copy_view_rectangle(window_record *r, int left, int top, int width, int height) {
    // The screen's DC, not the window's: the window's own DC belongs to the GUI thread,
    // which may be painting with it at this moment.
    HDC screen_dc = GetDC(nullptr);
    HBITMAP copy = CreateCompatibleBitmap(screen_dc, width, height);
    HDC copy_dc = CreateCompatibleDC(screen_dc);
    ReleaseDC(nullptr, screen_dc);
    HGDIOBJ copy_previous = SelectObject(copy_dc, copy);
    {
        selected_buffer view(r, buffer_role::view, false);
        if (view.dc) BitBlt(copy_dc, 0, 0, width, height, view.dc, left, top, SRCCOPY);
    }
    SelectObject(copy_dc, copy_previous);
    DeleteDC(copy_dc);
    bitmap_record *record = capture_bitmap(r, copy);
    DeleteObject(copy);
    return record;
}

// Draws the whole bitmap into the window's draw buffer at (x, y) and marks the buffer dirty.
void draw_into_buffer(window_record *r, const bitmap_record *bitmap, int x, int y) {
    selected_buffer draw(r, buffer_role::draw, true);
    if (draw.dc) draw_record(draw.dc, x, y, bitmap);
}

} // namespace

extern "C" {

ZVEXPORT int ZVAPI ZVShowBitmap(int window, int bitmap) {
    library_call call;
    if (call.refused()) return ZV_ERR_NOT_INITIALISED;
    window_ref found_window(window);
    bitmap_ref found_bitmap(bitmap);
    if (!found_window.ok()) return ZV_ERR_BAD_WINDOW;
    if (!found_bitmap.record) return ZV_ERR_BAD_BITMAP;
    bitmap_record *image = found_bitmap.record;
    // A window that cannot take the bitmap's size keeps its size and picture.
    int result = resize_window(found_window.record, image->width, image->height);
    if (result != ZV_OK) return result;
    // A picture with alpha shows as it would over an empty window: on its background colour.
    if (image->has_alpha) return paste_blended(found_window.record, image, 0, 0, true);
    draw_into_buffer(found_window.record, image, 0, 0);
    return ZV_OK;
}

ZVEXPORT int ZVAPI ZVPasteBitmap(int window, int bitmap, int x, int y) {
    library_call call;
    if (call.refused()) return ZV_ERR_NOT_INITIALISED;
    window_ref found_window(window);
    bitmap_ref found_bitmap(bitmap);
    if (!found_window.ok()) return ZV_ERR_BAD_WINDOW;
    if (!found_bitmap.record) return ZV_ERR_BAD_BITMAP;
    draw_into_buffer(found_window.record, found_bitmap.record, x, y);
    return ZV_OK;
}

ZVEXPORT int ZVAPI ZVPasteBitmapAlpha(int window, int bitmap, int x, int y) {
    library_call call;
    if (call.refused()) return ZV_ERR_NOT_INITIALISED;
    window_ref found_window(window);
    bitmap_ref found_bitmap(bitmap);
    if (!found_window.ok()) return ZV_ERR_BAD_WINDOW;
    if (!found_bitmap.record) return ZV_ERR_BAD_BITMAP;
    if (!found_bitmap.record->has_alpha) {
        draw_into_buffer(found_window.record, found_bitmap.record, x, y);
        return ZV_OK;
    }
    return paste_blended(found_window.record, found_bitmap.record, x, y, false);
}

ZVEXPORT int ZVAPI ZVPasteBitmapKeyed(int window, int bitmap, int x, int y, ZVCOLOUR key) {
    library_call call;
    if (call.refused()) return ZV_ERR_NOT_INITIALISED;
    window_ref found_window(window);
    bitmap_ref found_bitmap(bitmap);
    if (!found_window.ok()) return ZV_ERR_BAD_WINDOW;
    if (!found_bitmap.record) return ZV_ERR_BAD_BITMAP;
    return paste_keyed(found_window.record, found_bitmap.record, x, y, colour_bits(key));
}

ZVEXPORT int ZVAPI ZVCopyBitmap(int window, int left, int top, int width, int height) {
    window_ref found(window);
    if (!found.ok()) return 0;
    int result = clip_copy_rectangle(found.record, left, top, &width, &height);
    if (result != ZV_OK) {
        set_last_error(result);
        return 0;
    }
    bitmap_record *record = copy_view_rectangle(found.record, left, top, width, height);
    return record ? bitmap_list_add(record) : 0;
}

} // extern "C"
