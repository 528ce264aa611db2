// The coverage of an outline, strip by strip, blended into buffer patches.
#include "draw/smooth/smooth_paint.h"

#include "draw/buffer_patch.h"
#include "draw/drawing_state.h"
#include "platform/red_blue.h"

#include <algorithm>

namespace {

// A strip of rows is scanned as one patch: the patch spans only the columns these rows touch,
// so a thin sloped line copies little more than itself.
const int64_t k_band_pixels = 16384;

// `pixel` moved towards `colour` (both 0x00RRGGBB) by weight/256.
inline uint32_t blend(uint32_t pixel, uint32_t colour, uint32_t weight) {
    uint32_t keep = 256 - weight;
    uint32_t red_blue = ((pixel & 0xFF00FF) * keep + (colour & 0xFF00FF) * weight + 0x800080) >> 8;
    uint32_t green = ((pixel & 0xFF00) * keep + (colour & 0xFF00) * weight + 0x8000) >> 8;
    return (red_blue & 0xFF00FF) | (green & 0xFF00);
}

} // namespace

scan_clip buffer_clip(window_record *window) {
    return scan_clip{0, 0, window->width.load(), window->height.load()};
}

int paint_outline(window_record *window, HDC dc, outline_builder *out, COLORREF colour,
                  int opacity) {
    if (out->failed()) return ZV_ERR_NO_MEMORY;
    if (out->edges.edges.count == 0 || opacity <= 0) return ZV_OK;
    if (!dc) return ZV_ERROR;
    coverage_scanner &scan = window->drawing->scanner;
    if (!scan.start(&out->edges)) return ZV_ERR_NO_MEMORY;
    uint32_t source = swap_red_blue(colour);
    // 0 to 255 onto 0 to 256, so that 255 paints the colour itself.
    uint32_t strength = static_cast<uint32_t>(opacity + (opacity >> 7));
    int64_t end = scan.end_row();
    for (int64_t top = scan.first_row(); top < end; top += coverage_scanner::k_strip_rows) {
        int64_t bottom = std::min(top + coverage_scanner::k_strip_rows, end), left, right;
        if (!scan.begin_strip(top, bottom, &left, &right)) continue;
        int result = walk_buffer_patch(
            window, dc, patch_area{left, top, right, bottom}, k_band_pixels, true,
            [&](const patch_band &band) {
                for (int64_t y = band.top; y < band.top + band.rows; ++y) {
                    uint32_t *row = band.row(y) - band.left;
                    scan.scan_row(
                        y,
                        [&](int64_t x, int32_t coverage) {
                            uint32_t weight = (static_cast<uint32_t>(coverage) * strength) >> 12;
                            row[x] = weight >= 256 ? source : blend(row[x], source, weight);
                        },
                        [&](int64_t from, int64_t to, int32_t coverage) {
                            uint32_t weight = (static_cast<uint32_t>(coverage) * strength) >> 12;
                            if (weight >= 256) return std::fill(row + from, row + to, source);
                            for (int64_t x = from; x < to; ++x)
                                row[x] = blend(row[x], source, weight);
                        });
                }
            });
        if (result != ZV_OK) return result;
    }
    return ZV_OK;
}

int fill_centres(window_record *window, HDC dc, edge_list *edges) {
    if (edges->edges.failed) return ZV_ERR_NO_MEMORY;
    if (edges->edges.count == 0) return ZV_OK;
    coverage_scanner &scan = window->drawing->scanner;
    if (!scan.start(edges)) return ZV_ERR_NO_MEMORY;
    bool drawn = true;
    HBRUSH brush = window->drawing->fill_brush;
    for (int64_t y = scan.first_row(), end = scan.end_row(); y < end; ++y) {
        int64_t left, right;
        if (!scan.begin_strip(y, y + 1, &left, &right)) continue;
        scan.centre_spans(y, [&](int64_t from, int64_t to) {
            RECT span{static_cast<LONG>(from), static_cast<LONG>(y), static_cast<LONG>(to),
                      static_cast<LONG>(y + 1)};
            drawn = FillRect(dc, &span, brush) && drawn;
        });
    }
    return drawn ? ZV_OK : ZV_ERROR;
}
