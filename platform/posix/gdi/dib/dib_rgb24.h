// Whole-row conversion between 24-bit DIB rows (blue, green, red bytes) and 32-bit surface
// pixels (0x00RRGGBB): the path every BMP save, load and bitmap paste takes.
#ifndef ZELVAN_PLATFORM_POSIX_GDI_DIB_RGB24_H
#define ZELVAN_PLATFORM_POSIX_GDI_DIB_RGB24_H

#include <stddef.h>
#include <stdint.h>

// Unpacks `count` pixels of a 24-bit row, starting at its first byte, into `out`.
void gdi_rgb24_to_pixels(const uint8_t *row, int count, uint32_t *out);

// The same for `rows` rows at once: row k is read from `row + k * row_step` bytes (a negative
// step walks a bottom-up block) and written to `out + k * out_step` pixels. Reads no byte
// beyond a row's `3 * count`, writes no pixel beyond its `count`.
void gdi_rgb24_rows_to_pixels(const uint8_t *row, ptrdiff_t row_step, int count, int rows,
                              uint32_t *out, ptrdiff_t out_step);

// Packs `count` pixels into a 24-bit row and zeroes the row's padding up to `stride` bytes.
void gdi_pixels_to_rgb24(const uint32_t *pixels, int count, uint8_t *row, size_t stride);

// The conversion paths, narrowest first: plain 32-bit words, 16-byte shuffles (SSSE3),
// 32-byte shuffles (AVX2) and 32-byte byte permutes (AVX-512 VBMI). The widest the processor has
// is used unless limited.
enum class gdi_rgb24_path { words, shuffles, wide_shuffles, permutes };

// Limits the conversions to `widest` (or what the processor has, if narrower) and returns
// the path used until now, so that tests can run every path this machine offers.
gdi_rgb24_path gdi_rgb24_limit_path(gdi_rgb24_path widest);

#endif
