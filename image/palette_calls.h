// The bitmap palette routine, shared by ZVUseBitmapPalette and ZVLoadImage.
#ifndef ZELVAN_IMAGE_PALETTE_CALLS_H
#define ZELVAN_IMAGE_PALETTE_CALLS_H

#include "core/window_record.h"
#include "image/bitmap_record.h"

// Makes the bitmap's colour table the window's palette. Returns ZV_OK, ZV_ERR_NO_DIB_PALETTE,
// ZV_ERR_DIB_BITCOUNT, ZV_ERR_DIB_PALETTE_SIZE, ZV_ERR_NO_MEMORY or ZV_ERROR (the platform
// made no palette); stores nothing in the last error. The caller holds a window reference and
// not the window lock.
int use_bitmap_palette(window_record *window, const bitmap_record *bitmap);

#endif
