// Ellipse: the outline through the pen's path and the interior spans, as Win32 draws them.
#include "platform/posix/gdi/gdi_raster.h"

#include <vector>

namespace {

// The closed outline of the ellipse in box (width, height > 2), counter-clockwise from the
// right end of the middle row: the first quadrant mirrored across both axes.
void gdi_ellipse_outline(const gdi_box &box, std::vector<POINT> *points) {
    int width = (int)(box.right - box.left), height = (int)(box.bottom - box.top);
    points->resize((size_t)(width + height) * 2 + 8);
    POINT *p = points->data();
    int count = gdi_ellipse_quadrant(width, height, p);
    LONG left = (LONG)box.left, top = (LONG)box.top;
    LONG right = (LONG)box.right, bottom = (LONG)box.bottom;
    for (int i = 0; i < count; i++) p[i] = POINT{left + p[i].x, top + height - 1 - p[i].y};
    // Mirror left-right; an odd width has a middle column, which must not appear twice.
    int end = 2 * count - 1;
    if (width % 2) end--;
    for (int i = 0; i < count; i++) p[end - i] = POINT{left + right - 1 - p[i].x, p[i].y};
    count = end + 1;
    // Mirror top-bottom, likewise without doubling an odd height's middle row.
    end = 2 * count - 1;
    if (height % 2) end--;
    for (int i = 0; i < count; i++) p[end - i] = POINT{p[i].x, top + bottom - 1 - p[i].y};
    points->resize((size_t)end + 1);
}

} // namespace

BOOL WINAPI Ellipse(HDC hdc, int left, int top, int right, int bottom) {
    gdi_dc *dc = gdi_dc_get(hdc);
    if (!dc) return FALSE;
    gdi_box box;
    if (!gdi_pen_box(dc, left, top, right, bottom, &box)) return TRUE;
    int64_t width = box.right - box.left, height = box.bottom - box.top;
    // Two pixels or less across leaves nothing to round: Win32 draws a rectangle.
    if (width <= 2 || height <= 2) return Rectangle(hdc, left, top, right, bottom);
    if (width > gdi_large_shape || height > gdi_large_shape) {
        gdi_large_ellipse(dc, box);
        return TRUE;
    }
    // Scratch kept per thread: a shape costs no allocation once one of its size was drawn.
    static thread_local gdi_region inside;
    static thread_local std::vector<POINT> outline;
    if (dc->brush->style != GDI_BRUSH_NULL) {
        // The interior first, so that the outline lands on top of it.
        gdi_region_init(&inside, &dc->surface);
        gdi_ellipse_region(&inside, (int)box.left, (int)box.top, (int)box.right, (int)box.bottom);
        gdi_region_paint_brush(dc, &inside, dc->brush);
    }
    gdi_ellipse_outline(box, &outline);
    gdi_stroke(dc, outline.data(), (int)outline.size(), true);
    return TRUE;
}
