// Feeds arbitrary bytes to the BMP reader, then puts every accepted record through what the
// library does with one: drawing it (run-length streams included), taking its palette,
// turning it into the clipboard's PNG and BMP forms, and writing it back out, which must
// reproduce the input byte for byte apart from the file header and a skipped gap.
#include "fuzz_file.h"
#include "image/files/bmp_file.h"
#include "image/files/palette_file.h"

#include "core/heap.h"
#include "zelvan.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <memory>

#ifdef ZELVAN_FUZZ_CLIPBOARD_FORMATS
#include "platform/posix/display/picture/picture_streams.h"
#endif

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

// The clipboard's forms of the record, for pictures small enough to encode at fuzzing speed.
void convert_for_the_clipboard(const bitmap_record *record) {
#ifdef ZELVAN_FUZZ_CLIPBOARD_FORMATS
    if (int64_t{record->width} * record->height > (1 << 20)) return;
    auto dib = std::make_shared<std::vector<unsigned char>>(record->info,
                                                            record->info + record->info_bytes);
    dib->insert(dib->end(), record->bits, record->bits + record->bits_bytes);
    // Every record the reader gives is a picture the clipboard can offer, in both forms.
    for (picture_form form : {PICTURE_BMP, PICTURE_PNG}) {
        picture_stream *stream = picture_stream_open(dib, form);
        std::vector<unsigned char> file;
        bool made = stream && picture_stream_fill(stream, &file, SIZE_MAX) &&
                    picture_stream_done(stream) && !file.empty();
        picture_stream_close(stream);
        if (!made) abort();
    }
#else
    (void)record;
#endif
}

void check_round_trip(const bitmap_record *record, const uint8_t *data, size_t size) {
    static const std::string out = fuzz_path("bmp-out");
    if (bmp_write(record, out.c_str()) != ZV_OK) abort();
    std::string written = read_back(out);
    // The writer drops a gap the reader skipped before the pixels and writes bfSize and
    // bfOffBits from the record; all else comes back as read.
    size_t info = static_cast<size_t>(record->info_bytes);
    size_t bits = static_cast<size_t>(record->bits_bytes);
    if (written.size() != 14 + info + bits || size < written.size()) abort();
    if (memcmp(written.data(), data, size == written.size() ? 10 : 2) != 0 ||
        memcmp(written.data() + 14, data + 14, info) != 0 ||
        memcmp(written.data() + 14 + info, data + size - bits, bits) != 0)
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
    convert_for_the_clipboard(record);
    check_round_trip(record, data, size);
    bitmap_record_free(record);
    return 0;
}
