// AlphaBlend: a premultiplied source laid over the destination, unstretched.
//
// Surfaces hold no alpha of their own (the fourth byte stays 0), so with AC_SRC_ALPHA each
// result channel is src + dst * (255 - src alpha) / 255, rounded to nearest; with
// SourceConstantAlpha below 255 the source (alpha included) is first scaled by it.
#include "platform/posix/gdi/gdi_internal.h"

#include <new>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define GDI_BLEND_X86 1
#endif

namespace {

// x * a / 255 rounded to nearest, exact for every 8-bit x and a.
inline uint32_t gdi_scale(uint32_t x, uint32_t a) {
    uint32_t t = x * a + 128;
    return (t + (t >> 8)) >> 8;
}

inline uint32_t gdi_blend_pixel(uint32_t src, uint32_t dst) {
    uint32_t keep = 255 - (src >> 24);
    uint32_t r = (src >> 16 & 255) + gdi_scale(dst >> 16 & 255, keep);
    uint32_t g = (src >> 8 & 255) + gdi_scale(dst >> 8 & 255, keep);
    uint32_t b = (src & 255) + gdi_scale(dst & 255, keep);
    // A source that is not truly premultiplied (a colour above its alpha) saturates.
    r = r > 255 ? 255 : r, g = g > 255 ? 255 : g, b = b > 255 ? 255 : b;
    return r << 16 | g << 8 | b;
}

void gdi_blend_row_plain(const uint32_t *src, uint32_t *dst, int count) {
    for (int x = 0; x < count; ++x) {
        uint32_t a = src[x] >> 24;
        if (a == 0) continue; // the commonest pixels of a sprite: around its shape
        dst[x] = a == 255 ? src[x] & 0x00FFFFFFu : gdi_blend_pixel(src[x], dst[x]);
    }
}

#ifdef GDI_BLEND_X86
// Four pixels a step as 16-bit lanes; groups wholly clear are skipped, wholly opaque copied.
__attribute__((target("sse2"))) void gdi_blend_row_sse2(const uint32_t *src, uint32_t *dst,
                                                        int count) {
    const __m128i zero = _mm_setzero_si128(), ones = _mm_set1_epi16(255),
                  half = _mm_set1_epi16(128), colour = _mm_set1_epi32(0x00FFFFFF);
    int x = 0;
    for (; x + 4 <= count; x += 4) {
        __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + x));
        __m128i alpha = _mm_srli_epi32(s, 24);
        int clear = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(alpha, zero)));
        if (clear == 15) continue;
        __m128i *to = reinterpret_cast<__m128i *>(dst + x);
        if (_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(alpha, _mm_set1_epi32(255)))) == 15) {
            _mm_storeu_si128(to, _mm_and_si128(s, colour));
            continue;
        }
        __m128i d = _mm_loadu_si128(to);
        __m128i s_lo = _mm_unpacklo_epi8(s, zero), s_hi = _mm_unpackhi_epi8(s, zero);
        __m128i d_lo = _mm_unpacklo_epi8(d, zero), d_hi = _mm_unpackhi_epi8(d, zero);
        __m128i a_lo = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s_lo, 0xFF), 0xFF);
        __m128i a_hi = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s_hi, 0xFF), 0xFF);
        __m128i t_lo = _mm_add_epi16(_mm_mullo_epi16(d_lo, _mm_sub_epi16(ones, a_lo)), half);
        __m128i t_hi = _mm_add_epi16(_mm_mullo_epi16(d_hi, _mm_sub_epi16(ones, a_hi)), half);
        t_lo = _mm_srli_epi16(_mm_add_epi16(t_lo, _mm_srli_epi16(t_lo, 8)), 8);
        t_hi = _mm_srli_epi16(_mm_add_epi16(t_hi, _mm_srli_epi16(t_hi, 8)), 8);
        __m128i out = _mm_packus_epi16(_mm_add_epi16(s_lo, t_lo), _mm_add_epi16(s_hi, t_hi));
        _mm_storeu_si128(to, _mm_and_si128(out, colour));
    }
    gdi_blend_row_plain(src + x, dst + x, count - x);
}

// The same, eight pixels a step.
__attribute__((target("avx2"))) void gdi_blend_row_avx2(const uint32_t *src, uint32_t *dst,
                                                        int count) {
    const __m256i zero = _mm256_setzero_si256(), ones = _mm256_set1_epi16(255),
                  half = _mm256_set1_epi16(128), colour = _mm256_set1_epi32(0x00FFFFFF),
                  opaque = _mm256_set1_epi32(255);
    const __m256i spread = _mm256_setr_epi8(6, 7, 6, 7, 6, 7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15,
                                            6, 7, 6, 7, 6, 7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15);
    int x = 0;
    for (; x + 8 <= count; x += 8) {
        __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(src + x));
        __m256i alpha = _mm256_srli_epi32(s, 24);
        if (_mm256_testz_si256(alpha, alpha)) continue;
        __m256i *to = reinterpret_cast<__m256i *>(dst + x);
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(alpha, opaque)) == -1) {
            _mm256_storeu_si256(to, _mm256_and_si256(s, colour));
            continue;
        }
        __m256i d = _mm256_loadu_si256(to);
        __m256i s_lo = _mm256_unpacklo_epi8(s, zero), s_hi = _mm256_unpackhi_epi8(s, zero);
        __m256i d_lo = _mm256_unpacklo_epi8(d, zero), d_hi = _mm256_unpackhi_epi8(d, zero);
        __m256i a_lo = _mm256_shuffle_epi8(s_lo, spread), a_hi = _mm256_shuffle_epi8(s_hi, spread);
        __m256i t_lo =
            _mm256_add_epi16(_mm256_mullo_epi16(d_lo, _mm256_sub_epi16(ones, a_lo)), half);
        __m256i t_hi =
            _mm256_add_epi16(_mm256_mullo_epi16(d_hi, _mm256_sub_epi16(ones, a_hi)), half);
        t_lo = _mm256_srli_epi16(_mm256_add_epi16(t_lo, _mm256_srli_epi16(t_lo, 8)), 8);
        t_hi = _mm256_srli_epi16(_mm256_add_epi16(t_hi, _mm256_srli_epi16(t_hi, 8)), 8);
        __m256i out =
            _mm256_packus_epi16(_mm256_add_epi16(s_lo, t_lo), _mm256_add_epi16(s_hi, t_hi));
        _mm256_storeu_si256(to, _mm256_and_si256(out, colour));
    }
    gdi_blend_row_sse2(src + x, dst + x, count - x);
}
#endif

void gdi_blend_row(const uint32_t *src, uint32_t *dst, int count) {
#ifdef GDI_BLEND_X86
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) return gdi_blend_row_avx2(src, dst, count);
    return gdi_blend_row_sse2(src, dst, count);
#else
    gdi_blend_row_plain(src, dst, count);
#endif
}

// A source row with every pixel scaled by the constant alpha, and alpha forced opaque when
// the source's own alpha is not to be used.
void gdi_scale_row(const uint32_t *src, uint32_t *out, int count, uint32_t constant,
                   bool source_alpha) {
    for (int x = 0; x < count; ++x) {
        uint32_t p = source_alpha ? src[x] : src[x] | 0xFF000000u;
        out[x] = gdi_scale(p >> 24, constant) << 24 | gdi_scale(p >> 16 & 255, constant) << 16 |
                 gdi_scale(p >> 8 & 255, constant) << 8 | gdi_scale(p & 255, constant);
    }
}

} // namespace

bool gdi_source_rect_inside(const gdi_surface *src, int x, int y, int width, int height) {
    return x >= 0 && y >= 0 && width >= 0 && height >= 0 && int64_t{x} + width <= src->width &&
           int64_t{y} + height <= src->height;
}

bool gdi_clip_unstretched(const gdi_surface *dst, int64_t *x, int64_t *y, int64_t *sx, int64_t *sy,
                          int64_t *width, int64_t *height) {
    if (*x < 0) *sx -= *x, *width += *x, *x = 0;
    if (*y < 0) *sy -= *y, *height += *y, *y = 0;
    if (*width > dst->width - *x) *width = dst->width - *x;
    if (*height > dst->height - *y) *height = dst->height - *y;
    return *width > 0 && *height > 0;
}

// Stretching is not offered: the library lays sprites over buffers at their own size.
BOOL WINAPI AlphaBlend(HDC dest, int x, int y, int width, int height, HDC source, int src_x,
                       int src_y, int src_width, int src_height, BLENDFUNCTION blend) {
    gdi_dc *dst_dc = gdi_dc_get(dest);
    gdi_dc *src_dc = gdi_dc_get(source);
    if (!dst_dc || !src_dc || blend.BlendOp != AC_SRC_OVER || width != src_width ||
        height != src_height || (blend.AlphaFormat & ~AC_SRC_ALPHA) != 0)
        return FALSE;
    const gdi_surface *dst = &dst_dc->surface, *src = &src_dc->surface;
    // As documented, the source rectangle must lie wholly within the source surface.
    if (!gdi_source_rect_inside(src, src_x, src_y, src_width, src_height)) return FALSE;
    int64_t dx = x, dy = y, sx = src_x, sy = src_y, w = width, h = height;
    if (blend.SourceConstantAlpha == 0 || !gdi_clip_unstretched(dst, &dx, &dy, &sx, &sy, &w, &h))
        return TRUE;
    bool plain = blend.SourceConstantAlpha == 255 && blend.AlphaFormat == AC_SRC_ALPHA;
    uint32_t *scaled = plain ? nullptr : new (std::nothrow) uint32_t[w];
    if (!plain && !scaled) return FALSE;
    for (int64_t row = 0; row < h; ++row) {
        const uint32_t *from = gdi_row(src, static_cast<int>(sy + row)) + sx;
        uint32_t *to = gdi_row(dst, static_cast<int>(dy + row)) + dx;
        if (!plain) {
            gdi_scale_row(from, scaled, static_cast<int>(w), blend.SourceConstantAlpha,
                          blend.AlphaFormat == AC_SRC_ALPHA);
            from = scaled;
        }
        gdi_blend_row(from, to, static_cast<int>(w));
    }
    delete[] scaled;
    return TRUE;
}
