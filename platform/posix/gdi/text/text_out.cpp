// TextOutW: the UTF-16 string laid out along the escapement from the alignment point, an
// opaque background box when the DC asks for one, and each glyph's coverage blended in the
// text colour; GetTextExtentPoint32W, the size of that box.
#include "platform/posix/gdi/raster/gdi_raster.h"
#include "platform/posix/gdi/text/font_engine.h"
#include "platform/saturate.h"

#include <math.h>

namespace {

// A position or offset in 1/64 pixel, y downwards.
struct fixed_point {
    int64_t x, y;
};

// The code point at text[*at], moving *at past it. A surrogate without its partner stands for
// itself, which no face has: it shows as a missing glyph.
uint32_t next_code_point(LPCWSTR text, int length, int *at) {
    uint32_t unit = text[(*at)++];
    if (unit < 0xD800 || unit >= 0xDC00 || *at >= length) return unit;
    uint32_t low = text[*at];
    if (low < 0xDC00 || low >= 0xE000) return unit;
    (*at)++;
    return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
}

// The sum of the advances of the string; false when a glyph could not be made.
bool string_advance(font_engine *engine, LPCWSTR text, int length, fixed_point *total) {
    *total = fixed_point{0, 0};
    for (int i = 0; i < length;) {
        const font_glyph *glyph = font_glyph_get(engine, next_code_point(text, length, &i));
        if (!glyph) return false;
        total->x += glyph->advance_x;
        total->y += glyph->advance_y;
    }
    return true;
}

// Where the baseline of the string starts, given the point the alignment flags name.
fixed_point baseline_start(const font_engine *engine, UINT align, POINT point, fixed_point total) {
    fixed_point start = {static_cast<int64_t>(point.x) * 64, static_cast<int64_t>(point.y) * 64};
    if ((align & TA_CENTER) == TA_CENTER) {
        start.x -= total.x / 2;
        start.y -= total.y / 2;
    } else if (align & TA_RIGHT) {
        start.x -= total.x;
        start.y -= total.y;
    }
    // Top and bottom move the baseline across the text, perpendicular to the escapement.
    int across = 0;
    if ((align & TA_BASELINE) == TA_BASELINE)
        across = 0;
    else if (align & TA_BOTTOM)
        across = -engine->descent;
    else
        across = engine->ascent;
    start.x += llround(across * 64.0 * sin(engine->escapement_radians));
    start.y += llround(across * 64.0 * cos(engine->escapement_radians));
    return start;
}

int64_t to_pixels(int64_t fixed) {
    return (fixed + 32) >> 6;
}

// Fills the text's cell box (the advance by ascent plus descent) with the background colour.
void paint_background(gdi_dc *dc, const font_engine *engine, fixed_point start, fixed_point total) {
    double across_x = 64.0 * sin(engine->escapement_radians);
    double across_y = 64.0 * cos(engine->escapement_radians);
    fixed_point above = {llround(-engine->ascent * across_x), llround(-engine->ascent * across_y)};
    fixed_point below = {llround(engine->descent * across_x), llround(engine->descent * across_y)};
    gdi_point corners[4] = {
        {to_pixels(start.x + above.x), to_pixels(start.y + above.y)},
        {to_pixels(start.x + total.x + above.x), to_pixels(start.y + total.y + above.y)},
        {to_pixels(start.x + total.x + below.x), to_pixels(start.y + total.y + below.y)},
        {to_pixels(start.x + below.x), to_pixels(start.y + below.y)},
    };
    gdi_region region;
    gdi_region_init(&region, &dc->surface);
    gdi_polygon_region(&region, corners, 4, GDI_ALTERNATE);
    gdi_region_paint(dc, &region, gdi_pixel_from_colour(dc->bk_colour));
}

// Whether any of the glyph's box lies on the surface: glyphs over the cache budget are only
// rendered when they show.
bool glyph_meets_surface(const gdi_surface *surface, int64_t x, int64_t y,
                         const font_glyph *glyph) {
    return glyph->width > 0 && glyph->height > 0 && x < surface->width && x + glyph->width > 0 &&
           y < surface->height && y + glyph->height > 0;
}

// Blends every glyph from `start` on; false when a glyph could not be made.
bool draw_glyphs(gdi_dc *dc, font_engine *engine, LPCWSTR text, int length, fixed_point start) {
    uint32_t pixel = gdi_pixel_from_colour(dc->text_colour);
    std::vector<uint8_t> scratch;
    fixed_point pen = start;
    for (int i = 0; i < length;) {
        uint32_t code_point = next_code_point(text, length, &i);
        const font_glyph *glyph = font_glyph_get(engine, code_point);
        if (!glyph) return false;
        int64_t x = to_pixels(pen.x) + glyph->left, y = to_pixels(pen.y) - glyph->top;
        const uint8_t *coverage = glyph->coverage;
        if (!coverage && glyph_meets_surface(&dc->surface, x, y, glyph))
            coverage = font_glyph_render_uncached(engine, code_point, glyph, &scratch);
        if (coverage)
            font_blend_coverage(&dc->surface, x, y, coverage, glyph->width, glyph->height, pixel);
        pen.x += glyph->advance_x;
        pen.y += glyph->advance_y;
    }
    return true;
}

// With TA_UPDATECP the current position moves past the text in the direction it was drawn.
void update_position(gdi_dc *dc, UINT align, fixed_point total) {
    if ((align & TA_CENTER) == TA_CENTER) return;
    int64_t sign = (align & TA_RIGHT) ? -1 : 1;
    dc->position.x = saturate_int(dc->position.x + to_pixels(sign * total.x));
    dc->position.y = saturate_int(dc->position.y + to_pixels(sign * total.y));
}

} // namespace

// `length` counts UTF-16 code units; a surrogate pair is one character.
BOOL WINAPI TextOutW(HDC hdc, int x, int y, LPCWSTR text, int length) {
    gdi_dc *dc = gdi_dc_get(hdc);
    if (!dc || length < 0 || (!text && length > 0)) return FALSE;
    if (length == 0) return TRUE;
    font_engine *engine = font_engine_of(dc->font);
    if (!engine) return FALSE;
    fixed_point total;
    if (!string_advance(engine, text, length, &total)) return FALSE;
    UINT align = dc->text_align;
    POINT point = (align & TA_UPDATECP) ? dc->position : POINT{x, y};
    fixed_point start = baseline_start(engine, align, point, total);
    if (dc->bk_mode == OPAQUE) paint_background(dc, engine, start, total);
    if (!draw_glyphs(dc, engine, text, length, start)) return FALSE;
    if (align & TA_UPDATECP) update_position(dc, align, total);
    return TRUE;
}

// The opaque box's size: the advance along the escapement by the cell height. Hinted advances
// are whole pixels, so the box TextOutW fills is this wide wherever the alignment puts it.
BOOL WINAPI GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int length, LPSIZE size) {
    gdi_dc *dc = gdi_dc_get(hdc);
    if (!dc || !size || length < 0 || (!text && length > 0)) return FALSE;
    font_engine *engine = font_engine_of(dc->font);
    if (!engine) return FALSE;
    fixed_point total;
    if (!string_advance(engine, text, length, &total)) return FALSE;
    double along = hypot(static_cast<double>(total.x), static_cast<double>(total.y));
    size->cx = static_cast<LONG>(to_pixels(llround(along)));
    size->cy = engine->ascent + engine->descent;
    return TRUE;
}
