// BI_RLE8 and BI_RLE4 streams. A stream is a list of two-byte commands: a non-zero count
// followed by a colour index repeats it (at 4 bits the byte holds two indices taken in
// turn); a zero count is an escape: 0 ends the line, 1 ends the image, 2 moves by the next
// two bytes (dx right, dy up), and 3 to 255 start an absolute run of that many indices,
// padded to a 16-bit boundary.
#include "platform/posix/gdi/dib/dib_rle.h"

#include <algorithm>

namespace {

enum rle_kind { rle_run, rle_literal, rle_end_of_line, rle_end_of_image, rle_delta };

// One command of the stream; `complete` is false when the stream ends inside it.
struct rle_command {
    rle_kind kind;
    unsigned count;      // pixels of a run or an absolute run
    const uint8_t *data; // the run's index byte, the absolute run's indices, the delta's bytes
    ptrdiff_t bytes;     // length in the stream, padding included
    bool complete;
};

// Reads the command at `at`, where at least two bytes remain.
rle_command rle_read(const uint8_t *at, const uint8_t *end, bool nibbles) {
    unsigned count = at[0], value = at[1];
    if (count != 0) return {rle_run, count, at + 1, 2, true};
    switch (value) {
    case 0:
        return {rle_end_of_line, 0, at, 2, true};
    case 1:
        return {rle_end_of_image, 0, at, 2, true};
    case 2:
        return {rle_delta, 0, at + 2, 4, end - at >= 4};
    default: {
        ptrdiff_t bytes = nibbles ? (value + 1) / 2 : value;
        bytes += bytes & 1; // absolute runs are padded to 16 bits
        return {rle_literal, value, at + 2, 2 + bytes, end - at >= 2 + bytes};
    }
    }
}

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

// Paints a run or an absolute run that starts at column `x` of image row `row`. An encoded
// run's pixels take its two indices in turn (one index twice at 8 bits); an absolute run's
// indices are packed leftmost in the high bits.
void rle_paint(const gdi_dib_format *f, const gdi_rle_target *t, int64_t row, int64_t x,
               const rle_command &c) {
    int64_t begin, end;
    if (!rle_clip_run(t, row, x, c.count, &begin, &end)) return;
    uint32_t *out = t->pixels + (t->row0_y - row) * t->stride + (begin + t->x_shift);
    bool nibbles = f->bit_count == 4;
    if (c.kind == rle_run) {
        uint32_t even = rle_colour(f, nibbles ? c.data[0] >> 4 : c.data[0]);
        uint32_t odd = rle_colour(f, nibbles ? c.data[0] & 15 : c.data[0]);
        if (even == odd) return (void)std::fill(out, out + (end - begin), even);
        for (int64_t i = begin - x; i < end - x; i++) *out++ = i & 1 ? odd : even;
        return;
    }
    for (int64_t i = begin - x; i < end - x; i++) {
        unsigned index = nibbles ? c.data[i / 2] >> (i & 1 ? 0 : 4) & 15 : c.data[i];
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
    while (row < last_row) {
        // Pixels show once an end of line, an end of image or a delta follows them (its
        // offsets may be cut off); a stream that ends first loses them, as the reference GDI
        // draws it.
        const uint8_t *close = at;
        rle_command escape;
        for (;;) {
            if (end - close < 2) return;
            escape = rle_read(close, end, nibbles);
            if (escape.kind != rle_run && escape.kind != rle_literal) break;
            if (!escape.complete) return;
            close += escape.bytes;
        }
        while (at < close) {
            rle_command c = rle_read(at, end, nibbles);
            rle_paint(f, t, row, x, c);
            x += c.count;
            at += c.bytes;
        }
        if (escape.kind == rle_end_of_image || !escape.complete) return;
        at += escape.bytes;
        if (escape.kind == rle_end_of_line) {
            x = 0;
            row++;
        } else {
            x += escape.data[0];
            row += escape.data[1];
        }
    }
}

void gdi_rle_decode_picture(const gdi_dib_format *f, const uint8_t *stream, uint32_t *pixels,
                            ptrdiff_t stride) {
    gdi_rle_target whole = {pixels, stride, f->height - 1, 0, 0, f->width, 0, f->height};
    gdi_rle_decode(f, stream, &whole);
}
