// PNG pictures to and from bitmap records, in memory. libpng does the work on POSIX, the
// Windows Imaging Component on Windows; files are opened and saved by image/image_file.cpp.
#ifndef ZELVAN_IMAGE_PNG_CODEC_H
#define ZELVAN_IMAGE_PNG_CODEC_H

#include "image/bitmap_record.h"

#include <stddef.h>

enum { PNG_SIGNATURE_BYTES = 8 };

// True when `bytes` (at least PNG_SIGNATURE_BYTES) start with the PNG signature.
bool png_signature(const unsigned char *bytes);

// Whether a file of `file_bytes` may decode to a record of `width` x `height` (32 bits a pixel
// with alpha, else 24): the memory a decode takes is counted at the depth the record keeps,
// not the file's (a 1-bit picture grows 24 times). deflate packs at most 1032 bytes into one,
// so a picture more than 1032 times its file holds nothing but what the memory would cost;
// below 64 MiB it loads whatever its file (a picture of one colour packs that well).
inline bool png_size_plausible(uint32_t width, uint32_t height, bool alpha, size_t file_bytes) {
    uint64_t record_bytes = (uint64_t{width} * (alpha ? 32 : 24) + 31) / 32 * 4 * height;
    return record_bytes <= (uint64_t{64} << 20) || record_bytes / 1032 <= file_bytes;
}

// Decodes a whole PNG file held in memory into a new record in no list: 24 bits a pixel, or
// 32 with straight alpha when the file has an alpha channel or tRNS. Samples are taken as
// stored, without gamma or colour-profile correction; 16-bit samples are scaled to 8.
// ZV_OK, or ZV_ERR_BMP_CORRUPT for a damaged or oversized file, ZV_ERR_NO_MEMORY.
int png_decode(const unsigned char *data, size_t size, bitmap_record **record);

// Encodes top-down rows of 0xAARRGGBB pixels (`width` a row) as an RGB PNG, or RGBA when
// `alpha`. On ZV_OK `*out` is a block from the process heap of `*out_bytes` bytes.
int png_encode(const uint32_t *pixels, int width, int height, bool alpha, unsigned char **out,
               size_t *out_bytes);

#endif
