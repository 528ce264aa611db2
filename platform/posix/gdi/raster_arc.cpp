// Arc and Pie: the part of the ellipse outline counter-clockwise from the start radial to
// the end radial, and for a pie the two radii and the filled slice.
#include "platform/posix/gdi/gdi_raster.h"

#include <vector>

namespace {

// Where a radial direction (x, y) (y pointing up) meets the quadrant's points, as an index
// into the whole outline of 4 * count points counted counter-clockwise from the x axis.
int64_t gdi_arc_index(const POINT *q, int count, int64_t x, int64_t y) {
    int i = 0;
    if (y >= 0 && x >= 0) { // first quadrant: the first point at or past the direction
        while (i < count && q[i].x * y > q[i].y * x) i++;
        return i;
    }
    if (y >= 0) { // second quadrant, walked backwards from the top
        while (i < count && q[i].x * y >= q[i].y * -x) i++;
        return 2 * (int64_t)count - i;
    }
    if (x >= 0) { // fourth quadrant, walked backwards from the x axis
        while (i < count && q[i].x * -y > q[i].y * x) i++;
        return 4 * (int64_t)count - i;
    }
    while (i < count && q[i].x * -y >= q[i].y * -x) i++; // third quadrant
    return 2 * (int64_t)count + i;
}

// The outline points of the arc from radial `start` to radial `end` (relative to the box
// centre, y pointing down), counter-clockwise.
void gdi_arc_points(const gdi_box &box, int64_t sx, int64_t sy, int64_t ex, int64_t ey,
                    std::vector<POINT> *out) {
    int width = (int)(box.right - box.left), height = (int)(box.bottom - box.top);
    static thread_local std::vector<POINT> q; // reused: no allocation per arc
    q.resize((size_t)(width + height) / 2 + 8);
    int count = gdi_ellipse_quadrant(width, height, q.data());
    for (int i = 0; i < count; i++) {
        q[i].x -= width / 2; // relative to the centre, y pointing up
        q[i].y -= height / 2;
    }
    // Counter-clockwise on the screen is clockwise with y pointing down: flip the radials.
    int64_t first = gdi_arc_index(q.data(), count, sx, -sy);
    int64_t last = gdi_arc_index(q.data(), count, ex, -ey);
    if (last <= first) last += 4 * (int64_t)count; // coinciding radials: the whole ellipse
    LONG cx = (LONG)(box.left + width / 2), cy = (LONG)(box.top + height / 2);
    LONG rx = (LONG)(box.right - 1 - width / 2), by = (LONG)(box.bottom - 1 - height / 2);
    out->clear();
    for (int64_t i = first; i < last; i++) {
        int j = (int)(i % count), back = count - 1 - j;
        switch ((i / count) % 4) {
        case 0:
            out->push_back(POINT{cx + q[j].x, by - q[j].y});
            break;
        case 1:
            out->push_back(POINT{rx - q[back].x, by - q[back].y});
            break;
        case 2:
            out->push_back(POINT{rx - q[j].x, cy + q[j].y});
            break;
        default:
            out->push_back(POINT{cx + q[back].x, cy + q[back].y});
            break;
        }
    }
}

BOOL gdi_draw_arc(HDC hdc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye,
                  bool pie) {
    gdi_dc *dc = gdi_dc_get(hdc);
    if (!dc) return FALSE;
    gdi_box box;
    if (!gdi_pen_box(dc, left, top, right, bottom, &box)) return TRUE;
    int64_t width = box.right - box.left, height = box.bottom - box.top;
    if (width <= 0 || height <= 0) return TRUE; // an inside-frame pen ate the whole box
    int64_t cx = box.left + width / 2, cy = box.top + height / 2;
    if (width > gdi_large_shape || height > gdi_large_shape) {
        gdi_large_arc(dc, box, xs - cx, ys - cy, xe - cx, ye - cy, pie);
        return TRUE;
    }
    // Scratch kept per thread: an arc costs no allocation once one as big was drawn.
    static thread_local std::vector<POINT> points;
    static thread_local std::vector<gdi_point> corners;
    static thread_local gdi_region inside;
    gdi_arc_points(box, xs - cx, ys - cy, xe - cx, ye - cy, &points);
    if (pie) points.push_back(POINT{(LONG)cx, (LONG)cy});
    if (points.size() < 2) return TRUE;
    if (pie && dc->brush->style != GDI_BRUSH_NULL) {
        // The slice first, so that the outline lands on top of it.
        gdi_region_init(&inside, &dc->surface);
        corners.clear();
        for (const POINT &p : points) corners.push_back(gdi_point{p.x, p.y});
        gdi_polygon_region(&inside, corners.data(), (int)corners.size(), GDI_WINDING);
        gdi_region_paint_brush(dc, &inside, dc->brush);
    }
    gdi_stroke(dc, points.data(), (int)points.size(), pie);
    return TRUE;
}

} // namespace

BOOL WINAPI Arc(HDC hdc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) {
    return gdi_draw_arc(hdc, left, top, right, bottom, xs, ys, xe, ye, false);
}

BOOL WINAPI Pie(HDC hdc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) {
    return gdi_draw_arc(hdc, left, top, right, bottom, xs, ys, xe, ye, true);
}
