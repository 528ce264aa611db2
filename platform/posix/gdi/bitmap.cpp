// Device-dependent bitmaps: 32-bit BGRX pixel blocks, created black.
#include "platform/posix/gdi/gdi_internal.h"

#include <new>
#include <stdlib.h>

namespace {

// Above this a bitmap is refused rather than attempted: 2^31 bytes of pixels.
constexpr int64_t max_bitmap_bytes = (int64_t)1 << 31;

// Pixels from one row to the next. A row of a multiple of 512 bytes (1024 pixels wide, say)
// would put every pixel of a column into the same few cache sets, and vertical lines and
// steep edges would then go to memory for each pixel: such rows get 16 pixels of padding.
int gdi_bitmap_stride(int width) {
    return width % 128 == 0 ? width + 16 : width;
}

} // namespace

// Win32 gives the stock 1x1 bitmap for a zero width or height; so do we. A missing DC, a
// negative size or one whose pixels would not fit in memory fails (NULL).
HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int width, int height) {
    if (!gdi_dc_get(hdc)) return nullptr;
    if (width < 0 || height < 0) return nullptr;
    if (width == 0 || height == 0) return static_cast<HBITMAP>(gdi_stock_bitmap()->header.handle);
    // Pixels are compared first: INT_MAX squared times four does not fit in 64 bits, and the
    // padded stride of such a width would not fit in an int.
    if ((int64_t)width * height > max_bitmap_bytes / 4) return nullptr;
    int stride = gdi_bitmap_stride(width);
    int64_t bytes = (int64_t)stride * height * 4;
    if (bytes > max_bitmap_bytes) return nullptr;
    gdi_bitmap *bitmap = new (std::nothrow) gdi_bitmap();
    if (!bitmap) return nullptr;
    bitmap->header.type = GDI_OBJ_BITMAP;
    bitmap->width = width;
    bitmap->height = height;
    bitmap->stride = stride;
    bitmap->pixels = static_cast<uint32_t *>(calloc((size_t)stride * height, 4));
    if (!bitmap->pixels) {
        delete bitmap;
        return nullptr;
    }
    HGDIOBJ handle = gdi_handle_alloc(&bitmap->header);
    if (!handle) gdi_object_destroy(&bitmap->header);
    return static_cast<HBITMAP>(handle);
}
