// Rectangle, and the box that shapes run their outlines through. Designed from the pixel
// rules of the reference GDI, read off pictures it drew: the brush fills inside the box's
// edge pixels (with no pen, from its first column and row), then the pen runs round the edge
// pixels counter-clockwise from the top right corner.
#include "platform/posix/gdi/raster/gdi_raster.h"

#include <algorithm>

bool gdi_pen_box(const gdi_dc *dc, int left, int top, int right, int bottom, gdi_box *box) {
    *box = gdi_box{std::min(left, right), std::min(top, bottom), std::max(left, right),
                   std::max(top, bottom)};
    if (box->left == box->right || box->top == box->bottom) return false;
    if (dc->pen_state.inside_frame) {
        // A pen w across covers w / 2 pixels before the line it follows and the rest after
        // it: the edge pixels move in by as much.
        int64_t before = dc->pen_state.width / 2, after = dc->pen_state.width - 1 - before;
        box->left += before;
        box->top += before;
        box->right -= after;
        box->bottom -= after;
    }
    return true;
}

BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    gdi_dc *dc = gdi_dc_get(hdc);
    if (!dc) return FALSE;
    gdi_box box;
    if (!gdi_pen_box(dc, left, top, right, bottom, &box)) return TRUE;
    // The outer span is the pen's frame through the box's edge pixels, the inner one the
    // brush's, inside the frame. Edges that crossed make the frame run between them the
    // other way round: the same pixels.
    const LONG l = (LONG)std::min(box.left, box.right - 1),
               r = (LONG)std::max(box.left, box.right - 1);
    const LONG t = (LONG)std::min(box.top, box.bottom - 1),
               b = (LONG)std::max(box.top, box.bottom - 1);
    const gdi_brush *brush = dc->brush;
    const gdi_pen_state &pen = dc->pen_state;
    if (pen.kind == GDI_PEN_THIN && brush->style == GDI_BRUSH_SOLID && l < r && t < b) {
        // The common filled rectangle: frame and fill in one pass over the rows.
        gdi_fill_framed_box(&dc->surface, l, t, r, b, gdi_pixel_from_colour(brush->colour),
                            pen.pixel);
        return TRUE;
    }
    // Without a pen the fill takes the box's first column and row too.
    const LONG inset = pen.kind == GDI_PEN_NONE ? 0 : 1;
    gdi_brush_rect(dc, brush, RECT{l + inset, t + inset, r, b});
    const POINT frame[4] = {{r, t}, {l, t}, {l, b}, {r, b}};
    gdi_draw_path(dc, frame, 4, true);
    return TRUE;
}
