// Device-independent bitmap formats: reading a BITMAPINFO (or BITMAPCOREINFO) and
// converting rows between DIB pixels and the surface's BGRX pixels.
#ifndef ZELVAN_GDI_DIB_FORMAT_H
#define ZELVAN_GDI_DIB_FORMAT_H

#include "platform/posix/gdi/gdi_internal.h"

// A DIB's layout, worked out from its header.
struct gdi_dib_format {
    int width;
    int height; // absolute
    bool top_down;
    bool core; // a 12-byte BITMAPCOREHEADER with 3-byte colour entries
    int bit_count;
    uint32_t masks[3]; // red, green, blue masks for 16 and 32 bits
    int colour_count;
    uint32_t colours[256]; // the colour table as surface pixels
    size_t stride;         // bytes per row, padded to 4 (of the decoded rows when compressed)
    DWORD compression;     // BI_RGB, BI_BITFIELDS, or BI_RLE8 / BI_RLE4 for a run-length stream
    size_t stream_bytes;   // bytes of a run-length stream (biSizeImage); the decoder reads no more
};

// Reads the header and colour table of `info` for drawing (SetDIBitsToDevice): BI_RGB at
// 1, 4, 8, 16, 24 and 32 bits, BI_BITFIELDS at 16 and 32, or a bottom-up run-length stream
// (BI_RLE8 at 8 bits, BI_RLE4 at 4) of a stated size. Palette colours (DIB_PAL_COLORS) index
// `palette`. False for anything else.
bool gdi_dib_read_format(const BITMAPINFO *info, UINT usage, const gdi_palette *palette,
                         gdi_dib_format *format);

// The same for a header that describes the DIB to produce (GetDIBits); the colour table
// for 8 bits or fewer is Win32's default one for that depth, which is also returned.
bool gdi_dib_output_format(const BITMAPINFOHEADER *header, gdi_dib_format *format);
const RGBQUAD *gdi_dib_default_colours(int bit_count);

size_t gdi_dib_stride(int width, int bit_count);

inline bool gdi_dib_is_run_length(const gdi_dib_format *format) {
    return format->compression == BI_RLE8 || format->compression == BI_RLE4;
}

// Converts `count` pixels starting at column `first` of a DIB row into surface pixels.
void gdi_dib_row_to_pixels(const gdi_dib_format *format, const uint8_t *row, int first, int count,
                           uint32_t *out);
// The same for `rows` DIB rows `row_step` bytes apart (negative for a bottom-up block walked
// from the top), into surface rows `out_step` pixels apart.
void gdi_dib_rows_to_pixels(const gdi_dib_format *format, const uint8_t *row, ptrdiff_t row_step,
                            int first, int count, int rows, uint32_t *out, ptrdiff_t out_step);
// Writes `count` surface pixels into a DIB row from column 0.
void gdi_dib_row_from_pixels(const gdi_dib_format *format, const uint32_t *pixels, int count,
                             uint8_t *row);

#endif
