// Bitmaps as bytes: a bitmap made from R, G, B, A rows, its pixels read back the same way, and
// the colour key its pastes leave out.
#include "core/result_codes.h"
#include "core/startup/library_call.h"
#include "image/bitmap_list.h"
#include "image/record_pixels.h"
#include "zelvan.h"

namespace {

// The bytes from one row to the next: `stride`, or 4 a pixel when it is 0. -1 when rows of
// `width` pixels would overlap.
int64_t row_bytes(int width, int stride) {
    int64_t packed = int64_t{width} * 4;
    if (stride == 0) return packed;
    return stride < packed ? -1 : stride;
}

} // namespace

extern "C" {

ZVEXPORT int ZVAPI ZVCreateBitmap(int width, int height, const unsigned char *rgba, int stride) {
    library_call call;
    if (call.refused()) return 0;
    int64_t step = row_bytes(width, stride);
    int failure = width < 1 || width > MAX_DIB_SIDE || step < 0 ? ZV_ERR_BAD_WIDTH
                  : height < 1 || height > MAX_DIB_SIDE         ? ZV_ERR_BAD_HEIGHT
                                                                : ZV_OK;
    bitmap_record *record = failure == ZV_OK ? dib_record_new(width, height, true) : nullptr;
    if (!record) {
        set_last_error(failure == ZV_OK ? ZV_ERR_NO_MEMORY : failure);
        return 0;
    }
    // No pixels given leaves the new record's zeroes: transparent everywhere.
    for (int y = 0; rgba && y < height; ++y) {
        const unsigned char *from = rgba + step * y;
        // The record keeps BMP's order: bottom row first, B, G, R, A.
        unsigned char *to = record->bits + int64_t{width} * 4 * (height - 1 - y);
        for (int x = 0; x < width; ++x, from += 4, to += 4) {
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
            to[3] = from[3];
        }
    }
    return bitmap_list_add(record);
}

ZVEXPORT int ZVAPI ZVGetBitmapPixels(int bitmap, unsigned char *rgba, int stride) {
    library_call call;
    if (call.refused()) return ZV_ERR_NOT_INITIALISED;
    bitmap_ref found(bitmap);
    if (!found.record) return ZV_ERR_BAD_BITMAP;
    const bitmap_record *record = found.record;
    int64_t step = row_bytes(record->width, stride);
    if (step < 0) return ZV_ERR_BAD_WIDTH;
    if (!rgba) return ZV_ERROR;
    // Every depth, palette and compression comes out of the platform as 0xAARRGGBB.
    uint32_t *pixels = nullptr;
    HBITMAP section = record_dib_section(record, false, &pixels);
    if (!section) return ZV_ERR_NO_MEMORY;
    for (int y = 0; y < record->height; ++y) {
        const uint32_t *from = pixels + int64_t{record->width} * y;
        unsigned char *to = rgba + step * y;
        for (int x = 0; x < record->width; ++x, to += 4) {
            uint32_t p = from[x];
            to[0] = static_cast<unsigned char>(p >> 16);
            to[1] = static_cast<unsigned char>(p >> 8);
            to[2] = static_cast<unsigned char>(p);
            to[3] = static_cast<unsigned char>(p >> 24);
        }
    }
    DeleteObject(section);
    return ZV_OK;
}

ZVEXPORT int ZVAPI ZVSetBitmapColourKey(int bitmap, ZVCOLOUR key) {
    library_call call;
    if (call.refused()) return ZV_ERR_NOT_INITIALISED;
    bitmap_ref found(bitmap);
    if (!found.record) return ZV_ERR_BAD_BITMAP;
    // The pastes remake the copies they keep when they find another key than theirs.
    found.record->colour_key = key == ZV_NO_COLOUR_KEY ? NO_COLOUR_KEY : key & 0x00FFFFFFu;
    return ZV_OK;
}

} // extern "C"
