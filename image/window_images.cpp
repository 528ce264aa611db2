// Window images: a BMP file becomes a window's picture, or what a window shows becomes one.
#include "core/result_codes.h"
#include "draw/draw_call.h"
#include "image/files/bmp_file.h"
#include "image/files/image_file.h"
#include "image/palette_calls.h"
#include "image/sprites/sprite_source.h"
#include "window/resize.h"
#include "zelvan.h"

extern "C" {

ZVEXPORT int ZVAPI ZVLoadImage(int window, const char *file_name) {
    window_ref found(window);
    if (!found.ok()) return ZV_ERR_BAD_WINDOW;
    bitmap_record *image = nullptr;
    int result = image_read(file_name, &image);
    if (result != ZV_OK) {
        set_last_error(result);
        return result;
    }
    // A window that cannot take the image's size keeps its size, palette and picture.
    result = resize_window(found.record, image->width, image->height);
    if (result != ZV_OK) {
        bitmap_record_free(image);
        set_last_error(result);
        return result;
    }
    // A 24-bit image has no palette to give and leaves the window's own in place; a core
    // header's RGBTRIPLE table is turned into a palette like any other.
    use_bitmap_palette(found.record, image);
    if (image->has_alpha) {
        // Shown over the window's background colour, as ZVShowBitmap shows it.
        paste_blended(found.record, image, whole_record(image, 0, 0), true);
    } else {
        selected_buffer draw(found.record, buffer_role::draw, true);
        if (draw.dc) draw_record(draw.dc, 0, 0, image);
    }
    bitmap_record_free(image);
    return ZV_OK;
}

ZVEXPORT int ZVAPI ZVSaveImage(int window, const char *file_name) {
    window_ref found(window);
    if (!found.ok()) return ZV_ERR_BAD_WINDOW;
    int failure = ZV_OK;
    bitmap_record *capture = capture_view_buffer(found.record, &failure);
    if (!capture) return failure;
    int result = image_write(capture, file_name);
    bitmap_record_free(capture);
    return result;
}

} // extern "C"
