// BI_RLE8 and BI_RLE4 streams. A stream is a list of two-byte commands: a non-zero count
// followed by a colour index repeats it (at 4 bits the byte holds two indices taken in
// turn); a zero count is an escape: 0 ends the line, 1 ends the image, 2 moves by the next
// two bytes (dx right, dy up), and 3 to 255 start an absolute run of that many indices,
// padded to a 16-bit boundary.
#include "platform/posix/gdi/dib_rle.h"

#include <algorithm>

namespace {

enum : uint8_t { rle_end_of_line = 0, rle_end_of_image = 1, rle_delta = 2 };

uint32_t rle_colour(const gdi_dib_format *f, unsigned index) {
    return index < (unsigned)f->colour_count ? f->colours[index] : 0;
}

// The part of the run of `count` pixels from column `x` of image row `row` that the target
// takes: true with [*begin, *end) set, false when none of it is.
bool rle_clip_run(const gdi_rle_target *t, int64_t row, int64_t x, int64_t count, int64_t *begin,
                  int64_t *end) {
    if (row < t->first_row || row >= t->end_row) return false;
    *begin = std::max(x, t->first_column);
    *end = std::min(x + count, t->end_column);
    return *begin < *end;
}

uint32_t *rle_pixel(const gdi_rle_target *t, int64_t row, int64_t column) {
    return t->pixels + (t->row0_y - row) * t->stride + (column + t->x_shift);
}

// An encoded run: the pixels take `even` and `odd` in turn, counted from its first pixel.
void rle_paint_run(const gdi_rle_target *t, int64_t row, int64_t x, int64_t count, uint32_t even,
                   uint32_t odd) {
    int64_t begin, end;
    if (!rle_clip_run(t, row, x, count, &begin, &end)) return;
    uint32_t *out = rle_pixel(t, row, begin);
    if (even == odd) {
        std::fill(out, out + (end - begin), even);
        return;
    }
    for (int64_t c = begin; c < end; c++) *out++ = (c - x) & 1 ? odd : even;
}

// An absolute run of `count` indices packed at `bits` bits, leftmost in the high bits.
void rle_paint_literal(const gdi_dib_format *f, const gdi_rle_target *t, int64_t row, int64_t x,
                       int64_t count, const uint8_t *indices) {
    int64_t begin, end;
    if (!rle_clip_run(t, row, x, count, &begin, &end)) return;
    uint32_t *out = rle_pixel(t, row, begin);
    for (int64_t c = begin; c < end; c++) {
        int64_t i = c - x;
        unsigned index = f->bit_count == 8 ? indices[i] : indices[i / 2] >> (i & 1 ? 0 : 4) & 15;
        *out++ = rle_colour(f, index);
    }
}

} // namespace

void gdi_rle_decode(const gdi_dib_format *f, const uint8_t *stream, const gdi_rle_target *t) {
    const uint8_t *at = stream, *end = stream + f->stream_bytes;
    bool nibbles = f->compression == BI_RLE4;
    // Rows only ever climb, so nothing is left to draw once the last wanted row is passed.
    int64_t last_row = std::min<int64_t>(t->end_row, f->height);
    int64_t x = 0, row = 0;
    while (end - at >= 2 && row < last_row) {
        unsigned count = at[0], value = at[1];
        at += 2;
        if (count != 0) {
            uint32_t even = rle_colour(f, nibbles ? value >> 4 : value);
            uint32_t odd = rle_colour(f, nibbles ? value & 15 : value);
            rle_paint_run(t, row, x, count, even, odd);
            x += count;
        } else if (value == rle_end_of_line) {
            x = 0;
            row++;
        } else if (value == rle_end_of_image) {
            return;
        } else if (value == rle_delta) {
            if (end - at < 2) return;
            x += at[0];
            row += at[1];
            at += 2;
        } else {
            ptrdiff_t bytes = nibbles ? (value + 1) / 2 : value;
            if (end - at < bytes) return;
            rle_paint_literal(f, t, row, x, value, at);
            x += value;
            // The padding byte may be missing at the very end of the stream.
            at += std::min<ptrdiff_t>(bytes + (bytes & 1), end - at);
        }
    }
}

void gdi_rle_decode_picture(const gdi_dib_format *f, const uint8_t *stream, uint32_t *pixels,
                            ptrdiff_t stride) {
    gdi_rle_target whole = {pixels, stride, f->height - 1, 0, 0, f->width, 0, f->height};
    gdi_rle_decode(f, stream, &whole);
}
