// 24-bit rows move 4, 16 or 64 pixels at a time, whichever the processor allows: a byte per
// load or store made saving, loading and pasting bitmaps several times slower than copying.
#include "platform/posix/gdi/dib_rgb24.h"

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

// With 64-byte byte permutes, one load of 48 bytes spreads into 16 pixels.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) int
rgb24_to_pixels_permutes(const uint8_t *row, int count, uint32_t *out) {
    // Pixel k takes bytes 3k, 3k + 1 and 3k + 2; its fourth byte is zeroed by the mask.
    const __m512i spread =
        _mm512_set_epi32(0x002F2E2D, 0x002C2B2A, 0x00292827, 0x00262524, 0x00232221, 0x00201F1E,
                         0x001D1C1B, 0x001A1918, 0x00171615, 0x00141312, 0x0011100F, 0x000E0D0C,
                         0x000B0A09, 0x00080706, 0x00050403, 0x00020100);
    const __mmask64 alpha_bytes = 0x8888888888888888ull, row_bytes = 0xFFFFFFFFFFFFull;
    int x = 0;
    for (; x + 16 <= count; x += 16, row += 48) {
        // A full load reads 16 bytes past the 48 it uses; near the row's end they may not exist.
        __m512i bytes =
            x + 22 <= count ? _mm512_loadu_si512(row) : _mm512_maskz_loadu_epi8(row_bytes, row);
        _mm512_storeu_si512(out + x, _mm512_maskz_permutexvar_epi8(~alpha_bytes, spread, bytes));
    }
    return x;
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
        if (__builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512bw"))
            return gdi_rgb24_path::permutes;
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

void gdi_rgb24_to_pixels(const uint8_t *row, int count, uint32_t *out) {
    int x = 0;
#ifdef GDI_RGB24_SSSE3
    gdi_rgb24_path path = chosen_path();
    if (path == gdi_rgb24_path::permutes) {
        x = rgb24_to_pixels_permutes(row, count, out);
        row += 3 * (size_t)x;
    } else if (path == gdi_rgb24_path::shuffles) {
        x = rgb24_to_pixels_shuffles(row, count, out);
        row += 3 * (size_t)x;
    }
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
