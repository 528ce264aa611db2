// The built-in bitmap font as glyphs: its metrics at a whole-number scale, the scale nearest a
// requested height, and each character's coverage, every design pixel a square of `scale`
// pixels, turned by the font's orientation when it has one.
#include "platform/posix/gdi/text/bitmap_font_design.h"
#include "platform/posix/gdi/text/font_engine.h"

#include <math.h>
#include <stdlib.h>

namespace {

// A turned glyph's pixel is covered by the share of these many points, per side, that fall
// on ink: exact at quarter turns, smooth edges at other angles.
constexpr int samples_per_side = 4;

// The ink of a picture, in design pixels; right and bottom are excluded.
struct ink_box {
    int left, top, right, bottom;
    bool empty() const { return right <= left; }
};

ink_box ink_of(const bitmap_font_picture &picture) {
    ink_box box = {bitmap_font_columns, bitmap_font_rows, 0, 0};
    for (int row = 0; row < bitmap_font_rows; row++)
        for (int column = 0; column < bitmap_font_columns; column++) {
            if (!((picture.rows[row] >> column) & 1)) continue;
            if (column < box.left) box.left = column;
            if (column + 1 > box.right) box.right = column + 1;
            if (row < box.top) box.top = row;
            if (row + 1 > box.bottom) box.bottom = row + 1;
        }
    return box;
}

bool inked(const bitmap_font_picture &picture, int column, int row) {
    if (column < 0 || column >= bitmap_font_columns || row < 0 || row >= bitmap_font_rows)
        return false;
    return (picture.rows[row] >> column) & 1;
}

// Upright: the ink box at `scale`, each design pixel a block of full coverage.
bool render_upright(const bitmap_font_picture &picture, ink_box ink, int scale, font_glyph *glyph) {
    glyph->left = ink.left * scale;
    glyph->top = (bitmap_font_ascent - ink.top) * scale;
    glyph->width = (ink.right - ink.left) * scale;
    glyph->height = (ink.bottom - ink.top) * scale;
    glyph->coverage = static_cast<uint8_t *>(
        malloc(static_cast<size_t>(glyph->width) * static_cast<size_t>(glyph->height)));
    if (!glyph->coverage) return false;
    uint8_t *out = glyph->coverage;
    for (int y = 0; y < glyph->height; y++)
        for (int x = 0; x < glyph->width; x++)
            *out++ = inked(picture, ink.left + x / scale, ink.top + y / scale) ? 255 : 0;
    return true;
}

// Turned by `orientation` counter-clockwise about the pen: each pixel of the turned box takes
// the share of its sample points whose unturned place is on ink.
bool render_turned(const bitmap_font_picture &picture, ink_box ink, int scale, double orientation,
                   font_glyph *glyph) {
    double c = cos(orientation), s = sin(orientation);
    // The ink box in pixels from the pen (y downwards), and its turned corners' extent.
    double xs[2] = {static_cast<double>(ink.left) * scale, static_cast<double>(ink.right) * scale};
    double ys[2] = {static_cast<double>(ink.top - bitmap_font_ascent) * scale,
                    static_cast<double>(ink.bottom - bitmap_font_ascent) * scale};
    double low_x = INFINITY, high_x = -INFINITY, low_y = INFINITY, high_y = -INFINITY;
    for (double x : xs)
        for (double y : ys) {
            double turned_x = x * c + y * s, turned_y = y * c - x * s;
            low_x = fmin(low_x, turned_x);
            high_x = fmax(high_x, turned_x);
            low_y = fmin(low_y, turned_y);
            high_y = fmax(high_y, turned_y);
        }
    // A hair of slack, so that a quarter turn's rounding error adds no empty row or column.
    const double slack = 1e-6;
    int left = static_cast<int>(floor(low_x + slack)), top = static_cast<int>(floor(low_y + slack));
    glyph->left = left;
    glyph->top = -top;
    glyph->width = static_cast<int>(ceil(high_x - slack)) - left;
    glyph->height = static_cast<int>(ceil(high_y - slack)) - top;
    glyph->coverage = static_cast<uint8_t *>(
        malloc(static_cast<size_t>(glyph->width) * static_cast<size_t>(glyph->height)));
    if (!glyph->coverage) return false;
    const int samples = samples_per_side * samples_per_side;
    uint8_t *out = glyph->coverage;
    for (int y = 0; y < glyph->height; y++)
        for (int x = 0; x < glyph->width; x++) {
            int hits = 0;
            for (int i = 0; i < samples; i++) {
                double at_x = left + x + (i % samples_per_side + 0.5) / samples_per_side;
                double at_y = top + y + (i / samples_per_side + 0.5) / samples_per_side;
                // Turned back: the sample's place in the upright glyph.
                double upright_x = at_x * c - at_y * s, upright_y = at_x * s + at_y * c;
                hits += inked(picture, static_cast<int>(floor(upright_x / scale)),
                              static_cast<int>(floor(upright_y / scale)) + bitmap_font_ascent);
            }
            *out++ = static_cast<uint8_t>((hits * 255 + samples / 2) / samples);
        }
    return true;
}

} // namespace

void bitmap_font_metrics(int scale, int *ascent, int *descent, int *advance) {
    *ascent = bitmap_font_ascent * scale;
    *descent = bitmap_font_descent * scale;
    *advance = bitmap_font_columns * scale;
}

int bitmap_font_scale_for(int pixels, bool cell_height) {
    int design = cell_height ? bitmap_font_rows : bitmap_font_em;
    int scale = (pixels + design / 2) / design;
    return scale < 1 ? 1 : scale; // the font is never drawn smaller than its design
}

bool bitmap_font_render(uint32_t code_point, int scale, double orientation, font_glyph *glyph) {
    bitmap_font_picture picture = bitmap_font_picture_of(code_point);
    ink_box ink = ink_of(picture);
    glyph->coverage = nullptr;
    if (ink.empty()) { // a space: nothing to draw
        glyph->left = glyph->top = glyph->width = glyph->height = 0;
        return true;
    }
    if (orientation == 0.0) return render_upright(picture, ink, scale, glyph);
    return render_turned(picture, ink, scale, orientation, glyph);
}
