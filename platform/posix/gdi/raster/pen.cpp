// Pens as the rasterizer sees them: what SelectObject works out once per pen, where a stroke
// stands in its dash pattern, and the one entry point every outline is drawn through.
#include "platform/posix/gdi/raster/gdi_raster.h"

#include <stdlib.h>

namespace {

// Where each run of the cosmetic patterns ends, counted from the start of the pattern:
// PS_DASH 18 on 6 off, PS_DOT 3/3, PS_DASHDOT 9/6/3/6, PS_DASHDOTDOT 9/3/3/3/3/3.
const gdi_dash_pattern dash_pattern = {2, {18, 24}};
const gdi_dash_pattern dot_pattern = {2, {3, 6}};
const gdi_dash_pattern dash_dot_pattern = {4, {9, 15, 18, 24}};
const gdi_dash_pattern dash_dot_dot_pattern = {6, {9, 12, 15, 18, 21, 24}};

const gdi_dash_pattern *pattern_of_style(int style) {
    switch (style) {
    case PS_DASH:
        return &dash_pattern;
    case PS_DOT:
        return &dot_pattern;
    case PS_DASHDOT:
        return &dash_dot_pattern;
    case PS_DASHDOTDOT:
        return &dash_dot_dot_pattern;
    default:
        return nullptr;
    }
}

} // namespace

int gdi_dash_run(const gdi_dash_pattern *pattern, uint32_t at, bool *dash) {
    int run = 0;
    while (at >= (uint32_t)pattern->run_end[run]) run++;
    *dash = run % 2 == 0;
    return pattern->run_end[run] - (int)at;
}

void gdi_null_lines(gdi_dc *, const POINT *, int, bool, gdi_region *) {}

void gdi_pen_realize(gdi_dc *dc) {
    const gdi_pen *pen = dc->pen;
    gdi_pen_state *state = &dc->pen_state;
    // Width 0 means the thinnest line; a negative width counts by its size.
    int64_t width = llabs((int64_t)pen->width);
    width = width < 1 ? 1 : width > INT32_MAX ? INT32_MAX : width;
    state->width = pen->style == PS_NULL ? 0 : (int)width;
    state->wide = state->width > 1;
    state->inside_frame = pen->style == PS_INSIDEFRAME;
    state->pixel = gdi_pixel_from_colour(pen->colour);
    state->dash_at = 0;
    // Patterns belong to one-pixel pens only: a wide pen of a dashed style draws solid.
    state->dashes = state->width == 1 ? pattern_of_style(pen->style) : nullptr;
    if (state->width == 0)
        state->lines = gdi_null_lines;
    else if (state->wide)
        state->lines = gdi_wide_lines;
    else if (state->dashes)
        state->lines = gdi_dashed_lines;
    else
        state->lines = gdi_solid_lines;
}

void gdi_stroke(gdi_dc *dc, const POINT *points, int count, bool close) {
    gdi_pen_state *pen = &dc->pen_state;
    pen->dash_at = 0; // every drawing call starts its pattern afresh
    if (!pen->wide) {
        pen->lines(dc, points, count, close, nullptr);
        return;
    }
    // A wide outline is one colour wherever its pieces overlap, so each span is painted as
    // soon as it is found instead of being kept.
    gdi_region outline;
    gdi_region_init_painting(&outline, &dc->surface, pen->pixel);
    pen->lines(dc, points, count, close, &outline);
}
