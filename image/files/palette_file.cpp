// The RIFF palette reader and writer, and the colour table of a record as a palette.
#include "image/files/palette_file.h"

#include "core/heap.h"
#include "core/result_codes.h"
#include "image/files/file_access.h"
#include "zelvan.h"

#include <string.h>

namespace {

const char k_riff[4] = {'R', 'I', 'F', 'F'};
const char k_pal_data[8] = {'P', 'A', 'L', ' ', 'd', 'a', 't', 'a'};
const DWORD k_riff_header_bytes = 20; // "RIFF", size, "PAL data", data size
const WORD k_palette_version = 0x0300;
const DWORD k_max_palette_entries = 65535; // palNumEntries is 16 bits

// "RIFF", the RIFF size against the file's size, and "PAL data"; then the data size.
int read_riff_header(HANDLE file, DWORD *data_size) {
    char tag[8];
    DWORD riff_size = 0;
    if (!read_exact(file, tag, 4)) return ZV_ERR_FILE_READ;
    // Compared byte for byte: a string compare would let a NUL inside the tag end it early.
    if (memcmp(tag, k_riff, 4) != 0) return ZV_ERR_NOT_RIFF;
    if (!read_exact(file, &riff_size, 4)) return ZV_ERR_FILE_READ;
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    int64_t file_size = static_cast<int64_t>(uint64_t{high} << 32 | low);
    if (file_size - riff_size != 8) return ZV_ERR_BMP_SIZE_MISMATCH;
    if (!read_exact(file, tag, 8)) return ZV_ERR_FILE_READ;
    if (memcmp(tag, k_pal_data, 8) != 0) return ZV_ERR_NO_PAL_DATA;
    if (!read_exact(file, data_size, 4)) return ZV_ERR_FILE_READ;
    // The data must hold a LOGPALETTE header and lie within the file: checked before the
    // block is sized from it.
    if (*data_size < 4 || *data_size > file_size - k_riff_header_bytes)
        return ZV_ERR_FILE_PALETTE_SIZE;
    return ZV_OK;
}

int read_palette_data(HANDLE file, LOGPALETTE **out) {
    DWORD data_size = 0;
    int result = read_riff_header(file, &data_size);
    if (result != ZV_OK) return result;
    LOGPALETTE *palette = static_cast<LOGPALETTE *>(heap_alloc(data_size));
    if (!palette) return ZV_ERR_NO_MEMORY;
    result = ZV_OK;
    if (!read_exact(file, palette, data_size)) {
        result = ZV_ERR_FILE_READ;
    } else if (palette->palNumEntries == 0 ||
               logpalette_bytes(palette->palNumEntries) > data_size) {
        // Entries beyond the data block would be read from past its end.
        result = ZV_ERR_FILE_PALETTE_SIZE;
    }
    if (result != ZV_OK) {
        heap_free(palette);
        return result;
    }
    *out = palette;
    return ZV_OK;
}

// Where the record's colour table lies and how many entries it has.
struct colour_table {
    const unsigned char *first;
    DWORD entries;
    DWORD entry_bytes; // 3 after a core header, else 4
};

// A core header's fields sit elsewhere and its table holds RGBTRIPLEs; it is read as such
// rather than through BITMAPINFOHEADER offsets that may lie past its info block.
int find_colour_table(const bitmap_record *bitmap, colour_table *table) {
    bool core = bitmap->header_size == CORE_HEADER_BYTES;
    // Both fields must lie inside the info block before they are read.
    if (!core && bitmap->info_bytes < INFO_HEADER_BYTES) return ZV_ERR_DIB_PALETTE_SIZE;
    int bit_count = record_bit_count(bitmap);
    if (bit_count == 16 || bit_count == 24 || bit_count == 32) return ZV_ERR_NO_DIB_PALETTE;
    if (bit_count != 1 && bit_count != 4 && bit_count != 8) return ZV_ERR_DIB_BITCOUNT;
    DWORD used = 0;
    if (!core) memcpy(&used, bitmap->info + 32, sizeof used); // biClrUsed
    DWORD header_size = 0;
    memcpy(&header_size, bitmap->info, sizeof header_size);
    table->entries = used != 0 ? used : DWORD{1} << bit_count;
    table->entry_bytes = core ? 3 : 4;
    table->first = bitmap->info + header_size;
    int64_t end = int64_t{header_size} + int64_t{table->entries} * table->entry_bytes;
    if (table->entries > k_max_palette_entries || end > bitmap->info_bytes)
        return ZV_ERR_DIB_PALETTE_SIZE;
    return ZV_OK;
}

} // namespace

int riff_palette_read(const char *file_name, LOGPALETTE **palette) {
    *palette = nullptr;
    HANDLE file = open_regular_file(file_name);
    if (file == INVALID_HANDLE_VALUE) return ZV_ERR_FILE_OPEN;
    int result = read_palette_data(file, palette);
    CloseHandle(file);
    return result;
}

int bitmap_palette_block(const bitmap_record *record, LOGPALETTE **out) {
    *out = nullptr;
    colour_table table;
    int result = find_colour_table(record, &table);
    if (result != ZV_OK) return result;
    LOGPALETTE *palette = static_cast<LOGPALETTE *>(heap_alloc(logpalette_bytes(table.entries)));
    if (!palette) return ZV_ERR_NO_MEMORY;
    palette->palVersion = k_palette_version;
    palette->palNumEntries = static_cast<WORD>(table.entries);
    unsigned char *entry = reinterpret_cast<unsigned char *>(palette) + 4;
    for (DWORD i = 0; i < table.entries; ++i, entry += 4) {
        const unsigned char *quad = table.first + i * table.entry_bytes; // blue, green, red
        entry[0] = quad[2];
        entry[1] = quad[1];
        entry[2] = quad[0];
        entry[3] = 0;
    }
    *out = palette;
    return ZV_OK;
}

int riff_palette_write(const bitmap_record *record, const char *file_name) {
    LOGPALETTE *palette = nullptr;
    int result = bitmap_palette_block(record, &palette);
    if (result != ZV_OK) return result;
    file_save save;
    result = file_save_begin(&save, file_name);
    if (result == ZV_OK) {
        DWORD data_size = logpalette_bytes(palette->palNumEntries);
        DWORD riff_size = data_size + 12;
        bool written = write_all(save.file, k_riff, 4) && write_all(save.file, &riff_size, 4) &&
                       write_all(save.file, k_pal_data, 8) && write_all(save.file, &data_size, 4) &&
                       write_all(save.file, palette, data_size);
        result = file_save_end(&save, written);
    }
    heap_free(palette);
    if (result != ZV_OK) set_last_error(result);
    return result;
}
