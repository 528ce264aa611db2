// Pen selection: which line routine a pen draws with, its device width and its dashes,
// worked out once when the pen is selected. Also the dash position bookkeeping.
#include "platform/posix/gdi/gdi_raster.h"

#include <stdlib.h>

namespace {

// Win32's cosmetic dash patterns, in pixels along the major axis: on, off, on, off...
// A pattern starts with a dash at the first pixel of each LineTo and of each closed shape.
const gdi_dash_pattern dash_patterns[4] = {
    {2, {18, 6}, 24},            // PS_DASH
    {2, {3, 3}, 6},              // PS_DOT
    {4, {9, 6, 3, 6}, 24},       // PS_DASHDOT
    {6, {9, 3, 3, 3, 3, 3}, 24}, // PS_DASHDOTDOT
};

// The device width of a pen: width 0 means one pixel, and the sign is ignored (a width is
// a length).
int gdi_pen_device_width(int width) {
    if (width == 0) return 1;
    return width < 0 ? (width == INT32_MIN ? INT32_MAX : -width) : width;
}

} // namespace

void gdi_pen_realize(gdi_dc *dc) {
    const gdi_pen *pen = dc->pen;
    gdi_pen_state *state = &dc->pen_state;
    state->width = gdi_pen_device_width(pen->width);
    state->pixel = gdi_pixel_from_colour(pen->colour);
    state->dashes = nullptr;
    state->inside_frame = pen->style == 6; // PS_INSIDEFRAME
    switch (pen->style) {
    case PS_NULL:
        state->width = 0;
        state->lines = gdi_null_lines;
        break;
    case PS_DASH:
    case PS_DOT:
    case PS_DASHDOT:
    case PS_DASHDOTDOT:
        // Dashes are for one-pixel pens only: a wider dashed pen draws solid.
        if (state->width == 1) {
            state->dashes = &dash_patterns[pen->style - PS_DASH];
            state->lines = gdi_dashed_lines;
            break;
        }
        state->lines = gdi_wide_lines;
        break;
    default:
        state->lines = state->width == 1 ? gdi_solid_lines : gdi_wide_lines;
        break;
    }
    state->uses_region = state->width > 1;
    if (state->dashes) gdi_dash_reset(state);
}

void gdi_dash_reset(gdi_pen_state *pen) {
    if (!pen->dashes) return;
    pen->dash.index = 0;
    pen->dash.left_in_dash = pen->dashes->lengths[0];
    pen->dash.on = true;
}

void gdi_dash_skip(gdi_pen_state *pen, uint64_t pixels) {
    const gdi_dash_pattern *pattern = pen->dashes;
    gdi_dash_position *dash = &pen->dash;
    pixels %= (uint64_t)pattern->total;
    while ((uint64_t)dash->left_in_dash <= pixels) {
        pixels -= (uint64_t)dash->left_in_dash;
        dash->index = (dash->index + 1) % pattern->count;
        dash->left_in_dash = pattern->lengths[dash->index];
        dash->on = !dash->on;
    }
    dash->left_in_dash -= (int)pixels;
}

void gdi_null_lines(gdi_dc *, const POINT *, int, bool, gdi_region *) {}

void gdi_stroke(gdi_dc *dc, const POINT *points, int count, bool close) {
    if (count < 2) return;
    gdi_dash_reset(&dc->pen_state);
    if (!dc->pen_state.uses_region) {
        dc->pen_state.lines(dc, points, count, close, nullptr);
        return;
    }
    // The outline is one colour painted at once, so its spans go straight to the surface.
    gdi_region outline;
    gdi_region_init_painting(&outline, &dc->surface, dc->pen_state.pixel);
    dc->pen_state.lines(dc, points, count, close, &outline);
}
