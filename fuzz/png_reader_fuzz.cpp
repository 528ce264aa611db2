// Feeds arbitrary bytes to the PNG decoder, then puts every accepted record through what the
// library does with one: drawing it plainly, by its alpha and around a key colour, and
// encoding it again, which must decode to the same pixels.
#include "image/files/png_codec.h"
#include "image/record_pixels.h"

#include "core/heap.h"
#include "zelvan.h"

#include <stdlib.h>
#include <string.h>

namespace {

// The record's shape must be what the drawing calls rely on.
void check_shape(const bitmap_record *r) {
    int bits = r->has_alpha ? 32 : 24;
    if (r->width < 1 || r->height < 1 || r->header_size != 40 || record_bit_count(r) != bits ||
        r->bits_bytes != dib_row_bytes(r->width, bits) * r->height)
        abort();
}

void draw_every_way(const bitmap_record *record) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP target = CreateCompatibleBitmap(dc, 48, 40);
    HGDIOBJ previous = SelectObject(dc, target);
    draw_record(dc, -7, -5, record);
    uint32_t *pixels = nullptr;
    HBITMAP source = record_dib_section(record, true, &pixels);
    if (!source) abort();
    HDC source_dc = CreateCompatibleDC(nullptr);
    HGDIOBJ source_previous = SelectObject(source_dc, source);
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    int w = record->width, h = record->height;
    if (!AlphaBlend(dc, 30, 20, w, h, source_dc, 0, 0, w, h, blend) ||
        !TransparentBlt(dc, -3, 9, w, h, source_dc, 0, 0, w, h, pixels[0] & 0xFFFFFF))
        abort();
    SelectObject(source_dc, source_previous);
    DeleteDC(source_dc);
    DeleteObject(source);
    SelectObject(dc, previous);
    DeleteObject(target);
    DeleteDC(dc);
}

void check_round_trip(const bitmap_record *record) {
    if (int64_t{record->width} * record->height > (1 << 18)) return;
    uint32_t *pixels = nullptr;
    HBITMAP section = record_dib_section(record, false, &pixels);
    unsigned char *file = nullptr;
    size_t size = 0;
    if (!section ||
        png_encode(pixels, record->width, record->height, record->has_alpha, &file, &size) != ZV_OK)
        abort();
    bitmap_record *again = nullptr;
    if (png_decode(file, size, &again) != ZV_OK || again->bits_bytes != record->bits_bytes ||
        again->has_alpha != record->has_alpha)
        abort();
    // Row padding is not part of the picture.
    int row = record->width * (record->has_alpha ? 4 : 3);
    int stride = static_cast<int>(dib_row_bytes(record->width, record->has_alpha ? 32 : 24));
    for (int y = 0; y < record->height; ++y)
        if (memcmp(again->bits + y * stride, record->bits + y * stride, row) != 0) abort();
    bitmap_record_free(again);
    heap_free(file);
    DeleteObject(section);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    bitmap_record *record = nullptr;
    int result = png_decode(data, size, &record);
    if ((result == ZV_OK) != (record != nullptr)) abort();
    if (!record) return 0;
    check_shape(record);
    draw_every_way(record);
    check_round_trip(record);
    bitmap_record_free(record);
    return 0;
}
