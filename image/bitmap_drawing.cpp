// The bitmap calls that meet a window: show, paste, draw and copy.
#include "core/result_codes.h"
#include "core/startup/library_call.h"
#include "draw/draw_call.h"
#include "image/bitmap_list.h"
#include "image/files/bmp_file.h"
#include "image/sprites/mapped_drawing.h"
#include "image/sprites/sprite_mapping.h"
#include "image/sprites/sprite_source.h"
#include "window/resize.h"
#include "zelvan.h"

#include <cmath>

namespace {

// Checks the rectangle in the documented order and clips it to the window.
int clip_copy_rectangle(const window_record *window, int left, int top, int *width, int *height) {
    int window_width = window->width, window_height = window->height;
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
bitmap_record *copy_view_rectangle(window_record *window, int left, int top, int width,
                                   int height) {
    // The screen's DC, not the window's: the window's own DC belongs to the GUI thread,
    // which may be painting with it at this moment.
    HDC screen_dc = GetDC(nullptr);
    HBITMAP copy = CreateCompatibleBitmap(screen_dc, width, height);
    HDC copy_dc = CreateCompatibleDC(screen_dc);
    ReleaseDC(nullptr, screen_dc);
    HGDIOBJ copy_previous = SelectObject(copy_dc, copy);
    {
        selected_buffer view(window, buffer_role::view, false);
        if (view.dc) BitBlt(copy_dc, 0, 0, width, height, view.dc, left, top, SRCCOPY);
    }
    SelectObject(copy_dc, copy_previous);
    DeleteDC(copy_dc);
    bitmap_record *record = capture_bitmap(window, copy);
    DeleteObject(copy);
    return record;
}

// Draws the whole bitmap into the window's draw buffer at (x, y) and marks the buffer dirty;
// the pixels of its colour key are left out.
int draw_into_buffer(window_record *window, bitmap_record *bitmap, int x, int y) {
    uint32_t key = bitmap->colour_key.load(std::memory_order_relaxed);
    if (key != NO_COLOUR_KEY)
        return paste_keyed(window, bitmap, whole_record(bitmap, x, y), key, false);
    selected_buffer draw(window, buffer_role::draw, true);
    if (draw.dc) draw_record(draw.dc, x, y, bitmap);
    return ZV_OK;
}

// Draws a draw that lands pixel for pixel as the pastes draw it: by alpha, around the key,
// or copied, the whole bitmap exactly as ZVPasteBitmap draws it.
int draw_plainly(window_record *window, bitmap_record *bitmap, const sprite_draw &d,
                 const sprite_mapping &m) {
    int x = saturate_int(int64_t{d.x} + m.left - d.src_x);
    int y = saturate_int(int64_t{d.y} + m.top - d.src_y);
    paste_area area{x, y, m.left, m.top, m.right - m.left, m.bottom - m.top};
    if (bitmap->has_alpha) return paste_blended(window, bitmap, area, false);
    uint32_t key = bitmap->colour_key.load(std::memory_order_relaxed);
    if (key != NO_COLOUR_KEY) return paste_keyed(window, bitmap, area, key, false);
    if (area.width == bitmap->width && area.height == bitmap->height)
        return draw_into_buffer(window, bitmap, x, y);
    return paste_copied(window, bitmap, area);
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
    // A picture with alpha or a colour key shows as it would over an empty window: on its
    // background colour.
    paste_area whole = whole_record(image, 0, 0);
    if (image->has_alpha) return paste_blended(found_window.record, image, whole, true);
    uint32_t key = image->colour_key.load(std::memory_order_relaxed);
    if (key != NO_COLOUR_KEY) return paste_keyed(found_window.record, image, whole, key, true);
    return draw_into_buffer(found_window.record, image, 0, 0);
}

ZVEXPORT int ZVAPI ZVPasteBitmap(int window, int bitmap, int x, int y) {
    library_call call;
    if (call.refused()) return ZV_ERR_NOT_INITIALISED;
    window_ref found_window(window);
    bitmap_ref found_bitmap(bitmap);
    if (!found_window.ok()) return ZV_ERR_BAD_WINDOW;
    if (!found_bitmap.record) return ZV_ERR_BAD_BITMAP;
    return draw_into_buffer(found_window.record, found_bitmap.record, x, y);
}

ZVEXPORT int ZVAPI ZVPasteBitmapAlpha(int window, int bitmap, int x, int y) {
    library_call call;
    if (call.refused()) return ZV_ERR_NOT_INITIALISED;
    window_ref found_window(window);
    bitmap_ref found_bitmap(bitmap);
    if (!found_window.ok()) return ZV_ERR_BAD_WINDOW;
    if (!found_bitmap.record) return ZV_ERR_BAD_BITMAP;
    bitmap_record *image = found_bitmap.record;
    if (!image->has_alpha) return draw_into_buffer(found_window.record, image, x, y);
    return paste_blended(found_window.record, image, whole_record(image, x, y), false);
}

ZVEXPORT int ZVAPI ZVPasteBitmapKeyed(int window, int bitmap, int x, int y, ZVCOLOUR key) {
    library_call call;
    if (call.refused()) return ZV_ERR_NOT_INITIALISED;
    window_ref found_window(window);
    bitmap_ref found_bitmap(bitmap);
    if (!found_window.ok()) return ZV_ERR_BAD_WINDOW;
    if (!found_bitmap.record) return ZV_ERR_BAD_BITMAP;
    bitmap_record *image = found_bitmap.record;
    return paste_keyed(found_window.record, image, whole_record(image, x, y), colour_bits(key),
                       false);
}

ZVEXPORT int ZVAPI ZVDrawBitmap(int window, int bitmap, int src_x, int src_y, int src_width,
                                int src_height, int x, int y, int width, int height, double angle,
                                int flags) {
    library_call call;
    if (call.refused()) return ZV_ERR_NOT_INITIALISED;
    window_ref found_window(window);
    bitmap_ref found_bitmap(bitmap);
    if (!found_window.ok()) return ZV_ERR_BAD_WINDOW;
    if (!found_bitmap.record) return ZV_ERR_BAD_BITMAP;
    if (src_width < 0 || width < 0) return ZV_ERR_BAD_WIDTH;
    if (src_height < 0 || height < 0) return ZV_ERR_BAD_HEIGHT;
    // Unknown flags are refused: a program given a later library's flag learns it went unheeded.
    if ((flags & ~(ZV_FLIP_X | ZV_FLIP_Y | ZV_SMOOTH)) != 0 || !std::isfinite(angle))
        return ZV_ERROR;
    if (src_width == 0 || src_height == 0 || width == 0 || height == 0) return ZV_OK;
    bool flip_x = (flags & ZV_FLIP_X) != 0, flip_y = (flags & ZV_FLIP_Y) != 0;
    sprite_draw d{src_x, src_y, src_width, src_height, x, y, width, height, angle, flip_x, flip_y};
    bitmap_record *image = found_bitmap.record;
    sprite_mapping m;
    if (!sprite_mapping_make(d, image->width, image->height, &m)) return ZV_OK;
    // Smoothing changes nothing there: every centre lands on a centre, which reads one pixel.
    if (sprite_draw_is_plain(d)) return draw_plainly(found_window.record, image, d, m);
    return draw_mapped(found_window.record, image, m, (flags & ZV_SMOOTH) != 0);
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
