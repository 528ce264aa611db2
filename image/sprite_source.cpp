// The sources of the sprite pastes, made once per record, and the pastes themselves.
#include "image/sprite_source.h"
#include "draw/drawing_state.h"

#include "draw/draw_call.h"
#include "image/record_pixels.h"

namespace {

// Makes the source on first use. Called with the record's source lock held.
bool make_source(const bitmap_record *record, bool premultiply, sprite_source *source) {
    if (source->dc) return true;
    uint32_t *pixels = nullptr;
    HBITMAP bitmap = record_dib_section(record, premultiply, &pixels);
    HDC dc = bitmap ? CreateCompatibleDC(nullptr) : nullptr;
    if (!dc) {
        if (bitmap) DeleteObject(bitmap);
        return false;
    }
    source->previous = SelectObject(dc, bitmap);
    source->bitmap = bitmap;
    source->dc = dc;
    return true;
}

// Whether a bitmap at (x, y) covers any pixel of the window's buffers. With the window lock
// held, which every change of the size holds.
bool lands_on_buffer(const window_record *window, const bitmap_record *record, int x, int y) {
    int width = window->width, height = window->height;
    return width > 0 && height > 0 && x < width && y < height && int64_t{x} + record->width > 0 &&
           int64_t{y} + record->height > 0;
}

// Runs `paste(buffer DC, source DC)` on the draw buffer with the source held, in the lock
// order records keep: the source lock first, then the window lock. A paste that misses the
// buffer, as every paste onto a window with no pixels (made 0 x 0) does, draws nothing and
// succeeds, as a plain paste does.
template <typename Paste>
int with_source(window_record *window, bitmap_record *record, int x, int y, bool premultiply,
                sprite_source *source, Paste paste) {
    EnterCriticalSection(&record->source_lock);
    int result = ZV_OK;
    {
        selected_buffer draw(window, buffer_role::draw, true);
        if (lands_on_buffer(window, record, x, y)) {
            result = ZV_ERR_NO_MEMORY;
            if (make_source(record, premultiply, source))
                result = platform_result(draw.dc && paste(draw.dc, source->dc));
        }
    }
    LeaveCriticalSection(&record->source_lock);
    return result;
}

} // namespace

int paste_blended(window_record *window, bitmap_record *record, int x, int y,
                  bool over_background) {
    int width = record->width, height = record->height;
    return with_source(window, record, x, y, true, &record->blend_source, [&](HDC dc, HDC source) {
        RECT area = {x, y, saturate_int(int64_t{x} + width), saturate_int(int64_t{y} + height)};
        if (over_background) FillRect(dc, &area, window->drawing->background_brush);
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        return AlphaBlend(dc, x, y, width, height, source, 0, 0, width, height, blend);
    });
}

int paste_keyed(window_record *window, bitmap_record *record, int x, int y, COLORREF key) {
    int width = record->width, height = record->height;
    return with_source(window, record, x, y, false, &record->key_source, [&](HDC dc, HDC source) {
        return TransparentBlt(dc, x, y, width, height, source, 0, 0, width, height, key);
    });
}
