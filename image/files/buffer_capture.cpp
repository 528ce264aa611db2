// The buffer capture: a platform bitmap read back through GetDIBits into a new record.
#include "image/files/bmp_file.h"

#include "core/heap.h"
#include "core/result_codes.h"

#include <string.h>

namespace {

// Spare bytes after the info block of a capture, beyond what info_bytes counts.
const int k_spare_info_bytes = 100;

// The new record's sizes from the bitmap's description; false when they do not fit the
// record's 32-bit fields.
bool size_capture(bitmap_record *bitmap, const BITMAP &bm, int *bit_count) {
    int64_t row_bytes;
    int entries = 0;
    if (bm.bmBitsPixel <= 8) {
        *bit_count = bm.bmBitsPixel;
        entries = 1 << bm.bmBitsPixel;
        row_bytes = bm.bmWidthBytes;
    } else {
        *bit_count = 24;
        row_bytes = int64_t{bm.bmWidth} * 24 / 8;
    }
    row_bytes = (row_bytes + 3) / 4 * 4;
    int64_t bits_bytes = int64_t{bm.bmHeight} * row_bytes;
    if (bm.bmWidth < 1 || bm.bmHeight < 1 || bits_bytes > INT32_MAX) return false;
    bitmap->header_size = INFO_HEADER_BYTES;
    bitmap->width = bm.bmWidth;
    bitmap->height = bm.bmHeight;
    bitmap->bits_bytes = static_cast<int>(bits_bytes);
    bitmap->info_bytes = bitmap->bits_offset = INFO_HEADER_BYTES + 4 * entries;
    return true;
}

void fill_info_header(bitmap_record *bitmap, const BITMAP &bm, int bit_count) {
    BITMAPINFOHEADER h = {};
    h.biSize = INFO_HEADER_BYTES;
    h.biWidth = bm.bmWidth;
    h.biHeight = bm.bmHeight;
    h.biPlanes = bm.bmPlanes;
    h.biBitCount = static_cast<WORD>(bit_count);
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(bitmap->bits_bytes);
    memcpy(bitmap->info, &h, sizeof h);
}

// Records a failure both ways and gives no record.
bitmap_record *capture_failed(int code, int *failure) {
    set_last_error(code);
    if (failure) *failure = code;
    return nullptr;
}

} // namespace

bitmap_record *capture_bitmap(window_record *window, HBITMAP bitmap, int *failure) {
    BITMAP bm;
    if (GetObjectA(bitmap, sizeof bm, &bm) == 0) return capture_failed(ZV_ERROR, failure);
    bitmap_record *capture = bitmap_record_new();
    int bit_count = 0;
    if (capture && !size_capture(capture, bm, &bit_count)) {
        // A bitmap whose pixels cannot be described in a record is beyond any allocation.
        bitmap_record_free(capture);
        capture = nullptr;
    }
    if (capture) {
        capture->info =
            static_cast<unsigned char *>(heap_alloc(capture->info_bytes + k_spare_info_bytes));
        capture->bits =
            static_cast<unsigned char *>(heap_alloc(static_cast<size_t>(capture->bits_bytes)));
    }
    if (!capture || !capture->info || !capture->bits) {
        bitmap_record_free(capture);
        return capture_failed(ZV_ERR_NO_MEMORY, failure);
    }
    EnterCriticalSection(&window->lock);
    fill_info_header(capture, bm, bit_count);
    int lines =
        GetDIBits(window->memory_dc, bitmap, 0, static_cast<UINT>(bm.bmHeight), capture->bits,
                  reinterpret_cast<BITMAPINFO *>(capture->info), DIB_RGB_COLORS);
    LeaveCriticalSection(&window->lock);
    if (lines == 0) {
        bitmap_record_free(capture);
        return capture_failed(ZV_ERR_COPY_BITMAP, failure);
    }
    return capture;
}

bitmap_record *capture_view_buffer(window_record *window, int *failure) {
    // Critical sections nest, so the capture may take the lock again inside.
    EnterCriticalSection(&window->lock);
    bitmap_record *record =
        capture_bitmap(window, window->buffer_bitmap[window->view_buffer], failure);
    LeaveCriticalSection(&window->lock);
    return record;
}
