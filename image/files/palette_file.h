// RIFF palette files and the colour table of a bitmap record as a logical palette.
#ifndef ZELVAN_IMAGE_PALETTE_FILE_H
#define ZELVAN_IMAGE_PALETTE_FILE_H

#include "image/bitmap_record.h"

// Reads the palette data of a RIFF palette file into a new heap block (free it with
// heap_free). Returns ZV_OK, or ZV_ERR_FILE_OPEN, ZV_ERR_FILE_READ, ZV_ERR_NOT_RIFF,
// ZV_ERR_BMP_SIZE_MISMATCH, ZV_ERR_NO_PAL_DATA, ZV_ERR_FILE_PALETTE_SIZE or ZV_ERR_NO_MEMORY
// with `*palette` null. Stores nothing in the last error.
int riff_palette_read(const char *file_name, LOGPALETTE **palette);

// The record's colour table as a new heap block holding a LOGPALETTE. Returns ZV_OK, or
// ZV_ERR_NO_DIB_PALETTE (more than 8 bits per pixel), ZV_ERR_DIB_BITCOUNT,
// ZV_ERR_DIB_PALETTE_SIZE (a table the info block does not hold) or ZV_ERR_NO_MEMORY.
int bitmap_palette_block(const bitmap_record *record, LOGPALETTE **palette);

// Bytes of a LOGPALETTE with `entries` entries.
inline DWORD logpalette_bytes(DWORD entries) {
    return 4 + 4 * entries;
}

// Writes the record's colour table as a RIFF palette file. Creates no file when the table
// cannot be made. ZV_ERR_FILE_OPEN and ZV_ERR_FILE_WRITE are also stored in the last error.
int riff_palette_write(const bitmap_record *record, const char *file_name);

#endif
