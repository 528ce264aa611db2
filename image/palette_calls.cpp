// The palette calls: a window's palette from a RIFF file or a bitmap, and palettes saved.
#include "image/palette_calls.h"
#include "core/startup/library_call.h"
#include "draw/window_buffers.h"

#include "core/heap.h"
#include "core/result_codes.h"
#include "core/window_refresh.h"
#include "draw/draw_call.h"
#include "image/bitmap_list.h"
#include "image/files/bmp_file.h"
#include "image/files/palette_file.h"
#include "zelvan.h"

namespace {

// A platform palette from a LOGPALETTE block; on failure the code that says why.
int create_palette(const LOGPALETTE *block, HPALETTE *palette) {
    *palette = CreatePalette(block);
    if (*palette) return ZV_OK;
    return block->palVersion != 0x0300 ? ZV_ERR_PAL_VERSION : ZV_ERROR;
}

int load_riff_palette(window_record *window, const char *file_name) {
    LOGPALETTE *block = nullptr;
    int result = riff_palette_read(file_name, &block);
    if (result != ZV_OK) return result;
    HPALETTE palette;
    result = create_palette(block, &palette);
    heap_free(block);
    if (result != ZV_OK) return result;
    bool shows_change;
    {
        selected_buffer draw(window, buffer_role::draw, false);
        set_palette(window, palette);
        shows_change = mark_changed(window, window->view_buffer.load());
    }
    if (shows_change) request_refresh(window);
    return ZV_OK;
}

} // namespace

int use_bitmap_palette(window_record *window, const bitmap_record *bitmap) {
    LOGPALETTE *block = nullptr;
    int result = bitmap_palette_block(bitmap, &block);
    if (result != ZV_OK) return result;
    HPALETTE palette;
    result = create_palette(block, &palette);
    heap_free(block);
    if (result != ZV_OK) return result;
    EnterCriticalSection(&window->lock);
    set_palette(window, palette);
    LeaveCriticalSection(&window->lock);
    return ZV_OK;
}

extern "C" {

ZVEXPORT int ZVAPI ZVLoadRIFFPalette(int window, const char *file_name) {
    window_ref found(window);
    if (!found.ok()) return ZV_ERR_BAD_WINDOW;
    int result = load_riff_palette(found.record, file_name);
    // An allocation failure is the one outcome not kept as the last error.
    if (result != ZV_OK && result != ZV_ERR_NO_MEMORY) set_last_error(result);
    return result;
}

ZVEXPORT int ZVAPI ZVUseBitmapPalette(int window, int bitmap) {
    library_call call;
    if (call.refused()) return ZV_ERR_NOT_INITIALISED;
    window_ref found_window(window);
    bitmap_ref found_bitmap(bitmap);
    if (!found_window.ok()) return ZV_ERR_BAD_WINDOW;
    if (!found_bitmap.record) return ZV_ERR_BAD_BITMAP;
    return use_bitmap_palette(found_window.record, found_bitmap.record);
}

ZVEXPORT int ZVAPI ZVSaveWindowPalette(int window, const char *file_name) {
    window_ref found(window);
    if (!found.ok()) return ZV_ERR_BAD_WINDOW;
    int failure = ZV_OK;
    bitmap_record *capture = capture_view_buffer(found.record, &failure);
    if (!capture) return failure;
    int result = riff_palette_write(capture, file_name);
    bitmap_record_free(capture);
    return result;
}

ZVEXPORT int ZVAPI ZVSaveBitmapPalette(int bitmap, const char *file_name) {
    library_call call;
    if (call.refused()) return ZV_ERR_NOT_INITIALISED;
    bitmap_ref found(bitmap);
    if (!found.record) return ZV_ERR_BAD_BITMAP;
    return riff_palette_write(found.record, file_name);
}

} // extern "C"
