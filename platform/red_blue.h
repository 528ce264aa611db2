// Swapping the red and blue bytes of 32-bit pixels: surfaces keep 0x00RRGGBB, colours are
// 0x00BBGGRR, and whole rows cross between the two at the speed of a copy. The top byte is
// dropped. Plain C++, for the library folders and the platform layer alike.
#ifndef ZELVAN_PLATFORM_RED_BLUE_H
#define ZELVAN_PLATFORM_RED_BLUE_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define ZELVAN_RED_BLUE_AVX2 1
#endif

inline uint32_t swap_red_blue(uint32_t c) {
    return (c & 0xFFu) << 16 | (c & 0xFF00u) | (c >> 16 & 0xFFu);
}

// Eight at a time with no dependence between them, so that the compiler makes vector code of
// it; each group is read whole before it is written, so `in` may be `out`. Rows may sit at any
// address, hence the byte copies.
inline void swap_red_blue_row_plain(const uint8_t *in, uint8_t *out, size_t count) {
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        uint32_t group[8];
        memcpy(group, in + 4 * i, sizeof(group));
        for (uint32_t &v : group) v = swap_red_blue(v);
        memcpy(out + 4 * i, group, sizeof(group));
    }
    for (; i < count; ++i) {
        uint32_t v;
        memcpy(&v, in + 4 * i, sizeof(v));
        v = swap_red_blue(v);
        memcpy(out + 4 * i, &v, sizeof(v));
    }
}

#ifdef ZELVAN_RED_BLUE_AVX2
// Sixteen pixels a step, one byte shuffle per eight.
__attribute__((target("avx2"))) inline void swap_red_blue_row_avx2(const uint8_t *in, uint8_t *out,
                                                                   size_t count) {
    const __m256i order = _mm256_setr_epi8(2, 1, 0, -1, 6, 5, 4, -1, 10, 9, 8, -1, 14, 13, 12, -1,
                                           2, 1, 0, -1, 6, 5, 4, -1, 10, 9, 8, -1, 14, 13, 12, -1);
    size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m256i *from = reinterpret_cast<const __m256i *>(in + 4 * i);
        __m256i a = _mm256_loadu_si256(from), b = _mm256_loadu_si256(from + 1);
        __m256i *to = reinterpret_cast<__m256i *>(out + 4 * i);
        _mm256_storeu_si256(to, _mm256_shuffle_epi8(a, order));
        _mm256_storeu_si256(to + 1, _mm256_shuffle_epi8(b, order));
    }
    swap_red_blue_row_plain(in + 4 * i, out + 4 * i, count - i);
}
#endif

// Swaps `count` pixels from `in` into `out`, which is the same memory or does not overlap it.
inline void swap_red_blue_row(const void *in, void *out, size_t count) {
    const uint8_t *from = static_cast<const uint8_t *>(in);
    uint8_t *to = static_cast<uint8_t *>(out);
#ifdef ZELVAN_RED_BLUE_AVX2
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) return swap_red_blue_row_avx2(from, to, count);
#endif
    swap_red_blue_row_plain(from, to, count);
}

#endif
