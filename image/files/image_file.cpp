// Choosing the format of a picture file, and the file side of PNG: whole files read into
// memory for the decoder, encoded bytes saved through the same safe save as BMP files.
#include "image/files/image_file.h"

#include "core/heap.h"
#include "image/files/bmp_file.h"
#include "image/files/file_access.h"
#include "image/files/png_codec.h"
#include "image/record_pixels.h"
#include "zelvan.h"

#include <string.h>

namespace {

bool png_name(const char *name) {
    size_t length = name ? strlen(name) : 0;
    if (length < 4) return false;
    const char *end = name + length - 4;
    return end[0] == '.' && (end[1] | 0x20) == 'p' && (end[2] | 0x20) == 'n' &&
           (end[3] | 0x20) == 'g';
}

// Reads a whole open file into one heap block.
int read_whole_file(HANDLE file, unsigned char **data, size_t *size) {
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != 0) return ZV_ERR_FILE_READ;
    // The records hold 32-bit sizes; a larger file holds no picture they could take.
    if (high != 0 || low > INT32_MAX) return ZV_ERR_BMP_CORRUPT;
    *data = static_cast<unsigned char *>(heap_alloc(low ? low : 1));
    if (!*data) return ZV_ERR_NO_MEMORY;
    *size = low;
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) != 0 || !read_exact(file, *data, low))
        return ZV_ERR_FILE_READ;
    return ZV_OK;
}

int png_read(HANDLE file, bitmap_record **record) {
    unsigned char *data = nullptr;
    size_t size = 0;
    int result = read_whole_file(file, &data, &size);
    if (result == ZV_OK) result = png_decode(data, size, record);
    heap_free(data);
    return result;
}

int png_write(const bitmap_record *record, const char *file_name) {
    uint32_t *pixels = nullptr;
    HBITMAP section = record_dib_section(record, false, &pixels);
    if (!section) return ZV_ERR_NO_MEMORY;
    unsigned char *bytes = nullptr;
    size_t size = 0;
    int result =
        png_encode(pixels, record->width, record->height, record->has_alpha, &bytes, &size);
    DeleteObject(section);
    if (result != ZV_OK) return result;
    file_save save;
    result = file_save_begin(&save, file_name);
    if (result == ZV_OK)
        result = file_save_end(&save, size <= INT32_MAX &&
                                          write_all(save.file, bytes, static_cast<DWORD>(size)));
    heap_free(bytes);
    return result;
}

// The colours of a record with alpha in a 24-bit record: a BMP with alpha would be a 32-bit
// file, which ZVLoadBitmap refuses, so such a bitmap is saved as BMP without its alpha.
bitmap_record *opaque_copy(const bitmap_record *bitmap) {
    bitmap_record *copy = dib_record_new(bitmap->width, bitmap->height, false);
    if (!copy) return nullptr;
    size_t from_stride = static_cast<size_t>(bitmap->width) * 4;
    size_t to_stride = static_cast<size_t>(dib_row_bytes(bitmap->width, 24));
    for (int y = 0; y < bitmap->height; ++y) {
        const unsigned char *from = bitmap->bits + from_stride * y;
        unsigned char *to = copy->bits + to_stride * y;
        for (int x = 0; x < bitmap->width; ++x, from += 4, to += 3) memcpy(to, from, 3);
    }
    return copy;
}

} // namespace

int image_read(const char *file_name, bitmap_record **record) {
    *record = nullptr;
    HANDLE file = open_regular_file(file_name);
    if (file == INVALID_HANDLE_VALUE) return ZV_ERR_FILE_OPEN;
    unsigned char signature[PNG_SIGNATURE_BYTES];
    bool png = read_exact(file, signature, sizeof signature) && png_signature(signature);
    int result = png ? png_read(file, record) : ZV_OK;
    CloseHandle(file);
    return png ? result : bmp_read(file_name, record);
}

int image_write(const bitmap_record *record, const char *file_name) {
    if (png_name(file_name)) return png_write(record, file_name);
    if (!record->has_alpha) return bmp_write(record, file_name);
    bitmap_record *copy = opaque_copy(record);
    if (!copy) return ZV_ERR_NO_MEMORY;
    int result = bmp_write(copy, file_name);
    bitmap_record_free(copy);
    return result;
}
