// The BMP reader: file header, info header, colour table and pixel rows into a bitmap record.
#include "image/files/bmp_file.h"

#include "core/heap.h"
#include "image/files/file_access.h"
#include "zelvan.h"

#include <string.h>

namespace {

const WORD k_bmp_type = 0x4D42; // "BM"
const int64_t k_file_header_bytes = 14;

struct file_header {
    WORD type;
    DWORD size;
    WORD reserved1;
    WORD reserved2;
    DWORD off_bits;
};

// What the info header says, before any block is sized from it.
struct dib_shape {
    int64_t width;
    int64_t height; // signed: negative for a top-down image
    int bit_count;
    DWORD compression; // BI_RGB for a core header
    DWORD image_bytes; // biSizeImage: the stream's length for a run-length image
    int64_t table_bytes;
    unsigned char fields[INFO_HEADER_BYTES]; // the header bytes the shape was taken from
    size_t field_bytes;
};

int read_file_header(HANDLE file, file_header *h) {
    bool ok = read_exact(file, &h->type, 2) && read_exact(file, &h->size, 4) &&
              read_exact(file, &h->reserved1, 2) && read_exact(file, &h->reserved2, 2) &&
              read_exact(file, &h->off_bits, 4);
    return ok ? ZV_OK : ZV_ERR_FILE_READ;
}

int bit_count_result(int bit_count) {
    switch (bit_count) {
    case 1:
    case 4:
    case 8:
    case 24:
        return ZV_OK;
    case 16:
        return ZV_ERR_16BIT;
    case 32:
        return ZV_ERR_32BIT;
    default:
        return ZV_ERR_BMP_BITCOUNT;
    }
}

// Reads the rest of the info header after its size field and works out the image's shape.
int read_shape(HANDLE file, DWORD header_size, dib_shape *shape) {
    memcpy(shape->fields, &header_size, 4);
    if (header_size == CORE_HEADER_BYTES) {
        WORD core[4]; // width, height, planes, bit count
        if (!read_exact(file, core, sizeof core)) return ZV_ERR_FILE_READ;
        memcpy(shape->fields + 4, core, sizeof core);
        shape->field_bytes = CORE_HEADER_BYTES;
        shape->width = core[0];
        shape->height = core[1];
        shape->bit_count = core[3];
        shape->compression = BI_RGB;
        shape->image_bytes = 0;
        shape->table_bytes = shape->bit_count <= 8 ? 3 * (int64_t{1} << shape->bit_count) : 0;
        return bit_count_result(shape->bit_count);
    }
    BITMAPINFOHEADER h;
    if (!read_exact(file, shape->fields + 4, INFO_HEADER_BYTES - 4)) return ZV_ERR_FILE_READ;
    memcpy(&h, shape->fields, sizeof h);
    shape->field_bytes = INFO_HEADER_BYTES;
    shape->width = h.biWidth;
    shape->height = h.biHeight;
    shape->bit_count = h.biBitCount;
    shape->compression = h.biCompression;
    shape->image_bytes = h.biSizeImage;
    int64_t entries = h.biClrUsed;
    if (entries == 0 && shape->bit_count <= 8) entries = int64_t{1} << shape->bit_count;
    shape->table_bytes = 4 * entries;
    return bit_count_result(shape->bit_count);
}

// Pixels are stored plainly or run-length encoded at the one depth each encoding has; a
// top-down image cannot be compressed. Bit fields, JPEG, PNG or unknown values give no
// picture the drawing calls could show.
bool compression_readable(const dib_shape &shape) {
    switch (shape.compression) {
    case BI_RGB:
        return true;
    case BI_RLE8:
        return shape.bit_count == 8 && shape.height > 0;
    case BI_RLE4:
        return shape.bit_count == 4 && shape.height > 0;
    default:
        return false;
    }
}

// Zero, negative or absurd sides, compressions that cannot be shown, and colour tables the
// file cannot hold, are refused before any block is sized from them.
int check_shape(const dib_shape &shape, int64_t header_size, int64_t file_size) {
    int64_t rows = shape.height < 0 ? -shape.height : shape.height;
    if (shape.width < 1 || shape.width > MAX_DIB_SIDE) return ZV_ERR_BMP_CORRUPT;
    if (rows < 1 || rows > MAX_DIB_SIDE) return ZV_ERR_BMP_CORRUPT;
    if (!compression_readable(shape)) return ZV_ERR_BMP_CORRUPT;
    if (header_size + shape.table_bytes > file_size - k_file_header_bytes)
        return ZV_ERR_BMP_CORRUPT;
    return ZV_OK;
}

// Reads the info block (header as stored, then colour table) from file offset `start`.
int read_info_block(HANDLE file, DWORD start, bitmap_record *bitmap) {
    bitmap->info =
        static_cast<unsigned char *>(heap_alloc(static_cast<size_t>(bitmap->info_bytes)));
    if (!bitmap->info) return ZV_ERR_NO_MEMORY;
    if (SetFilePointer(file, static_cast<LONG>(start), nullptr, FILE_BEGIN) != start)
        return ZV_ERR_FILE_READ;
    if (!read_exact(file, bitmap->info, static_cast<DWORD>(bitmap->info_bytes)))
        return ZV_ERR_FILE_READ;
    return ZV_OK;
}

// Where the pixels begin: at bfOffBits when it lies between the end of the colour table and
// the end of the file, the bytes in between being skipped; else right after the table,
// where writers that leave the field at 0 or get it wrong put them.
int64_t pixels_start(const file_header &fh, int64_t table_end, int64_t file_size) {
    int64_t stated = fh.off_bits;
    return stated >= table_end && stated <= file_size ? stated : table_end;
}

// A plain block must hold every row the header describes, so that no consumer (drawing, the
// clipboard, the writer's round trip) ever meets a block it would have to read past. A
// run-length stream carries no length of its own: the one the header states must be there.
bool pixel_block_fits(const dib_shape &shape, int64_t bits_bytes, int64_t rows) {
    if (shape.compression != BI_RGB)
        return shape.image_bytes > 0 && shape.image_bytes <= bits_bytes;
    return bits_bytes >= dib_row_bytes(shape.width, shape.bit_count) * rows;
}

int read_pixel_block(HANDLE file, int64_t file_size, const file_header &fh, const dib_shape &shape,
                     bitmap_record *bitmap) {
    int64_t start = pixels_start(fh, k_file_header_bytes + bitmap->info_bytes, file_size);
    int64_t bits_bytes = file_size - start;
    if (!pixel_block_fits(shape, bits_bytes, bitmap->height)) return ZV_ERR_BMP_CORRUPT;
    bitmap->bits_bytes = static_cast<int>(bits_bytes);
    bitmap->bits = static_cast<unsigned char *>(heap_alloc(static_cast<size_t>(bits_bytes)));
    if (!bitmap->bits) return ZV_ERR_NO_MEMORY;
    if (SetFilePointer(file, static_cast<LONG>(start), nullptr, FILE_BEGIN) != start)
        return ZV_ERR_FILE_READ;
    if (!read_exact(file, bitmap->bits, static_cast<DWORD>(bits_bytes))) return ZV_ERR_FILE_READ;
    return ZV_OK;
}

// The file-header checks: type, reserved fields, and the stated size against the real one.
int check_file_header(HANDLE file, const file_header &fh, int64_t *file_size) {
    if (fh.type != k_bmp_type || fh.reserved1 != 0 || fh.reserved2 != 0) return ZV_ERR_BMP_CORRUPT;
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    *file_size = static_cast<int64_t>(uint64_t{high} << 32 | low);
    if (low == INVALID_FILE_SIZE && GetLastError() != 0) return ZV_ERR_FILE_READ;
    // A record's sizes are signed 32-bit values, so a larger file cannot be held either.
    if (*file_size != fh.size) return ZV_ERR_BMP_SIZE_MISMATCH;
    if (*file_size > INT32_MAX) return ZV_ERR_BMP_CORRUPT;
    return ZV_OK;
}

// The header size field: 12 (core) or at least the 40 bytes whose fields are read, and no
// larger than the file.
bool header_size_fits(DWORD header_size, int64_t file_size) {
    if (header_size != CORE_HEADER_BYTES && header_size < INFO_HEADER_BYTES) return false;
    return header_size <= file_size - k_file_header_bytes;
}

int read_record(HANDLE file, bitmap_record **out) {
    file_header fh;
    int result = read_file_header(file, &fh);
    if (result != ZV_OK) return result;
    int64_t file_size = 0;
    if ((result = check_file_header(file, fh, &file_size)) != ZV_OK) return result;
    DWORD info_start = SetFilePointer(file, 0, nullptr, FILE_CURRENT);
    DWORD header_size = 0;
    if (!read_exact(file, &header_size, 4)) return ZV_ERR_FILE_READ;
    if (!header_size_fits(header_size, file_size)) return ZV_ERR_BMP_CORRUPT;
    bitmap_record *bitmap = *out = bitmap_record_new();
    if (!bitmap) return ZV_ERR_NO_MEMORY;
    dib_shape shape;
    if ((result = read_shape(file, header_size, &shape)) != ZV_OK) return result;
    if ((result = check_shape(shape, header_size, file_size)) != ZV_OK) return result;
    bitmap->header_size = static_cast<int>(header_size);
    bitmap->width = static_cast<int>(shape.width);
    bitmap->height = static_cast<int>(shape.height < 0 ? -shape.height : shape.height);
    bitmap->info_bytes = bitmap->bits_offset = static_cast<int>(header_size + shape.table_bytes);
    if ((result = read_info_block(file, info_start, bitmap)) != ZV_OK) return result;
    // The header is read twice; a file changed in between must not slip past the checks.
    if (memcmp(bitmap->info, shape.fields, shape.field_bytes) != 0) return ZV_ERR_BMP_CORRUPT;
    return read_pixel_block(file, file_size, fh, shape, bitmap);
}

} // namespace

int bmp_read(const char *file_name, bitmap_record **record) {
    *record = nullptr;
    HANDLE file = open_regular_file(file_name);
    if (file == INVALID_HANDLE_VALUE) return ZV_ERR_FILE_OPEN;
    bitmap_record *made = nullptr;
    int result = read_record(file, &made);
    CloseHandle(file);
    if (result != ZV_OK) {
        bitmap_record_free(made);
        return result;
    }
    made->next = nullptr;
    *record = made;
    return ZV_OK;
}
