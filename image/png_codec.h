// PNG pictures to and from bitmap records, in memory. libpng does the work on POSIX, the
// Windows Imaging Component on Windows; files are opened and saved by image/image_file.cpp.
#ifndef ZELVAN_IMAGE_PNG_CODEC_H
#define ZELVAN_IMAGE_PNG_CODEC_H

#include "image/bitmap_record.h"

#include <stddef.h>

enum { PNG_SIGNATURE_BYTES = 8 };

// True when `bytes` (at least PNG_SIGNATURE_BYTES) start with the PNG signature.
bool png_signature(const unsigned char *bytes);

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
