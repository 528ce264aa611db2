// Feeds arbitrary bytes to the BMP reader, then puts every accepted record through what the
// library does with one: drawing it, taking its palette, and writing it back out, which must
// reproduce the input byte for byte apart from bfOffBits.
#include "fuzz_file.h"
#include "image/bmp_file.h"
#include "image/palette_file.h"

#include "core/library_state.h"
#include "zelvan.h"

#include <stdlib.h>
#include <string.h>

namespace {

void draw_into_small_surface(const bitmap_record *record) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP target = CreateCompatibleBitmap(dc, 48, 40);
    HGDIOBJ previous = SelectObject(dc, target);
    draw_record(dc, 0, 0, record);
    draw_record(dc, -7, -5, record);
    draw_record(dc, 30, 20, record);
    SelectObject(dc, previous);
    DeleteObject(target);
    DeleteDC(dc);
}

void check_round_trip(const bitmap_record *record, const uint8_t *data, size_t size) {
    static const std::string out = fuzz_path("bmp-out");
    if (bmp_write(record, out.c_str()) != ZV_OK) abort();
    std::string written = read_back(out);
    // Bytes 10 to 13 (bfOffBits) are rewritten from the record; all else comes back as read.
    if (written.size() != size || memcmp(written.data(), data, 10) != 0 ||
        memcmp(written.data() + 14, data + 14, size - 14) != 0)
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const std::string path = fuzz_path("bmp-in");
    if (!write_input(path, data, size)) return 0;
    bitmap_record *record = nullptr;
    int result = bmp_read(path.c_str(), &record);
    if ((result == ZV_OK) != (record != nullptr)) abort();
    if (!record) return 0;
    draw_into_small_surface(record);
    LOGPALETTE *palette = nullptr;
    if (bitmap_palette_block(record, &palette) == ZV_OK) {
        HPALETTE made = CreatePalette(palette);
        if (made) DeleteObject(made);
        heap_free(palette);
    }
    check_round_trip(record, data, size);
    bitmap_record_free(record);
    return 0;
}
