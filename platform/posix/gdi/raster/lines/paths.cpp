// Paths drawn with the selected pen, and LineTo. Designed from the pixel rules of the
// reference GDI: lines leave out their end point, a dash pattern starts afresh with each call
// and runs on from segment to segment, and wide pens cover a set of pixels painted once.
#include "platform/posix/gdi/raster/gdi_raster.h"

namespace {

// Calls segment(p, q) for each segment of the path in order, the closing one last.
template <typename Segment>
void each_segment(const POINT *points, int count, bool closed, Segment segment) {
    for (int i = 1; i < count; i++) segment(points[i - 1], points[i]);
    if (closed && count > 1) segment(points[count - 1], points[0]);
}

} // namespace

void gdi_draw_path(gdi_dc *dc, const POINT *points, int count, bool closed) {
    const gdi_pen_state &pen = dc->pen_state;
    switch (pen.kind) {
    case GDI_PEN_NONE:
        break;
    case GDI_PEN_THIN:
        each_segment(points, count, closed, [dc](POINT p, POINT q) { gdi_solid_step(dc, p, q); });
        break;
    case GDI_PEN_DASHED: {
        uint32_t phase = 0;
        each_segment(points, count, closed,
                     [dc, &phase](POINT p, POINT q) { gdi_dashed_line(dc, p, q, &phase); });
        break;
    }
    case GDI_PEN_WIDE: {
        // Painted as its spans are found: every pixel of the set takes the one colour.
        gdi_region covered;
        gdi_region_init_painting(&covered, &dc->surface, pen.pixel);
        gdi_wide_path(&covered, pen.width, points, count, closed);
        break;
    }
    }
}

BOOL WINAPI LineTo(HDC hdc, int x, int y) {
    gdi_dc *dc = gdi_dc_get(hdc);
    if (!dc) return FALSE;
    const POINT from = dc->position, to = {x, y};
    dc->position = to;
    if (dc->pen_state.kind == GDI_PEN_THIN) { // the most common call of all, kept short
        gdi_solid_step(dc, from, to);
        return TRUE;
    }
    const POINT line[2] = {from, to};
    gdi_draw_path(dc, line, 2, false);
    return TRUE;
}
