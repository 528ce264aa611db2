// The sources of the sprite pastes, made once per record and colour key, and the pastes
// themselves.
#include "image/sprites/sprite_source.h"
#include "draw/drawing_state.h"

#include "draw/draw_call.h"
#include "image/record_pixels.h"
#include "platform/red_blue.h"

namespace {

// What the pixels of the record's colour key `key` (0x00BBGGRR) turn into in a copy:
// `becomes` (0xAARRGGBB). The copies for TransparentBlt and BitBlt ignore alpha, so a key
// that becomes its own colour, opaque, changes nothing; nor does having no key.
struct key_rule {
    uint32_t key;
    uint32_t becomes;
    bool swaps() const {
        return key != NO_COLOUR_KEY && becomes != (swap_red_blue(key) | 0xFF000000u);
    }
};

// Makes the source on first use, and again when it was made for another key rule. Called
// with the record's source lock held.
bool make_source(const bitmap_record *record, bool premultiply, key_rule rule,
                 sprite_source *source) {
    // Every rule that changes nothing is one, so that alternating pastes share the copy.
    if (!rule.swaps()) rule = key_rule{NO_COLOUR_KEY, 0};
    if (source->dc && source->key == rule.key && source->key_becomes == rule.becomes) return true;
    sprite_source_release(source);
    uint32_t *pixels = nullptr;
    key_swap swap{swap_red_blue(rule.key), rule.becomes};
    HBITMAP bitmap =
        record_dib_section(record, premultiply, &pixels, rule.swaps() ? &swap : nullptr);
    HDC dc = bitmap ? CreateCompatibleDC(nullptr) : nullptr;
    if (!dc) {
        if (bitmap) DeleteObject(bitmap);
        return false;
    }
    source->previous = SelectObject(dc, bitmap);
    source->bitmap = bitmap;
    source->dc = dc;
    source->pixels = pixels;
    source->key = rule.key;
    source->key_becomes = rule.becomes;
    return true;
}

// The premultiplied copy clears the pixels of the key.
key_rule blend_rule(const bitmap_record *record) {
    return key_rule{record->colour_key.load(std::memory_order_relaxed), 0};
}

// Whether an area covers any pixel of the window's buffers. With the window lock held, which
// every change of the size holds.
bool lands_on_buffer(const window_record *window, const paste_area &area) {
    int width = window->width, height = window->height;
    return width > 0 && height > 0 && area.x < width && area.y < height &&
           int64_t{area.x} + area.width > 0 && int64_t{area.y} + area.height > 0;
}

// Runs `paste(buffer DC, source DC)` on the draw buffer with the source held, in the lock
// order records keep: the source lock first, then the window lock. A paste that misses the
// buffer, as every paste onto a window with no pixels (made 0 x 0) does, draws nothing and
// succeeds, as a plain paste does.
template <typename Paste>
int with_source(window_record *window, bitmap_record *record, const paste_area &area,
                bool premultiply, key_rule rule, sprite_source *source, Paste paste) {
    EnterCriticalSection(&record->source_lock);
    int result = ZV_OK;
    {
        selected_buffer draw(window, buffer_role::draw, true);
        if (lands_on_buffer(window, area)) {
            result = ZV_ERR_NO_MEMORY;
            if (make_source(record, premultiply, rule, source))
                result = platform_result(draw.dc && paste(draw.dc, source->dc));
        }
    }
    LeaveCriticalSection(&record->source_lock);
    return result;
}

void fill_background(window_record *window, HDC dc, const paste_area &area) {
    RECT box = rect_at(area.x, area.y, area.width, area.height);
    FillRect(dc, &box, window->drawing->background_brush);
}

} // namespace

int paste_blended(window_record *window, bitmap_record *record, const paste_area &area,
                  bool over_background) {
    return with_source(window, record, area, true, blend_rule(record), &record->blend_source,
                       [&](HDC dc, HDC source) {
                           if (over_background) fill_background(window, dc, area);
                           BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
                           return AlphaBlend(dc, area.x, area.y, area.width, area.height, source,
                                             area.src_x, area.src_y, area.width, area.height,
                                             blend);
                       });
}

int paste_keyed(window_record *window, bitmap_record *record, const paste_area &area, COLORREF key,
                bool over_background) {
    // The record's own key takes the colour of the paste's, so that one TransparentBlt leaves
    // out both.
    key_rule rule{record->colour_key.load(std::memory_order_relaxed),
                  swap_red_blue(key) | 0xFF000000u};
    return with_source(
        window, record, area, false, rule, &record->key_source, [&](HDC dc, HDC source) {
            if (over_background) fill_background(window, dc, area);
            return TransparentBlt(dc, area.x, area.y, area.width, area.height, source, area.src_x,
                                  area.src_y, area.width, area.height, key);
        });
}

int paste_copied(window_record *window, bitmap_record *record, const paste_area &area) {
    key_rule as_stored{NO_COLOUR_KEY, 0};
    return with_source(window, record, area, false, as_stored, &record->key_source,
                       [&](HDC dc, HDC source) {
                           return BitBlt(dc, area.x, area.y, area.width, area.height, source,
                                         area.src_x, area.src_y, SRCCOPY);
                       });
}

blend_source_hold::blend_source_hold(bitmap_record *bitmap) : record(bitmap) {
    EnterCriticalSection(&bitmap->source_lock);
}

const uint32_t *blend_source_hold::pixels() {
    bitmap_record *bitmap = record;
    return make_source(bitmap, true, blend_rule(bitmap), &bitmap->blend_source)
               ? bitmap->blend_source.pixels
               : nullptr;
}

blend_source_hold::~blend_source_hold() {
    LeaveCriticalSection(&record->source_lock);
}
