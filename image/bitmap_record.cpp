// Allocation and small helpers of the bitmap record.
#include "image/bitmap_record.h"

#include "core/heap.h"

#include <string.h>

bitmap_record *bitmap_record_new() {
    bitmap_record *record = static_cast<bitmap_record *>(heap_alloc(sizeof(bitmap_record)));
    if (record) memset(record, 0, sizeof(*record));
    return record;
}

void bitmap_record_free(bitmap_record *record) {
    if (!record) return;
    heap_free(record->info);
    heap_free(record->bits);
    heap_free(record);
}

int64_t dib_row_bytes(int64_t width, int bit_count) {
    return (width * bit_count + 31) / 32 * 4;
}

int record_bit_count(const bitmap_record *record) {
    WORD bit_count;
    // bcBitCount sits at offset 10 of the core header, biBitCount at 14 of the others.
    size_t offset = record->header_size == CORE_HEADER_BYTES ? 10 : 14;
    memcpy(&bit_count, record->info + offset, sizeof bit_count);
    return bit_count;
}

BOOL draw_record(HDC dc, int x, int y, const bitmap_record *record) {
    int lines = SetDIBitsToDevice(
        dc, x, y, static_cast<DWORD>(record->width), static_cast<DWORD>(record->height), 0, 0, 0,
        static_cast<UINT>(record->height), record->bits,
        reinterpret_cast<const BITMAPINFO *>(record->info), DIB_RGB_COLORS);
    return lines != 0;
}
