// A bitmap record's colours as 32-bit pixels, whatever its depth, palette or compression.
#ifndef ZELVAN_IMAGE_RECORD_PIXELS_H
#define ZELVAN_IMAGE_RECORD_PIXELS_H

#include "image/bitmap_record.h"

// Pixels of one colour (0x00RRGGBB, alpha aside) that a copy holds as another pixel
// (0xAARRGGBB) instead: how a bitmap's colour key reaches its copies.
struct key_swap {
    uint32_t colour;
    uint32_t replacement;
};

// A new top-down 32-bit DIB section of the record's size holding its colours as 0xAARRGGBB:
// for a record with alpha its alpha, with the colours multiplied by it when `premultiply`
// (as AlphaBlend takes them); 255 everywhere else. With `swap`, its pixels of that colour are
// replaced first. `*pixels` points at its first row. Null when out of memory.
HBITMAP record_dib_section(const bitmap_record *record, bool premultiply, uint32_t **pixels,
                           const key_swap *swap = nullptr);

#endif
