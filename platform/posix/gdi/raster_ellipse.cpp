// Ellipse, and the closed outline table that ellipses, arcs and pies are drawn from: the
// walked quarter mirrored into the other three.
#include "platform/posix/gdi/gdi_raster.h"

#include <vector>

namespace {

// The box's pixel mirror lines: column x mirrors to mirror_x - x, row y to mirror_y - y.
struct box_mirror {
    int64_t left, bottom_row, mirror_x, mirror_y;
};

box_mirror mirror_of(const gdi_box &box) {
    return box_mirror{box.left, box.bottom - 1, box.left + box.right - 1, box.top + box.bottom - 1};
}

// Sets each pixel of the thin solid outline straight from the quarter and its mirror images.
void paint_thin_outline(const gdi_dc *dc, const gdi_box &box) {
    static thread_local std::vector<POINT> quarter;
    gdi_ellipse_quarter((int)(box.right - box.left), (int)(box.bottom - box.top), &quarter);
    const gdi_surface *s = &dc->surface;
    const uint32_t pixel = dc->pen_state.pixel;
    const box_mirror m = mirror_of(box);
    auto set = [&](int64_t x, int64_t y) {
        if (x >= 0 && x < s->width && y >= 0 && y < s->height) gdi_row(s, (int)y)[x] = pixel;
    };
    for (POINT q : quarter) {
        int64_t x = m.left + q.x, y = m.bottom_row - q.y;
        set(x, y);
        set(m.mirror_x - x, y);
        set(x, m.mirror_y - y);
        set(m.mirror_x - x, m.mirror_y - y);
    }
}

void fill_interior(const gdi_dc *dc, const gdi_box &box) {
    const gdi_brush *brush = dc->brush;
    if (brush->style == GDI_BRUSH_NULL) return;
    if (brush->style == GDI_BRUSH_SOLID) {
        gdi_ellipse_fill(&dc->surface, (int)box.left, (int)box.top, (int)box.right, (int)box.bottom,
                         gdi_pixel_from_colour(brush->colour));
        return;
    }
    static thread_local gdi_region inside; // its spans keep their capacity between calls
    gdi_region_init(&inside, &dc->surface);
    gdi_ellipse_region(&inside, box.left, box.top, box.right, box.bottom);
    gdi_region_paint_brush(dc, &inside, brush);
}

} // namespace

void gdi_ellipse_outline(const gdi_box &box, std::vector<POINT> *outline, int quarter_starts[5]) {
    static thread_local std::vector<POINT> quarter;
    gdi_ellipse_quarter((int)(box.right - box.left), (int)(box.bottom - box.top), &quarter);
    const box_mirror m = mirror_of(box);
    const int n = (int)quarter.size();
    outline->clear();
    // Each quarter is the first one mirrored, walked so that the whole runs counter-clockwise.
    // Every quarter keeps all its pixels, so that arcs find a radial on an axis in the quarter
    // it belongs to; where two meet on a mirror line, a stroke steps in place and draws nothing.
    auto add = [&](int64_t x, int64_t y) { outline->push_back(POINT{(LONG)x, (LONG)y}); };
    auto x_of = [&](int i) { return m.left + quarter[i].x; };
    auto y_of = [&](int i) { return m.bottom_row - quarter[i].y; };
    quarter_starts[0] = 0;
    for (int i = 0; i < n; i++) add(x_of(i), y_of(i));
    quarter_starts[1] = (int)outline->size();
    for (int i = n - 1; i >= 0; i--) add(m.mirror_x - x_of(i), y_of(i));
    quarter_starts[2] = (int)outline->size();
    for (int i = 0; i < n; i++) add(m.mirror_x - x_of(i), m.mirror_y - y_of(i));
    quarter_starts[3] = (int)outline->size();
    for (int i = n - 1; i >= 0; i--) add(x_of(i), m.mirror_y - y_of(i));
    quarter_starts[4] = (int)outline->size();
}

// Fills the ellipse inscribed in the box with the brush, then outlines it with the pen.
BOOL WINAPI Ellipse(HDC hdc, int left, int top, int right, int bottom) {
    gdi_dc *dc = gdi_dc_get(hdc);
    if (!dc) return FALSE;
    gdi_box box;
    if (!gdi_pen_box(dc, left, top, right, bottom, &box)) return TRUE;
    int64_t width = box.right - box.left, height = box.bottom - box.top;
    // Too thin to curve: the box is drawn as a rectangle.
    if (width <= 2 || height <= 2) return Rectangle(hdc, left, top, right, bottom);
    if (width > gdi_large_shape || height > gdi_large_shape) {
        gdi_large_ellipse(dc, box);
        return TRUE;
    }
    fill_interior(dc, box);
    const gdi_pen_state &pen = dc->pen_state;
    if (pen.width == 1 && !pen.dashes) {
        paint_thin_outline(dc, box);
    } else if (pen.width > 0) {
        static thread_local std::vector<POINT> outline;
        int quarter_starts[5];
        gdi_ellipse_outline(box, &outline, quarter_starts);
        gdi_stroke(dc, outline.data(), (int)outline.size(), true);
    }
    return TRUE;
}
