// LineTo and Rectangle, and the box rules that all closed shapes share.
#include "platform/posix/gdi/raster/gdi_raster.h"
#include "platform/saturate.h"

#include <utility>

bool gdi_pen_box(const gdi_dc *dc, int left, int top, int right, int bottom, gdi_box *box) {
    *box = gdi_box{left, top, right, bottom};
    if (box->left > box->right) std::swap(box->left, box->right);
    if (box->top > box->bottom) std::swap(box->top, box->bottom);
    // A box with no width or no height draws nothing at all, not even a pen dot.
    if (box->left == box->right || box->top == box->bottom) return false;
    if (dc->pen_state.inside_frame) {
        // An inside-frame pen keeps its whole width inside the box.
        int width = dc->pen_state.width;
        box->left += width / 2;
        box->top += width / 2;
        box->right -= (width - 1) / 2;
        box->bottom -= (width - 1) / 2;
    }
    return true;
}

// Draws from the current position up to, not including, (x, y), which becomes the new
// current position.
BOOL WINAPI LineTo(HDC hdc, int x, int y) {
    gdi_dc *dc = gdi_dc_get(hdc);
    if (!dc) return FALSE;
    POINT points[2] = {dc->position, POINT{x, y}};
    gdi_stroke(dc, points, 2, false);
    dc->position = points[1];
    return TRUE;
}

// Outlines [left, right) x [top, bottom) with the pen and fills the inside with the brush:
// the outline runs through the last column and row of the box, which the fill leaves out.
BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    gdi_dc *dc = gdi_dc_get(hdc);
    if (!dc) return FALSE;
    gdi_box box;
    if (!gdi_pen_box(dc, left, top, right, bottom, &box)) return TRUE;
    box.right--; // the pen runs along the last column and row inside the box
    box.bottom--;
    LONG l = saturate_int(box.left), t = saturate_int(box.top);
    LONG r = saturate_int(box.right), b = saturate_int(box.bottom);
    // Counter-clockwise from the top-right corner, the default arc direction.
    POINT corners[4] = {{r, t}, {l, t}, {l, b}, {r, b}};
    int width = dc->pen_state.width;
    gdi_box inside = box;
    if (dc->pen_state.wide) {
        // Wide pens: the fill covers the whole box, then the outline is painted over it.
        gdi_brush_rect(dc, dc->brush, RECT{l, t, r, b});
        gdi_stroke(dc, corners, 4, true);
        return TRUE;
    }
    if (width == 1 && !dc->pen_state.dashes && dc->brush->style == GDI_BRUSH_SOLID &&
        box.left < box.right && box.top < box.bottom) {
        // A solid one-pixel outline of a box at least two pixels each way is exactly its
        // border ring: drawn as rows with the fill, it needs no second pass over memory.
        gdi_fill_framed_box(&dc->surface, box.left, box.top, box.right, box.bottom,
                            gdi_pixel_from_colour(dc->brush->colour), dc->pen_state.pixel);
        return TRUE;
    }
    gdi_stroke(dc, corners, 4, true);
    inside.left += (width + 1) / 2; // a thin pen takes one pixel on each side, a null pen
    inside.top += (width + 1) / 2;  // none (so the fill is one pixel smaller than the box)
    inside.right -= width / 2;
    inside.bottom -= width / 2;
    gdi_brush_rect(dc, dc->brush,
                   RECT{saturate_int(inside.left), saturate_int(inside.top),
                        saturate_int(inside.right), saturate_int(inside.bottom)});
    return TRUE;
}
