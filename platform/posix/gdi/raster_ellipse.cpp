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
    // The mirror sums run in 64 bits: a box near either end of the int range would overflow
    // them, though every point they give lies inside the box.
    int64_t left = box.left, top = box.top, right = box.right, bottom = box.bottom;
    for (int i = 0; i < count; i++)
        p[i] = POINT{(LONG)(left + p[i].x), (LONG)(bottom - 1 - p[i].y)};
    // Mirror left-right; an odd width has a middle column, which must not appear twice.
    int end = 2 * count - 1;
    if (width % 2) end--;
    for (int i = 0; i < count; i++) p[end - i] = POINT{(LONG)(left + right - 1 - p[i].x), p[i].y};
    count = end + 1;
    // Mirror top-bottom, likewise without doubling an odd height's middle row.
    end = 2 * count - 1;
    if (height % 2) end--;
    for (int i = 0; i < count; i++) p[end - i] = POINT{p[i].x, (LONG)(top + bottom - 1 - p[i].y)};
    points->resize((size_t)end + 1);
}

// A closed path of neighbouring pixels covers exactly its points, since each step draws its
// start: with a solid one-pixel pen the outline is its points, set from one quadrant and
// its three mirror images.
void gdi_ellipse_solid_outline(const gdi_dc *dc, const gdi_box &box) {
    int width = (int)(box.right - box.left), height = (int)(box.bottom - box.top);
    static thread_local std::vector<POINT> quadrant; // reused: no allocation per shape
    quadrant.resize((size_t)(width + height) / 2 + 2);
    int count = gdi_ellipse_quadrant(width, height, quadrant.data());
    const gdi_surface *s = &dc->surface;
    uint32_t pixel = dc->pen_state.pixel;
    int64_t mirror_x = box.left + box.right - 1, mirror_y = box.top + box.bottom - 1;
    auto plot = [s, pixel](int64_t x, int64_t y) {
        if (x >= 0 && x < s->width && y >= 0 && y < s->height) gdi_row(s, (int)y)[x] = pixel;
    };
    for (int i = 0; i < count; i++) {
        int64_t x = box.left + quadrant[i].x, y = box.top + height - 1 - quadrant[i].y;
        plot(x, y);
        plot(mirror_x - x, y);
        plot(x, mirror_y - y);
        plot(mirror_x - x, mirror_y - y);
    }
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
    if (dc->brush->style == GDI_BRUSH_SOLID) {
        // The interior first, so that the outline lands on top of it.
        gdi_ellipse_fill(&dc->surface, (int)box.left, (int)box.top, (int)box.right, (int)box.bottom,
                         gdi_pixel_from_colour(dc->brush->colour));
    } else if (dc->brush->style != GDI_BRUSH_NULL) {
        gdi_region_init(&inside, &dc->surface);
        gdi_ellipse_region(&inside, (int)box.left, (int)box.top, (int)box.right, (int)box.bottom);
        gdi_region_paint_brush(dc, &inside, dc->brush);
    }
    if (dc->pen_state.lines == gdi_solid_lines) {
        gdi_ellipse_solid_outline(dc, box);
        return TRUE;
    }
    gdi_ellipse_outline(box, &outline);
    gdi_stroke(dc, outline.data(), (int)outline.size(), true);
    return TRUE;
}
