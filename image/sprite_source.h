// Pasting a bitmap by its alpha or around a key colour, through the platform's AlphaBlend and
// TransparentBlt with a source kept beside the record.
#ifndef ZELVAN_IMAGE_SPRITE_SOURCE_H
#define ZELVAN_IMAGE_SPRITE_SOURCE_H

#include "core/window_record.h"
#include "image/bitmap_record.h"

// Blends a record with alpha over the window's draw buffer at (x, y) and marks it dirty; with
// `over_background` the record's rectangle is first painted in the background colour, so
// that the picture shows as it would on an empty window. ZV_OK (also when it misses the
// buffer, or the window has no pixels), ZV_ERR_NO_MEMORY when no source can be made,
// ZV_ERROR when the platform refuses.
int paste_blended(window_record *window, bitmap_record *record, int x, int y, bool over_background);

// Copies every pixel of the record whose colour is not `key` (0x00BBGGRR) into the draw
// buffer at (x, y) and marks it dirty; results as for paste_blended.
int paste_keyed(window_record *window, bitmap_record *record, int x, int y, COLORREF key);

#endif
