// Brush painting: solid brushes, the six Win32 hatch patterns and the null brush.
#include "platform/posix/gdi/gdi_internal.h"

#include <algorithm>

namespace {

// The 8x8 hatch patterns, one byte per row, bit 0x80 at x mod 8 == 0. They are aligned to
// the surface origin: pixel (x, y) uses bit x mod 8 of row y mod 8. Set bits take the
// brush colour, clear bits the DC's background colour (or nothing when TRANSPARENT).
const uint8_t hatch_rows[6][8] = {
    {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00}, // HS_HORIZONTAL: row 3
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08}, // HS_VERTICAL: column 4
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01}, // HS_FDIAGONAL: x == y
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80}, // HS_BDIAGONAL: x == 7 - y
    {0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08, 0x08}, // HS_CROSS
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81}, // HS_DIAGCROSS
};

// A hatch row over a transparent background: only the set bits are painted.
void gdi_pattern_span_transparent(const gdi_surface *s, int y, int left, int right, uint8_t bits,
                                  uint32_t fg) {
    uint32_t *row = gdi_row(s, y);
    for (int x = left; x < right; x++)
        if (bits & (0x80u >> (x & 7))) row[x] = fg;
}

// Paints an already clipped span.
void gdi_brush_clipped_span(const gdi_dc *dc, const gdi_brush *brush, int y, int left, int right) {
    const gdi_surface *s = &dc->surface;
    uint32_t fg = gdi_pixel_from_colour(brush->colour);
    switch (brush->style) {
    case GDI_BRUSH_SOLID:
        gdi_fill_span(s, y, left, right, fg);
        break;
    case GDI_BRUSH_HATCHED: {
        uint8_t bits = hatch_rows[brush->hatch][y & 7];
        if (dc->bk_mode == TRANSPARENT)
            gdi_pattern_span_transparent(s, y, left, right, bits, fg);
        else
            gdi_pattern_span(s, y, left, right, bits, fg, gdi_pixel_from_colour(dc->bk_colour));
        break;
    }
    case GDI_BRUSH_NULL:
        break;
    }
}

} // namespace

void gdi_brush_span(const gdi_dc *dc, const gdi_brush *brush, int y, int left, int right) {
    const gdi_surface *s = &dc->surface;
    if (y < 0 || y >= s->height) return;
    left = std::max(left, 0);
    right = std::min(right, s->width);
    if (left < right) gdi_brush_clipped_span(dc, brush, y, left, right);
}

void gdi_brush_rect(const gdi_dc *dc, const gdi_brush *brush, RECT r) {
    if (brush->style == GDI_BRUSH_NULL || !gdi_clip_rect(&dc->surface, &r)) return;
    if (brush->style == GDI_BRUSH_SOLID) {
        gdi_fill_rect(&dc->surface, &r, gdi_pixel_from_colour(brush->colour));
        return;
    }
    for (int y = r.top; y < r.bottom; y++) gdi_brush_clipped_span(dc, brush, y, r.left, r.right);
}
