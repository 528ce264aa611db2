// The rows of a mapped draw: each reached pixel samples the bitmap's premultiplied copy and is
// blended as AlphaBlend blends, so a draw that lands pixel for pixel gives what a paste gives.
#include "image/sprites/mapped_drawing.h"

#include "draw/draw_call.h"
#include "image/sprites/sprite_source.h"

#include <algorithm>

namespace {

// Rows of the buffer changed at one time: as many as the staging section holds.
const int64_t k_band_pixels = 16384;

// The source part in fixed point, and the walk along one row.
struct row_walk {
    int64_t u, v, du, dv;
    int64_t left, top, width, height; // the source part: [left, left + width) and so on
    int64_t last_column, last_row;    // its last pixels, in whole pixels
};

// Whether the walk stands inside the source part.
inline bool inside(const row_walk &w) {
    return static_cast<uint64_t>(w.u - w.left) < static_cast<uint64_t>(w.width) &&
           static_cast<uint64_t>(w.v - w.top) < static_cast<uint64_t>(w.height);
}

// The premultiplied pixel under the walk.
inline uint32_t nearest(const uint32_t *source, int64_t stride, const row_walk &w) {
    return source[(w.v >> 32) * stride + (w.u >> 32)];
}

// The four pixels around the walk, weighted by how near their centres are; at the source
// part's edges the outermost pixels stand in for those beyond, so nothing outside it is read.
inline uint32_t bilinear(const uint32_t *source, int64_t stride, const row_walk &w) {
    const int64_t half = int64_t{1} << 31;
    int64_t u = std::clamp(w.u - half, w.left, w.left + w.width - (int64_t{1} << 32));
    int64_t v = std::clamp(w.v - half, w.top, w.top + w.height - (int64_t{1} << 32));
    int64_t x0 = u >> 32, y0 = v >> 32;
    int64_t x1 = x0 < w.last_column ? x0 + 1 : x0, y1 = y0 < w.last_row ? y0 + 1 : y0;
    uint32_t fx = static_cast<uint32_t>(u >> 24) & 255, fy = static_cast<uint32_t>(v >> 24) & 255;
    // Weights in 256ths that always add up to 256, so a whole-pixel position reads one pixel.
    uint32_t w11 = fx * fy >> 8, w10 = fx - w11, w01 = fy - w11, w00 = 256 - fx - fy + w11;
    const uint32_t *r0 = source + y0 * stride, *r1 = source + y1 * stride;
    uint32_t p[4] = {r0[x0], r0[x1], r1[x0], r1[x1]}, weight[4] = {w00, w10, w01, w11};
    // Two channels a multiply, 16 bits each: 255 x 256 and the rounding fit.
    uint32_t rb = 0x00800080u, ag = 0x00800080u;
    for (int i = 0; i < 4; ++i) {
        rb += (p[i] & 0x00FF00FFu) * weight[i];
        ag += (p[i] >> 8 & 0x00FF00FFu) * weight[i];
    }
    return (ag & 0xFF00FF00u) | (rb >> 8 & 0x00FF00FFu);
}

// Lays a premultiplied pixel over `under` as AlphaBlend does: each channel becomes
// source + under x (255 - alpha) / 255, rounded to nearest. A premultiplied colour never
// exceeds its alpha, so no channel passes 255.
inline void lay(uint32_t pixel, uint32_t *under) {
    uint32_t a = pixel >> 24;
    if (a == 0) return;
    if (a == 255) {
        *under = pixel & 0x00FFFFFFu;
        return;
    }
    uint32_t keep = 255 - a, d = *under;
    uint32_t rb = (d & 0x00FF00FFu) * keep + 0x00800080u;
    rb = (rb + (rb >> 8 & 0x00FF00FFu)) >> 8 & 0x00FF00FFu;
    uint32_t g = (d >> 8 & 255) * keep + 128;
    g = (g + (g >> 8)) >> 8;
    *under = ((pixel & 0x00FF00FFu) + rb) | ((pixel & 0xFF00u) + (g << 8));
}

template <bool smooth>
void draw_row(const sprite_mapping &m, const uint32_t *source, int64_t stride, int64_t py,
              const patch_band &band) {
    int64_t first, last;
    sprite_row_span(m, py, &first, &last);
    first = std::max(first, band.left);
    last = std::min(last, band.left + band.width);
    if (first >= last) return;
    double dx = static_cast<double>(first) + 0.5 - m.centre_x;
    double dy = static_cast<double>(py) + 0.5 - m.centre_y;
    row_walk w;
    w.u = sprite_fixed(m.u_centre + dx * m.du_dx + dy * m.du_dy);
    w.v = sprite_fixed(m.v_centre + dx * m.dv_dx + dy * m.dv_dy);
    w.du = sprite_fixed(m.du_dx);
    w.dv = sprite_fixed(m.dv_dx);
    w.left = int64_t{m.left} << 32;
    w.top = int64_t{m.top} << 32;
    w.width = int64_t{m.right - m.left} << 32;
    w.height = int64_t{m.bottom - m.top} << 32;
    w.last_column = m.right - 1;
    w.last_row = m.bottom - 1;
    uint32_t *out = band.row(py) + (first - band.left);
    for (int64_t n = last - first; n > 0; --n, ++out, w.u += w.du, w.v += w.dv) {
        if (!inside(w)) continue;
        lay(smooth ? bilinear(source, stride, w) : nearest(source, stride, w), out);
    }
}

} // namespace

void draw_mapped_band(const sprite_mapping &m, const uint32_t *source, int64_t source_width,
                      bool smooth, const patch_band &band) {
    int64_t top = std::max(band.top, m.box_top);
    int64_t bottom = std::min(band.top + band.rows, m.box_bottom);
    for (int64_t py = top; py < bottom; ++py) {
        if (smooth)
            draw_row<true>(m, source, source_width, py, band);
        else
            draw_row<false>(m, source, source_width, py, band);
    }
}

int draw_mapped(window_record *window, bitmap_record *record, const sprite_mapping &m,
                bool smooth) {
    // The bitmap's copy is held first, then the window lock: the order of every paste.
    blend_source_hold source(record);
    selected_buffer draw(window, buffer_role::draw, true);
    patch_area area{std::max<int64_t>(m.box_left, 0), std::max<int64_t>(m.box_top, 0),
                    std::min<int64_t>(m.box_right, window->width),
                    std::min<int64_t>(m.box_bottom, window->height)};
    // A draw that misses the buffer, as every draw onto a window with no pixels does, draws
    // nothing and succeeds, as a paste does, and makes no copy.
    if (area.left >= area.right || area.top >= area.bottom) return ZV_OK;
    const uint32_t *pixels = source.pixels();
    if (!pixels) return ZV_ERR_NO_MEMORY;
    if (!draw.dc) return ZV_ERROR;
    return walk_buffer_patch(
        window, draw.dc, area, k_band_pixels, true,
        [&](const patch_band &band) { draw_mapped_band(m, pixels, record->width, smooth, band); });
}
