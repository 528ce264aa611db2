// Ellipse, and the closed outline table that ellipses, arcs and pies are drawn from: the
// walked quarter mirrored into the other three.
#include "platform/posix/gdi/raster/gdi_raster.h"
#include "platform/posix/gdi/raster/shapes/ellipse_quadrant.h"

#include <vector>

namespace {

// The box's pixel mirror lines: column x mirrors to mirror_x - x, row y to mirror_y - y.
struct box_mirror {
    int64_t left, bottom_row, mirror_x, mirror_y;
};

box_mirror mirror_of(const gdi_box &box) {
    return box_mirror{box.left, box.bottom - 1, box.left + box.right - 1, box.top + box.bottom - 1};
}

// Sets each pixel of the thin solid outline as the walk finds it in the first quarter,
// together with its three mirror images.
void paint_thin_outline(const gdi_dc *dc, const gdi_box &box) {
    const gdi_surface *s = &dc->surface;
    const uint32_t pixel = dc->pen_state.pixel;
    const box_mirror m = mirror_of(box);
    const int width = (int)(box.right - box.left), height = (int)(box.bottom - box.top);
    const bool inside =
        box.left >= 0 && box.top >= 0 && box.right <= s->width && box.bottom <= s->height;
    for (gdi_quadrant_walk w = gdi_quadrant_start(width, height); gdi_quadrant_going(w);
         gdi_quadrant_step(w)) {
        int64_t x = m.left + w.x, y = m.bottom_row - w.y;
        int64_t mx = m.mirror_x - x, my = m.mirror_y - y;
        if (inside) { // the common case: no pixel needs clipping
            uint32_t *upper = gdi_row(s, (int)y), *lower = gdi_row(s, (int)my);
            upper[x] = upper[mx] = lower[x] = lower[mx] = pixel;
            continue;
        }
        for (int64_t row : {y, my}) {
            if (row < 0 || row >= s->height) continue;
            for (int64_t col : {x, mx})
                if (col >= 0 && col < s->width) gdi_row(s, (int)row)[col] = pixel;
        }
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
    static thread_local std::vector<POINT> quarter; // kept per thread: no allocation per shape
    const int width = (int)(box.right - box.left), height = (int)(box.bottom - box.top);
    if (width <= 0 || height <= 0) { // an inside-frame pen wider than the box leaves nothing
        outline->clear();
        for (int q = 0; q <= 4; q++) quarter_starts[q] = 0;
        return;
    }
    size_t room = (size_t)gdi_ellipse_quarter_room(width, height);
    if (quarter.size() < room) quarter.resize(room);
    const int n = gdi_ellipse_quarter(width, height, quarter.data());
    const box_mirror m = mirror_of(box);
    // Each quarter is the first one mirrored, walked so that the whole runs counter-clockwise.
    // Every quarter keeps all its pixels, so that arcs find a radial on an axis in the quarter
    // it belongs to; where two meet on a mirror line, a stroke steps in place and draws nothing.
    outline->resize((size_t)n * 4);
    POINT *upper_right = outline->data(), *upper_left = upper_right + n;
    POINT *lower_left = upper_left + n, *lower_right = lower_left + n;
    for (int i = 0; i < n; i++) {
        LONG x = (LONG)(m.left + quarter[i].x), y = (LONG)(m.bottom_row - quarter[i].y);
        LONG mx = (LONG)(m.mirror_x - x), my = (LONG)(m.mirror_y - y);
        upper_right[i] = POINT{x, y};
        upper_left[n - 1 - i] = POINT{mx, y};
        lower_left[i] = POINT{mx, my};
        lower_right[n - 1 - i] = POINT{x, my};
    }
    for (int q = 0; q <= 4; q++) quarter_starts[q] = q * n;
}

// Fills the ellipse inscribed in the box with the brush, then outlines it with the pen.
BOOL WINAPI Ellipse(HDC hdc, int left, int top, int right, int bottom) {
    gdi_dc *dc = gdi_dc_get(hdc);
    if (!dc) return FALSE;
    gdi_box box;
    if (!gdi_pen_box(dc, left, top, right, bottom, &box)) return TRUE;
    int64_t width = box.right - box.left, height = box.bottom - box.top;
    // Too thin to curve, or edges crossed by an inside-frame pen: drawn as a rectangle.
    if (width <= 2 || height <= 2) return Rectangle(hdc, left, top, right, bottom);
    if (width > gdi_large_shape || height > gdi_large_shape) {
        gdi_large_ellipse(dc, box);
        return TRUE;
    }
    fill_interior(dc, box);
    const gdi_pen_state &pen = dc->pen_state;
    if (pen.kind == GDI_PEN_THIN) {
        paint_thin_outline(dc, box);
    } else if (pen.kind != GDI_PEN_NONE) {
        static thread_local std::vector<POINT> outline;
        int quarter_starts[5];
        gdi_ellipse_outline(box, &outline, quarter_starts);
        gdi_draw_path(dc, outline.data(), (int)outline.size(), true);
    }
    return TRUE;
}
