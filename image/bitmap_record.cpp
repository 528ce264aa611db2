// Allocation and small helpers of the bitmap record.
#include "image/bitmap_record.h"

#include "core/heap.h"

#include <string.h>

#include <new>

bitmap_record *bitmap_record_new() {
    void *block = heap_alloc(sizeof(bitmap_record));
    if (!block) return nullptr;
    // Value-initialised: every field and copy starts empty.
    auto *record = new (block) bitmap_record();
    InitializeCriticalSection(&record->source_lock);
    record->colour_key = NO_COLOUR_KEY;
    return record;
}

void bitmap_record_free(bitmap_record *record) {
    if (!record) return;
    sprite_source_release(&record->blend_source);
    sprite_source_release(&record->key_source);
    DeleteCriticalSection(&record->source_lock);
    heap_free(record->info);
    heap_free(record->bits);
    record->~bitmap_record();
    heap_free(record);
}

bitmap_record *dib_record_new(int width, int height, bool alpha) {
    int bit_count = alpha ? 32 : 24;
    int64_t bits_bytes = dib_row_bytes(width, bit_count) * height;
    if (width < 1 || height < 1 || width > MAX_DIB_SIDE || height > MAX_DIB_SIDE ||
        bits_bytes > INT32_MAX)
        return nullptr;
    bitmap_record *bitmap = bitmap_record_new();
    if (!bitmap) return nullptr;
    bitmap->info = static_cast<unsigned char *>(heap_alloc(INFO_HEADER_BYTES));
    bitmap->bits = static_cast<unsigned char *>(heap_alloc(static_cast<size_t>(bits_bytes)));
    if (!bitmap->info || !bitmap->bits) {
        bitmap_record_free(bitmap);
        return nullptr;
    }
    memset(bitmap->bits, 0, static_cast<size_t>(bits_bytes));
    BITMAPINFOHEADER h = {};
    h.biSize = INFO_HEADER_BYTES;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bit_count);
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(bits_bytes);
    memcpy(bitmap->info, &h, sizeof h);
    bitmap->info_bytes = bitmap->bits_offset = bitmap->header_size = INFO_HEADER_BYTES;
    bitmap->bits_bytes = static_cast<int>(bits_bytes);
    bitmap->width = width;
    bitmap->height = height;
    bitmap->has_alpha = alpha;
    return bitmap;
}

void sprite_source_release(sprite_source *source) {
    if (!source->dc) return;
    SelectObject(source->dc, source->previous);
    DeleteDC(source->dc);
    DeleteObject(source->bitmap);
    *source = sprite_source{};
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
