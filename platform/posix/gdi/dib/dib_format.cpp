// DIB headers, colour tables and row conversion.
#include "platform/posix/gdi/dib/dib_format.h"

#include "platform/posix/gdi/dib/dib_rgb24.h"
#include "platform/red_blue.h"

#include <string.h>

namespace {

// ---- 32-bit rows in the two byte orders that need no mask arithmetic ----

// The surface's own order (red mask 0xFF0000) keeps the colour bytes; the COLORREF order (red
// mask 0xFF) swaps red and blue. Either way the top byte is dropped.
enum class gdi_words { keep, swap };

void gdi_keep_words_plain(const uint8_t *in, uint8_t *out, size_t count) {
    for (size_t i = 0; i < count; i++) {
        uint32_t v;
        memcpy(&v, in + 4 * i, sizeof(v));
        v &= 0x00FFFFFFu;
        memcpy(out + 4 * i, &v, sizeof(v));
    }
}

#ifdef ZELVAN_RED_BLUE_AVX2
// Sixteen pixels a step, one mask each: block transfers of whole frames run at the speed of a
// copy. DIB rows may sit at any address, so every access is unaligned.
__attribute__((target("avx2"))) void gdi_keep_words_avx2(const uint8_t *in, uint8_t *out,
                                                         size_t count) {
    const __m256i keep = _mm256_set1_epi32(0x00FFFFFF);
    size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m256i *from = reinterpret_cast<const __m256i *>(in + 4 * i);
        __m256i *to = reinterpret_cast<__m256i *>(out + 4 * i);
        __m256i a = _mm256_loadu_si256(from), b = _mm256_loadu_si256(from + 1);
        _mm256_storeu_si256(to, _mm256_and_si256(a, keep));
        _mm256_storeu_si256(to + 1, _mm256_and_si256(b, keep));
    }
    gdi_keep_words_plain(in + 4 * i, out + 4 * i, count - i);
}
#endif

// Converts `count` 32-bit words from `in` to `out` (which may be the same memory).
void gdi_convert_words(gdi_words order, const uint8_t *in, uint8_t *out, int count) {
    if (order == gdi_words::swap) return swap_red_blue_row(in, out, (size_t)count);
#ifdef ZELVAN_RED_BLUE_AVX2
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) return gdi_keep_words_avx2(in, out, (size_t)count);
#endif
    gdi_keep_words_plain(in, out, (size_t)count);
}

// Whether 32-bit masks are exactly one of the two word orders, and which.
bool gdi_word_order(const gdi_dib_format *f, gdi_words *order) {
    if (f->bit_count != 32 || f->masks[1] != 0xFF00) return false;
    if (f->masks[0] == 0xFF0000 && f->masks[2] == 0xFF) {
        *order = gdi_words::keep;
        return true;
    }
    if (f->masks[0] == 0xFF && f->masks[2] == 0xFF0000) {
        *order = gdi_words::swap;
        return true;
    }
    return false;
}

RGBQUAD gdi_quad(BYTE r, BYTE g, BYTE b) {
    return RGBQUAD{b, g, r, 0};
}

// Win32's default colour tables of 1, 4 and 8 bits per pixel. The 8-bit one is a
// 4 x 8 x 8 cube (blue in steps of 0x40, green and red in steps of 0x20) whose first and
// last ten entries are the static system colours.
struct gdi_default_tables {
    RGBQUAD one[2], four[16], eight[256];
    gdi_default_tables() {
        one[0] = gdi_quad(0, 0, 0);
        one[1] = gdi_quad(255, 255, 255);
        static const BYTE vga[16][3] = {
            {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
            {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {128, 128, 128},
            {192, 192, 192}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
            {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
        for (int i = 0; i < 16; i++) four[i] = gdi_quad(vga[i][0], vga[i][1], vga[i][2]);
        for (int i = 0; i < 256; i++)
            eight[i] = gdi_quad((BYTE)((i & 7) * 0x20), (BYTE)(((i >> 3) & 7) * 0x20),
                                (BYTE)((i >> 6) * 0x40));
        static const BYTE first[10][3] = {
            {0, 0, 0},     {128, 0, 0},   {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
            {128, 0, 128}, {0, 128, 128}, {192, 192, 192}, {192, 220, 192}, {166, 202, 240}};
        static const BYTE last[10][3] = {
            {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},   {0, 255, 0},
            {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255}, {255, 255, 255}};
        for (int i = 0; i < 10; i++) {
            eight[i] = gdi_quad(first[i][0], first[i][1], first[i][2]);
            eight[246 + i] = gdi_quad(last[i][0], last[i][1], last[i][2]);
        }
    }
};

const gdi_default_tables &gdi_defaults() {
    static const gdi_default_tables tables;
    return tables;
}

uint32_t gdi_pixel_of_quad(const RGBQUAD &q) {
    return (uint32_t)q.rgbRed << 16 | (uint32_t)q.rgbGreen << 8 | q.rgbBlue;
}

// Reads a mask channel: where its lowest bit sits and how many bits it has.
void gdi_mask_shape(uint32_t mask, int *shift, int *bits) {
    *shift = 0;
    *bits = 0;
    if (!mask) return;
    while (!(mask >> *shift & 1)) (*shift)++;
    while (*shift + *bits < 32 && (mask >> (*shift + *bits) & 1)) (*bits)++;
}

// Scales a channel value of `bits` bits to 8 bits, repeating the high bits into the low.
uint32_t gdi_channel_to_8(uint32_t value, int bits) {
    if (bits <= 0) return 0;
    if (bits >= 8) return value >> (bits - 8);
    uint32_t out = value << (8 - bits);
    for (int filled = bits; filled < 8; filled += bits) out |= out >> bits;
    return out & 0xFF;
}

uint32_t gdi_masked_to_pixel(const gdi_dib_format *f, uint32_t value) {
    uint32_t out = 0;
    for (int c = 0; c < 3; c++) {
        int shift, bits;
        gdi_mask_shape(f->masks[c], &shift, &bits);
        out |= gdi_channel_to_8((value & f->masks[c]) >> shift, bits) << (16 - 8 * c);
    }
    return out;
}

uint32_t gdi_pixel_to_masked(const gdi_dib_format *f, uint32_t pixel) {
    uint32_t out = 0;
    for (int c = 0; c < 3; c++) {
        int shift, bits;
        gdi_mask_shape(f->masks[c], &shift, &bits);
        uint32_t channel = pixel >> (16 - 8 * c) & 0xFF;
        uint32_t scaled = bits >= 8 ? channel << (bits - 8) : channel >> (8 - bits);
        out |= (scaled << shift) & f->masks[c];
    }
    return out;
}

// The colour table entry nearest to `pixel` (squared RGB distance, lowest index on ties).
int gdi_nearest_colour(const gdi_dib_format *f, uint32_t pixel) {
    int best = 0;
    int64_t best_distance = INT64_MAX;
    for (int i = 0; i < f->colour_count; i++) {
        int64_t distance = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            int d = (int)(pixel >> shift & 0xFF) - (int)(f->colours[i] >> shift & 0xFF);
            distance += d * d;
        }
        if (distance < best_distance) {
            best_distance = distance;
            best = i;
        }
    }
    return best;
}

bool gdi_dib_set_masks(gdi_dib_format *f, DWORD compression, const uint8_t *mask_bytes) {
    if (compression == BI_BITFIELDS) {
        if (f->bit_count != 16 && f->bit_count != 32) return false;
        memcpy(f->masks, mask_bytes, sizeof(f->masks));
        f->compression = BI_BITFIELDS;
        return f->masks[0] && f->masks[1] && f->masks[2];
    }
    if (compression != BI_RGB) return false;
    if (f->bit_count == 16) { // 5-5-5
        f->masks[0] = 0x7C00;
        f->masks[1] = 0x03E0;
        f->masks[2] = 0x001F;
    } else {
        f->masks[0] = 0xFF0000;
        f->masks[1] = 0x00FF00;
        f->masks[2] = 0x0000FF;
    }
    return true;
}

// A run-length stream: BI_RLE8 at 8 bits or BI_RLE4 at 4, bottom-up as Win32 requires of
// compressed DIBs, and of a stated size, since the stream itself carries no length.
bool gdi_dib_set_run_length(gdi_dib_format *f, DWORD compression, DWORD stream_bytes) {
    bool matches = (compression == BI_RLE8 && f->bit_count == 8) ||
                   (compression == BI_RLE4 && f->bit_count == 4);
    if (!matches || f->top_down || stream_bytes == 0) return false;
    f->compression = compression;
    f->stream_bytes = stream_bytes;
    return true;
}

bool gdi_valid_depth(int bit_count) {
    return bit_count == 1 || bit_count == 4 || bit_count == 8 || bit_count == 16 ||
           bit_count == 24 || bit_count == 32;
}

} // namespace

const RGBQUAD *gdi_dib_default_colours(int bit_count) {
    const gdi_default_tables &t = gdi_defaults();
    return bit_count == 1 ? t.one : bit_count == 4 ? t.four : bit_count == 8 ? t.eight : nullptr;
}

size_t gdi_dib_stride(int width, int bit_count) {
    return (((size_t)width * bit_count + 31) / 32) * 4;
}

bool gdi_dib_read_format(const BITMAPINFO *info, UINT usage, const gdi_palette *palette,
                         gdi_dib_format *f) {
    const BITMAPINFOHEADER *h = &info->bmiHeader;
    const uint8_t *table = reinterpret_cast<const uint8_t *>(info) + h->biSize;
    DWORD compression = BI_RGB, used = 0, image_bytes = 0;
    *f = gdi_dib_format{};
    if (h->biSize == sizeof(BITMAPCOREHEADER)) {
        const BITMAPCOREHEADER *c = reinterpret_cast<const BITMAPCOREHEADER *>(info);
        f->core = true;
        f->width = c->bcWidth;
        f->height = c->bcHeight;
        f->bit_count = c->bcBitCount;
    } else if (h->biSize >= sizeof(BITMAPINFOHEADER)) {
        if (h->biWidth <= 0 || h->biHeight == 0 || h->biHeight == INT32_MIN) return false;
        f->width = h->biWidth;
        f->height = h->biHeight < 0 ? -h->biHeight : h->biHeight;
        f->top_down = h->biHeight < 0;
        f->bit_count = h->biBitCount;
        compression = h->biCompression;
        image_bytes = h->biSizeImage;
        used = h->biClrUsed;
        // Masks follow a 40-byte header; larger headers carry them inside.
        if (compression == BI_BITFIELDS && h->biSize == sizeof(BITMAPINFOHEADER)) table += 12;
    } else {
        return false;
    }
    if (!gdi_valid_depth(f->bit_count) || f->width <= 0 || f->height <= 0) return false;
    const uint8_t *masks = reinterpret_cast<const uint8_t *>(info) + sizeof(BITMAPINFOHEADER);
    if (f->bit_count > 8 && !gdi_dib_set_masks(f, compression, masks)) return false;
    if (f->bit_count <= 8 && compression != BI_RGB &&
        !gdi_dib_set_run_length(f, compression, image_bytes))
        return false;
    f->stride = gdi_dib_stride(f->width, f->bit_count);
    if (f->bit_count > 8) return true;
    int full = 1 << f->bit_count;
    f->colour_count = used && (int)used < full ? (int)used : full;
    for (int i = 0; i < f->colour_count; i++) {
        if (usage == DIB_PAL_COLORS) {
            WORD index;
            memcpy(&index, table + 2 * i, sizeof(index));
            const PALETTEENTRY *e =
                palette && index < palette->count ? &palette->entries[index] : nullptr;
            f->colours[i] = e ? (uint32_t)e->peRed << 16 | e->peGreen << 8 | e->peBlue : 0;
        } else {
            const uint8_t *entry = table + (f->core ? 3 : 4) * i; // blue, green, red
            f->colours[i] = (uint32_t)entry[2] << 16 | entry[1] << 8 | entry[0];
        }
    }
    return true;
}

bool gdi_dib_output_format(const BITMAPINFOHEADER *h, gdi_dib_format *f) {
    *f = gdi_dib_format{};
    f->width = h->biWidth;
    f->height = h->biHeight < 0 ? -h->biHeight : h->biHeight;
    f->top_down = h->biHeight < 0;
    f->bit_count = h->biBitCount;
    if (f->width <= 0 || f->height <= 0 || !gdi_valid_depth(f->bit_count)) return false;
    const uint8_t *masks = reinterpret_cast<const uint8_t *>(h) + sizeof(BITMAPINFOHEADER);
    if (f->bit_count > 8 && !gdi_dib_set_masks(f, h->biCompression, masks)) return false;
    if (f->bit_count <= 8 && h->biCompression != BI_RGB) return false;
    f->stride = gdi_dib_stride(f->width, f->bit_count);
    if (const RGBQUAD *table = gdi_dib_default_colours(f->bit_count)) {
        f->colour_count = 1 << f->bit_count;
        for (int i = 0; i < f->colour_count; i++) f->colours[i] = gdi_pixel_of_quad(table[i]);
    }
    return true;
}

void gdi_dib_row_to_pixels(const gdi_dib_format *f, const uint8_t *row, int first, int count,
                           uint32_t *out) {
    switch (f->bit_count) {
    case 24:
        gdi_rgb24_to_pixels(row + 3 * (size_t)first, count, out);
        return;
    case 32: {
        gdi_words order;
        if (gdi_word_order(f, &order))
            return gdi_convert_words(order, row + 4 * (size_t)first,
                                     reinterpret_cast<uint8_t *>(out), count);
        for (int i = 0; i < count; i++) {
            uint32_t value;
            memcpy(&value, row + 4 * (first + i), sizeof(value));
            out[i] = gdi_masked_to_pixel(f, value);
        }
        return;
    }
    case 16:
        for (int i = 0; i < count; i++) {
            const uint8_t *p = row + 2 * (first + i);
            out[i] = gdi_masked_to_pixel(f, (uint32_t)p[0] | p[1] << 8);
        }
        return;
    default: { // 1, 4 or 8 bits: indices into the colour table, leftmost pixel highest
        int per_byte = 8 / f->bit_count, mask = (1 << f->bit_count) - 1;
        for (int i = 0; i < count; i++) {
            int x = first + i;
            int index = row[x / per_byte] >> (8 - f->bit_count * (x % per_byte + 1)) & mask;
            out[i] = index < f->colour_count ? f->colours[index] : 0;
        }
        return;
    }
    }
}

void gdi_dib_rows_to_pixels(const gdi_dib_format *f, const uint8_t *row, ptrdiff_t row_step,
                            int first, int count, int rows, uint32_t *out, ptrdiff_t out_step) {
    if (f->bit_count == 24)
        return gdi_rgb24_rows_to_pixels(row + 3 * (size_t)first, row_step, count, rows, out,
                                        out_step);
    for (int k = 0; k < rows; k++, row += row_step, out += out_step)
        gdi_dib_row_to_pixels(f, row, first, count, out);
}

void gdi_dib_row_from_pixels(const gdi_dib_format *f, const uint32_t *pixels, int count,
                             uint8_t *row) {
    if (f->bit_count == 24) return gdi_pixels_to_rgb24(pixels, count, row, f->stride);
    gdi_words order;
    if (gdi_word_order(f, &order)) {
        gdi_convert_words(order, reinterpret_cast<const uint8_t *>(pixels), row, count);
        memset(row + 4 * (size_t)count, 0, f->stride - 4 * (size_t)count);
        return;
    }
    memset(row, 0, f->stride);
    int last_pixel = -1, last_index = 0; // runs of one colour look up the table once
    for (int x = 0; x < count; x++) {
        uint32_t p = pixels[x] & 0x00FFFFFFu;
        switch (f->bit_count) {
        case 1:
        case 4:
        case 8: {
            if ((int)p != last_pixel) last_index = gdi_nearest_colour(f, p);
            last_pixel = (int)p;
            int per_byte = 8 / f->bit_count;
            row[x / per_byte] |= (uint8_t)(last_index << (8 - f->bit_count * (x % per_byte + 1)));
            break;
        }
        case 16: {
            uint32_t v = gdi_pixel_to_masked(f, p);
            row[2 * x] = (uint8_t)v;
            row[2 * x + 1] = (uint8_t)(v >> 8);
            break;
        }
        case 24:
            row[3 * x] = (uint8_t)p;
            row[3 * x + 1] = (uint8_t)(p >> 8);
            row[3 * x + 2] = (uint8_t)(p >> 16);
            break;
        default: {
            uint32_t v = gdi_pixel_to_masked(f, p);
            memcpy(row + 4 * x, &v, sizeof(v));
            break;
        }
        }
    }
}
