// Pens as the rasterizer draws with them. Designed from the documented pen styles and the
// pixel rules of the reference GDI (its dash lengths, and that only one-pixel pens dash).
#include "platform/posix/gdi/raster/gdi_raster.h"

#include <initializer_list>

namespace {

// A dash pattern from its alternating ink and gap lengths, repeated over the 24-pixel period
// (all four patterns divide it): bit i set when pixel i of the period is ink.
constexpr uint32_t dash_bits(std::initializer_list<int> runs) {
    uint32_t bits = 0;
    int at = 0;
    while (at < (int)gdi_dash_period) {
        bool ink = true;
        for (int run : runs) {
            for (int i = 0; i < run; i++, at++)
                if (ink) bits |= 1u << at;
            ink = !ink;
        }
    }
    return bits;
}

uint32_t dashes_of_style(int style) {
    switch (style) {
    case PS_DASH:
        return dash_bits({18, 6});
    case PS_DOT:
        return dash_bits({3, 3});
    case PS_DASHDOT:
        return dash_bits({9, 6, 3, 6});
    case PS_DASHDOTDOT:
        return dash_bits({9, 3, 3, 3, 3, 3});
    default:
        return 0;
    }
}

} // namespace

void gdi_pen_select(gdi_dc *dc) {
    const gdi_pen *pen = dc->pen;
    gdi_pen_state &state = dc->pen_state;
    state.pixel = gdi_pixel_from_colour(pen->colour);
    state.inside_frame = pen->style == PS_INSIDEFRAME;
    state.dashes = 0;
    if (pen->style == PS_NULL) {
        state.kind = GDI_PEN_NONE;
        state.width = 0;
        return;
    }
    // A negative width counts as its size and 0 as one pixel, as CreatePen documents;
    // INT_MIN, which has no positive int, is taken as the widest pen there is.
    int64_t across = pen->width < 0 ? -(int64_t)pen->width : pen->width;
    state.width = across == 0 ? 1 : (int)(across > INT32_MAX ? INT32_MAX : across);
    if (state.width > 1) {
        state.kind = GDI_PEN_WIDE;
        return;
    }
    state.dashes = dashes_of_style(pen->style);
    state.kind = state.dashes ? GDI_PEN_DASHED : GDI_PEN_THIN;
}
