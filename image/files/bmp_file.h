// The BMP reader, the BMP writer and the buffer capture: bitmap records to and from BMP files
// and platform bitmaps.
#ifndef ZELVAN_IMAGE_BMP_FILE_H
#define ZELVAN_IMAGE_BMP_FILE_H

#include "core/window_record.h"
#include "image/bitmap_record.h"

// Reads a BMP file of 1, 4, 8 or 24 bits per pixel, plain or run-length compressed (kept
// compressed), into a new record that is in no list. Only a regular file is read. Returns
// ZV_OK with `*record` set, or a failure code with `*record` null; stores nothing in the last
// error.
int bmp_read(const char *file_name, bitmap_record **record);

// Writes the record unchanged as a BMP file, replacing the file only once it is complete;
// ZV_OK, ZV_ERR_FILE_OPEN or ZV_ERR_FILE_WRITE. Stores nothing in the last error.
int bmp_write(const bitmap_record *record, const char *file_name);

// Makes a new record of `bitmap`'s pixels through the window's memory DC and palette. The
// bitmap must be selected into no DC. On failure returns null with ZV_ERROR,
// ZV_ERR_NO_MEMORY or ZV_ERR_COPY_BITMAP in the last error and in `*failure` (if given), so
// that callers can return the code without reading the last error back.
bitmap_record *capture_bitmap(window_record *window, HBITMAP bitmap, int *failure = nullptr);

// Captures the buffer the window shows, holding the window lock throughout so that a
// concurrent resize cannot swap the buffer out from under the capture.
bitmap_record *capture_view_buffer(window_record *window, int *failure = nullptr);

#endif
