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

// A new bitmap of `width` x `height` black pixels, rows `stride` pixels apart, with a handle;
// null when the pixels would not fit in memory.
gdi_bitmap *gdi_new_bitmap(int width, int height, int stride) {
    // Pixels are compared first: INT_MAX squared times four does not fit in 64 bits, and the
    // padded stride of such a width would not fit in an int.
    if ((int64_t)width * height > max_bitmap_bytes / 4) return nullptr;
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
    if (gdi_handle_alloc(&bitmap->header)) return bitmap;
    gdi_object_destroy(&bitmap->header);
    return nullptr;
}

} // namespace

// Win32 gives the stock 1x1 bitmap for a zero width or height; so do we. A missing DC, a
// negative size or one whose pixels would not fit in memory fails (NULL).
HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int width, int height) {
    if (!gdi_dc_get(hdc)) return nullptr;
    if (width < 0 || height < 0) return nullptr;
    if (width == 0 || height == 0) return static_cast<HBITMAP>(gdi_stock_bitmap()->header.handle);
    gdi_bitmap *bitmap = gdi_new_bitmap(width, height, gdi_bitmap_stride(width));
    return bitmap ? static_cast<HBITMAP>(bitmap->header.handle) : nullptr;
}

// A monochrome bitmap is kept as black and white pixels like any other; `bits` holds its rows
// top-down, a set bit white, each row padded to a whole number of 16-bit words.
HBITMAP WINAPI CreateBitmap(int width, int height, UINT planes, UINT bits_per_pixel,
                            const void *bits) {
    if (planes != 1 || bits_per_pixel != 1 || width < 0 || height < 0) return nullptr;
    if (width == 0 || height == 0) return static_cast<HBITMAP>(gdi_stock_bitmap()->header.handle);
    gdi_bitmap *bitmap = gdi_new_bitmap(width, height, gdi_bitmap_stride(width));
    if (!bitmap) return nullptr;
    const uint8_t *rows = static_cast<const uint8_t *>(bits);
    size_t row_bytes = (static_cast<size_t>(width) + 15) / 16 * 2;
    for (int y = 0; rows && y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (rows[y * row_bytes + x / 8] & (0x80 >> (x % 8)))
                bitmap->pixels[static_cast<size_t>(y) * bitmap->stride + x] = 0xFFFFFF;
    return static_cast<HBITMAP>(bitmap->header.handle);
}

bool gdi_bitmap_surface(HBITMAP handle, gdi_surface *surface) {
    gdi_object *object = gdi_handle_get(handle, GDI_OBJ_BITMAP);
    if (!object) return false;
    const gdi_bitmap *bitmap = reinterpret_cast<const gdi_bitmap *>(object);
    if (!bitmap->pixels) return false;
    *surface = gdi_surface{bitmap->pixels, bitmap->width, bitmap->height, bitmap->stride};
    return true;
}

// Only top-down 32-bit BI_RGB sections: their rows are exactly a bitmap's BGRX rows, so the
// caller's pointer reaches the pixels that BitBlt copies. Anything else fails (NULL).
HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO *info, UINT usage, void **bits,
                                HANDLE section, DWORD offset) {
    if (bits) *bits = nullptr;
    if (!info || usage != DIB_RGB_COLORS || section || offset) return nullptr;
    const BITMAPINFOHEADER &h = info->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biBitCount != 32 || h.biCompression != BI_RGB ||
        h.biWidth <= 0 || h.biHeight >= 0 || h.biHeight == INT32_MIN)
        return nullptr;
    (void)hdc; // a DIB section's format comes from its header, not from a device
    gdi_bitmap *bitmap = gdi_new_bitmap(h.biWidth, -h.biHeight, h.biWidth);
    if (!bitmap) return nullptr;
    if (bits) *bits = bitmap->pixels;
    return static_cast<HBITMAP>(bitmap->header.handle);
}

// Drawing here is never batched: every call has finished with the pixels when it returns.
BOOL WINAPI GdiFlush(void) {
    return TRUE;
}
