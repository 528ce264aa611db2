// Run-length encoded DIB pixels (BI_RLE8, BI_RLE4), decoded straight onto 32-bit pixel rows.
#ifndef ZELVAN_GDI_DIB_RLE_H
#define ZELVAN_GDI_DIB_RLE_H

#include "platform/posix/gdi/dib/dib_format.h"

// Where decoded pixels land. Image rows count up from the bottom row (row 0), as the stream
// runs; only pixels inside the window of image columns and rows below are written.
struct gdi_rle_target {
    uint32_t *pixels;
    ptrdiff_t stride; // pixels from one row of `pixels` to the next
    int64_t row0_y;   // the row of `pixels` that image row 0 lands on; row r lands on row0_y - r
    int64_t x_shift;  // image column c lands on column c + x_shift
    int64_t first_column, end_column; // image columns written: [first_column, end_column)
    int64_t first_row, end_row;       // image rows written: [first_row, end_row)
};

// Decodes the `format->stream_bytes` bytes at `stream`: encoded runs, absolute runs, end of
// line, end of image and (dx, dy) deltas. Pixels the stream skips keep what they held, and
// pixels past the right edge are dropped. The decoding stops past the top row, or where the
// stream ends or is cut inside a command, dropping the runs after the last end of line, end
// of image or delta.
void gdi_rle_decode(const gdi_dib_format *format, const uint8_t *stream,
                    const gdi_rle_target *target);

// Decodes the whole picture into `pixels`, its top row first, rows `stride` pixels apart.
void gdi_rle_decode_picture(const gdi_dib_format *format, const uint8_t *stream, uint32_t *pixels,
                            ptrdiff_t stride);

#endif
