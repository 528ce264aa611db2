// The built-in bitmap font: printable ASCII in 5x7 cells, drawn when fontconfig finds no
// face at all, so that text never silently disappears. Scaled by whole pixels and turned
// by nearest-pixel sampling.
#include "platform/posix/gdi/font_engine.h"

#include <math.h>
#include <stdlib.h>

namespace {

constexpr int cell_columns = 5;
constexpr int cell_rows = 7;
constexpr int advance_columns = 6;
constexpr int ascent_rows = 7;
constexpr int descent_rows = 2;
constexpr int design_em_rows = ascent_rows + descent_rows;

// One glyph: seven rows, bit 0x10 the leftmost column; `drop` moves it down by that many
// rows, for letters with descenders.
struct bitmap_glyph {
    uint8_t rows[cell_rows];
    uint8_t drop;
};

// Characters 0x20 to 0x7E.
const bitmap_glyph ascii_glyphs[95] = {
    // TODO: the glyph designs
};

// Characters the font has no shape for (controls, DEL, everything beyond ASCII) show as a box.
const bitmap_glyph missing_glyph = {{0x1F, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1F}, 0};

const bitmap_glyph &design_of(uint32_t code_point) {
    if (code_point == 0xA0) return ascii_glyphs[0]; // no-break space
    if (code_point < 0x20 || code_point > 0x7E) return missing_glyph;
    return ascii_glyphs[code_point - 0x20];
}

// Whether the upright, scaled glyph covers pixel (column, row), rows counted from the top of
// the ascent.
bool design_covers(const bitmap_glyph &design, int scale, int64_t column, int64_t row) {
    if (column < 0 || row < 0) return false;
    int64_t c = column / scale, r = row / scale - design.drop;
    if (c >= cell_columns || r < 0 || r >= cell_rows) return false;
    return (design.rows[r] & (0x10 >> c)) != 0;
}

} // namespace

void bitmap_font_metrics(int scale, int *ascent, int *descent, int *advance) {
    *ascent = ascent_rows * scale;
    *descent = descent_rows * scale;
    *advance = advance_columns * scale;
}

int bitmap_font_scale_for(int em_pixels) {
    int scale = (em_pixels + design_em_rows / 2) / design_em_rows;
    return scale < 1 ? 1 : scale;
}

bool bitmap_font_render(uint32_t code_point, int scale, double orientation, font_glyph *glyph) {
    const bitmap_glyph &design = design_of(code_point);
    double c = cos(orientation), s = sin(orientation);
    double w = cell_columns * scale, top = ascent_rows * scale;
    double h = (ascent_rows + descent_rows) * scale;
    // The turned box of the upright cell [0, w) x [-top, h - top) around the pen.
    double xs[4], ys[4];
    for (int i = 0; i < 4; i++) {
        double u = (i & 1) ? w : 0, v = (i & 2) ? h - top : -top;
        xs[i] = u * c + v * s;
        ys[i] = -u * s + v * c;
    }
    auto lowest = [](const double *a) { return fmin(fmin(a[0], a[1]), fmin(a[2], a[3])); };
    auto highest = [](const double *a) { return fmax(fmax(a[0], a[1]), fmax(a[2], a[3])); };
    int x0 = (int)floor(lowest(xs) + 1e-6), x1 = (int)ceil(highest(xs) - 1e-6);
    int y0 = (int)floor(lowest(ys) + 1e-6), y1 = (int)ceil(highest(ys) - 1e-6);
    glyph->left = x0;
    glyph->top = -y0;
    glyph->width = x1 - x0;
    glyph->height = y1 - y0;
    glyph->coverage = static_cast<uint8_t *>(calloc((size_t)glyph->width * glyph->height + 1, 1));
    if (!glyph->coverage) return false;
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++) {
            // Sample the upright design under the centre of each turned pixel.
            double px = x + 0.5, py = y + 0.5;
            double u = px * c - py * s, v = px * s + py * c;
            bool on = design_covers(design, scale, (int64_t)floor(u), (int64_t)floor(v + top));
            glyph->coverage[(size_t)(y - y0) * glyph->width + (x - x0)] = on ? 255 : 0;
        }
    return true;
}
