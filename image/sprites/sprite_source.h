// Pasting a bitmap by its alpha or around a key colour, through the platform's AlphaBlend and
// TransparentBlt with a source kept beside the record.
#ifndef ZELVAN_IMAGE_SPRITE_SOURCE_H
#define ZELVAN_IMAGE_SPRITE_SOURCE_H

#include "core/window_record.h"
#include "image/bitmap_record.h"

// A rectangle of a record laid on the buffer unscaled: the record's pixel (src_x, src_y) goes
// to (x, y). The source rectangle lies within the record.
struct paste_area {
    int x, y, src_x, src_y, width, height;
};

// The whole record with its top-left corner at (x, y).
inline paste_area whole_record(const bitmap_record *record, int x, int y) {
    return paste_area{x, y, 0, 0, record->width, record->height};
}

// Blends the area of a record with alpha over the window's draw buffer and marks it dirty; with
// `over_background` the area is first painted in the background colour, so that the picture
// shows as it would on an empty window. Pixels of the record's colour key are left out.
// ZV_OK (also when the area misses the buffer, or the window has no pixels, and then nothing
// is made), ZV_ERR_NO_MEMORY when no source can be made, ZV_ERROR when the platform refuses.
int paste_blended(window_record *window, bitmap_record *record, const paste_area &area,
                  bool over_background);

// Copies every pixel of the area whose colour is neither `key` (0x00BBGGRR) nor the record's
// colour key into the draw buffer and marks it dirty; results as for paste_blended.
int paste_keyed(window_record *window, bitmap_record *record, const paste_area &area, COLORREF key,
                bool over_background);

// Copies the area of the record's colours as stored into the draw buffer and marks it dirty;
// results as for paste_blended.
int paste_copied(window_record *window, bitmap_record *record, const paste_area &area);

// Holds the record's source lock for a scope. Taken before any window lock, as the pastes take
// it. `pixels()` makes the premultiplied copy for the colour key in force (keyed pixels clear)
// once a draw is known to land, and gives its first row, `record->width` pixels a row, or null
// when it could not be made.
struct blend_source_hold {
    bitmap_record *record;
    explicit blend_source_hold(bitmap_record *record);
    const uint32_t *pixels();
    ~blend_source_hold();
    blend_source_hold(const blend_source_hold &) = delete;
    blend_source_hold &operator=(const blend_source_hold &) = delete;
};

#endif
