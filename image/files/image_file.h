// Picture files of either kind: PNG known by its signature or its name, BMP otherwise.
#ifndef ZELVAN_IMAGE_IMAGE_FILE_H
#define ZELVAN_IMAGE_IMAGE_FILE_H

#include "image/bitmap_record.h"

// Reads a PNG file (by its signature, whatever its name) or else a BMP file into a new record
// in no list. ZV_OK, or the code of the failure; stores nothing in the last error.
int image_read(const char *file_name, bitmap_record **record);

// Writes the record as PNG when the name ends in ".png" in any case, else as BMP; the file is
// replaced only once complete. ZV_OK, ZV_ERR_FILE_OPEN, ZV_ERR_FILE_WRITE or ZV_ERR_NO_MEMORY.
int image_write(const bitmap_record *record, const char *file_name);

#endif
