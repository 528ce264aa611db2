// Drawing a bitmap scaled, turned or mirrored, in software: the destination's pixels are read
// from the draw buffer, each one the map reaches takes a colour sampled from the bitmap and is
// laid under it by its alpha, and the pixels are written back.
#ifndef ZELVAN_IMAGE_MAPPED_DRAWING_H
#define ZELVAN_IMAGE_MAPPED_DRAWING_H

#include "core/window_record.h"
#include "draw/buffer_patch.h"
#include "image/bitmap_record.h"
#include "image/sprites/sprite_mapping.h"

// Draws `record` through `mapping` into the window's draw buffer and marks it dirty: sampled
// at the nearest pixel, or bilinearly with `smooth`. ZV_OK; ZV_ERR_NO_MEMORY when the bitmap's
// copy or the staging section cannot be made; ZV_ERROR when the platform refuses a copy.
int draw_mapped(window_record *window, bitmap_record *record, const sprite_mapping &mapping,
                bool smooth);

// Draws the rows of `band` that the map reaches from `source`, the bitmap's premultiplied
// copy (0xAARRGGBB, `source_width` pixels a row).
void draw_mapped_band(const sprite_mapping &mapping, const uint32_t *source, int64_t source_width,
                      bool smooth, const patch_band &band);

#endif
