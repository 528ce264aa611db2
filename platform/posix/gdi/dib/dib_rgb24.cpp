// 24-bit rows move 4, 8 or 16 pixels at a time, whichever the processor allows: a byte per
// load or store made saving, loading and pasting bitmaps several times slower than copying.
#include "platform/posix/gdi/dib/dib_rgb24.h"

#include <string.h>

#include <algorithm>
#include <atomic>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define GDI_RGB24_SSSE3 1
#endif

namespace {

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr bool k_words_hold_bgr_bytes = true;
#else
constexpr bool k_words_hold_bgr_bytes = false; // the word tricks assume little-endian words
#endif

uint32_t pixel_from_bytes(const uint8_t *p) {
    return (uint32_t)p[2] << 16 | (uint32_t)p[1] << 8 | p[0];
}

void bytes_from_pixel(uint32_t pixel, uint8_t *p) {
    p[0] = (uint8_t)pixel;
    p[1] = (uint8_t)(pixel >> 8);
    p[2] = (uint8_t)(pixel >> 16);
}

#ifdef GDI_RGB24_SSSE3
// Byte shuffles move sixteen pixels (48 bytes of the row) per step.
__attribute__((target("ssse3"))) int rgb24_to_pixels_shuffles(const uint8_t *row, int count,
                                                              uint32_t *out) {
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    int x = 0;
    for (; x + 16 <= count; x += 16, row += 48) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(row));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(row + 16));
        __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(row + 32));
        __m128i *to = reinterpret_cast<__m128i *>(out + x);
        _mm_storeu_si128(to, _mm_shuffle_epi8(a, spread));
        _mm_storeu_si128(to + 1, _mm_shuffle_epi8(_mm_alignr_epi8(b, a, 12), spread));
        _mm_storeu_si128(to + 2, _mm_shuffle_epi8(_mm_alignr_epi8(c, b, 8), spread));
        _mm_storeu_si128(to + 3, _mm_shuffle_epi8(_mm_srli_si128(c, 4), spread));
    }
    return x;
}

// The wide paths store whole 32-byte blocks at 32-byte-aligned addresses: a store that
// straddles two cache lines costs more, and pastes rarely land on an aligned pixel. The first
// and last blocks of a row are stored unaligned and overlap their neighbours instead.

#define GDI_RGB24_PERMUTES                                                                         \
    __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi"), always_inline))

// Byte permutes spread the 24 bytes of eight pixels over 32. Twice as wide (16 pixels a step)
// was slower on processors that run 64-byte operations as two halves.
struct permutes_kit {
    __m256i spread;
    __mmask32 colour_bytes; // every byte but the fourth of each pixel, which is zeroed
};

GDI_RGB24_PERMUTES inline permutes_kit make_permutes_kit() {
    // Pixel k takes bytes 3k, 3k + 1 and 3k + 2.
    return permutes_kit{_mm256_setr_epi32(0x00020100, 0x00050403, 0x00080706, 0x000B0A09,
                                          0x000E0D0C, 0x0011100F, 0x00141312, 0x00171615),
                        ~0x88888888u};
}

// Eight pixels from a full 32-byte load: only where the row has 8 bytes beyond the 24.
GDI_RGB24_PERMUTES inline __m256i permute_full(const permutes_kit &k, const uint8_t *row) {
    __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(row));
    return _mm256_maskz_permutexvar_epi8(k.colour_bytes, k.spread, bytes);
}

// Eight pixels reading exactly their 24 bytes.
GDI_RGB24_PERMUTES inline __m256i permute_exact(const permutes_kit &k, const uint8_t *row) {
    __m256i bytes = _mm256_maskz_loadu_epi8(0xFFFFFF, row);
    return _mm256_maskz_permutexvar_epi8(k.colour_bytes, k.spread, bytes);
}

// `count` pixels, at most eight, reading and writing exactly theirs.
GDI_RGB24_PERMUTES inline void permute_few(const permutes_kit &k, const uint8_t *row, int count,
                                           uint32_t *out) {
    __m256i bytes = _mm256_maskz_loadu_epi8((__mmask32)((1ull << (3 * count)) - 1), row);
    __m256i pixels = _mm256_maskz_permutexvar_epi8(k.colour_bytes, k.spread, bytes);
    _mm256_mask_storeu_epi32(out, (__mmask8)((1u << count) - 1), pixels);
}

GDI_RGB24_PERMUTES inline void permutes_row(const permutes_kit &k, const uint8_t *row, int count,
                                            uint32_t *out) {
    if (count < 11) {
        permute_few(k, row, std::min(count, 8), out);
        if (count > 8) permute_few(k, row + 24, count - 8, out + 8);
        return;
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(out), permute_full(k, row));
    int x = (int)((32 - (reinterpret_cast<uintptr_t>(out) & 31)) & 31) / 4;
    if (x == 0) x = 8;
    // Four blocks a turn: a loop of one block ran at two thirds of the speed whenever it
    // happened to straddle a 64-byte line of code.
    for (; x + 35 <= count; x += 32) {
        __m256i *to = reinterpret_cast<__m256i *>(out + x);
        const uint8_t *from = row + 3 * x;
        _mm256_storeu_si256(to, permute_full(k, from));
        _mm256_storeu_si256(to + 1, permute_full(k, from + 24));
        _mm256_storeu_si256(to + 2, permute_full(k, from + 48));
        _mm256_storeu_si256(to + 3, permute_full(k, from + 72));
    }
    for (; x + 11 <= count; x += 8)
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + x), permute_full(k, row + 3 * x));
    for (; x + 8 <= count; x += 8)
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + x), permute_exact(k, row + 3 * x));
    if (x < count)
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + count - 8),
                            permute_exact(k, row + 3 * (count - 8)));
}

__attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi"))) void
rgb24_rows_permutes(const uint8_t *row, ptrdiff_t row_step, int count, int rows, uint32_t *out,
                    ptrdiff_t out_step) {
    const permutes_kit kit = make_permutes_kit();
    for (int k = 0; k < rows; k++, row += row_step, out += out_step)
        permutes_row(kit, row, count, out);
}

#define GDI_RGB24_WIDE __attribute__((target("avx2"), always_inline))

// With 32-byte registers: each 16-byte lane is loaded with the 12 bytes of four pixels (the
// high lane from 8 bytes in, so that no load reads past the 24 bytes) and spread like the
// 16-byte shuffles do. One shuffle per eight pixels, where a lane-crossing permute would add
// a second on the same port on many processors.
struct wide_kit {
    __m256i spread;
};

GDI_RGB24_WIDE inline wide_kit make_wide_kit() {
    return wide_kit{_mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1, 4, 5, 6,
                                     -1, 7, 8, 9, -1, 10, 11, 12, -1, 13, 14, 15, -1)};
}

// Eight pixels reading exactly their 24 bytes.
GDI_RGB24_WIDE inline __m256i spread_eight(const wide_kit &k, const uint8_t *row) {
    __m256i bytes = _mm256_loadu2_m128i(reinterpret_cast<const __m128i *>(row + 8),
                                        reinterpret_cast<const __m128i *>(row));
    return _mm256_shuffle_epi8(bytes, k.spread);
}

// A row of eight pixels or more.
GDI_RGB24_WIDE inline void wide_row(const wide_kit &k, const uint8_t *row, int count,
                                    uint32_t *out) {
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(out), spread_eight(k, row));
    int x = (int)((32 - (reinterpret_cast<uintptr_t>(out) & 31)) & 31) / 4;
    if (x == 0) x = 8;
    for (; x + 32 <= count; x += 32) { // four blocks a turn, like the permutes
        __m256i *to = reinterpret_cast<__m256i *>(out + x);
        const uint8_t *from = row + 3 * x;
        _mm256_storeu_si256(to, spread_eight(k, from));
        _mm256_storeu_si256(to + 1, spread_eight(k, from + 24));
        _mm256_storeu_si256(to + 2, spread_eight(k, from + 48));
        _mm256_storeu_si256(to + 3, spread_eight(k, from + 72));
    }
    for (; x + 8 <= count; x += 8)
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + x), spread_eight(k, row + 3 * x));
    if (x < count)
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + count - 8),
                            spread_eight(k, row + 3 * (count - 8)));
}

// Returns false, converting nothing, when the rows are too short for eight-pixel blocks.
__attribute__((target("avx2"))) bool rgb24_rows_wide(const uint8_t *row, ptrdiff_t row_step,
                                                     int count, int rows, uint32_t *out,
                                                     ptrdiff_t out_step) {
    if (count < 8) return false;
    const wide_kit kit = make_wide_kit();
    for (int k = 0; k < rows; k++, row += row_step, out += out_step) wide_row(kit, row, count, out);
    return true;
}

__attribute__((target("ssse3"))) int pixels_to_rgb24_shuffles(const uint32_t *pixels, int count,
                                                              uint8_t *row) {
    const __m128i pack = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    int x = 0;
    for (; x + 16 <= count; x += 16, row += 48) {
        const __m128i *from = reinterpret_cast<const __m128i *>(pixels + x);
        __m128i p0 = _mm_shuffle_epi8(_mm_loadu_si128(from), pack);
        __m128i p1 = _mm_shuffle_epi8(_mm_loadu_si128(from + 1), pack);
        __m128i p2 = _mm_shuffle_epi8(_mm_loadu_si128(from + 2), pack);
        __m128i p3 = _mm_shuffle_epi8(_mm_loadu_si128(from + 3), pack);
        __m128i *to = reinterpret_cast<__m128i *>(row);
        _mm_storeu_si128(to, _mm_or_si128(p0, _mm_slli_si128(p1, 12)));
        _mm_storeu_si128(to + 1, _mm_or_si128(_mm_srli_si128(p1, 4), _mm_slli_si128(p2, 8)));
        _mm_storeu_si128(to + 2, _mm_or_si128(_mm_srli_si128(p2, 8), _mm_slli_si128(p3, 4)));
    }
    return x;
}
#endif

// The widest path the processor has, found once, since the library may run on any x86-64.
gdi_rgb24_path widest_path() {
    static const gdi_rgb24_path widest = [] {
#ifdef GDI_RGB24_SSSE3
        if (__builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512bw") &&
            __builtin_cpu_supports("avx512vl"))
            return gdi_rgb24_path::permutes;
        if (__builtin_cpu_supports("avx2")) return gdi_rgb24_path::wide_shuffles;
        if (__builtin_cpu_supports("ssse3")) return gdi_rgb24_path::shuffles;
#endif
        return gdi_rgb24_path::words;
    }();
    return widest;
}

std::atomic<int> g_path_limit{static_cast<int>(gdi_rgb24_path::permutes)};

gdi_rgb24_path chosen_path() {
    int limit = g_path_limit.load(std::memory_order_relaxed);
    return static_cast<gdi_rgb24_path>(std::min(limit, static_cast<int>(widest_path())));
}

} // namespace

gdi_rgb24_path gdi_rgb24_limit_path(gdi_rgb24_path widest) {
    int before = g_path_limit.exchange(static_cast<int>(widest));
    return static_cast<gdi_rgb24_path>(std::min(before, static_cast<int>(widest_path())));
}

namespace {

// The narrow paths, a row at a time: 16-byte shuffles if chosen, then words, then bytes.
void narrow_row(gdi_rgb24_path path, const uint8_t *row, int count, uint32_t *out) {
    int x = 0;
#ifdef GDI_RGB24_SSSE3
    if (path != gdi_rgb24_path::words) {
        x = rgb24_to_pixels_shuffles(row, count, out);
        row += 3 * (size_t)x;
    }
#else
    (void)path;
#endif
    if (k_words_hold_bgr_bytes) {
        for (; x + 4 <= count; x += 4, row += 12) {
            uint32_t w[3];
            memcpy(w, row, 12);
            out[x] = w[0] & 0xFFFFFFu;
            out[x + 1] = (w[0] >> 24 | w[1] << 8) & 0xFFFFFFu;
            out[x + 2] = (w[1] >> 16 | w[2] << 16) & 0xFFFFFFu;
            out[x + 3] = w[2] >> 8;
        }
    }
    for (; x < count; x++, row += 3) out[x] = pixel_from_bytes(row);
}

} // namespace

void gdi_rgb24_rows_to_pixels(const uint8_t *row, ptrdiff_t row_step, int count, int rows,
                              uint32_t *out, ptrdiff_t out_step) {
    if (count <= 0 || rows <= 0) return;
    gdi_rgb24_path path = chosen_path();
#ifdef GDI_RGB24_SSSE3
    if (path == gdi_rgb24_path::permutes)
        return rgb24_rows_permutes(row, row_step, count, rows, out, out_step);
    if (path == gdi_rgb24_path::wide_shuffles) {
        if (rgb24_rows_wide(row, row_step, count, rows, out, out_step)) return;
        path = gdi_rgb24_path::shuffles;
    }
#endif
    for (int k = 0; k < rows; k++, row += row_step, out += out_step)
        narrow_row(path, row, count, out);
}

void gdi_rgb24_to_pixels(const uint8_t *row, int count, uint32_t *out) {
    gdi_rgb24_rows_to_pixels(row, 0, count, 1, out, 0);
}

void gdi_pixels_to_rgb24(const uint32_t *pixels, int count, uint8_t *row, size_t stride) {
    uint8_t *end = row + stride;
    int x = 0;
#ifdef GDI_RGB24_SSSE3
    if (chosen_path() != gdi_rgb24_path::words) {
        x = pixels_to_rgb24_shuffles(pixels, count, row);
        row += 3 * (size_t)x;
    }
#endif
    if (k_words_hold_bgr_bytes) {
        for (; x + 4 <= count; x += 4, row += 12) {
            uint32_t p0 = pixels[x] & 0xFFFFFFu, p1 = pixels[x + 1] & 0xFFFFFFu,
                     p2 = pixels[x + 2] & 0xFFFFFFu, p3 = pixels[x + 3] & 0xFFFFFFu;
            uint32_t w[3] = {p0 | p1 << 24, p1 >> 8 | p2 << 16, p2 >> 16 | p3 << 8};
            memcpy(row, w, 12);
        }
    }
    for (; x < count; x++, row += 3) bytes_from_pixel(pixels[x], row);
    if (row < end) memset(row, 0, (size_t)(end - row));
}
