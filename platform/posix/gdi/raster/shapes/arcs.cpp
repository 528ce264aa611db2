// Arc and Pie. Designed from the pixel rules of the reference GDI: an arc is a run of the
// closed ellipse outline, from the first pixel whose direction has come round to the start
// radial up to the last one before the end radial; a pixel's direction is taken from the
// centre as mirrored into its own quarter of the box, so that the quarters mirror one another.
#include "platform/posix/gdi/raster/gdi_raster.h"

#include <algorithm>
#include <vector>

namespace {

// A radial relative to the box centre, y pointing up, and the quarter of the turn it points
// into, numbered as the outline's (0 upper right, counter-clockwise). A radial along an axis
// counts with the quarter on the axis' non-negative side: +x and +y with the upper right,
// -x with the upper left, -y with the lower right.
struct radial {
    int64_t x, y;
    int quarter;
};

// The box's centre pixel: where radials start from, and where a pie's slice closes.
POINT centre_of(const gdi_box &box) {
    return POINT{(LONG)(box.left + (box.right - box.left) / 2),
                 (LONG)(box.top + (box.bottom - box.top) / 2)};
}

radial radial_towards(POINT centre, int x, int y) {
    radial r;
    r.x = (int64_t)x - centre.x;
    r.y = (int64_t)centre.y - y;
    r.quarter = r.y >= 0 ? (r.x >= 0 ? 0 : 1) : (r.x >= 0 ? 3 : 2);
    return r;
}

// Directions of outline pixels are measured from the box centre's pixel mirrored into the
// pixel's quarter: for an even width the two middle columns mirror each other, so the right
// quarters measure from the right one and the left quarters from the left one; rows alike.
struct quarter_origins {
    POINT of[4];
};

quarter_origins origins_of(const gdi_box &box) {
    int64_t w = box.right - box.left, h = box.bottom - box.top;
    LONG right = (LONG)(box.left + w / 2), left = (LONG)(box.right - 1 - w / 2);
    LONG lower = (LONG)(box.top + h / 2), upper = (LONG)(box.bottom - 1 - h / 2);
    return quarter_origins{{{right, upper}, {left, upper}, {left, lower}, {right, lower}}};
}

// Whether an outline pixel of quarter `quarter` has come round to the radial, going
// counter-clockwise: it lies in a later quarter, or in the same one at or past the radial.
// A pixel exactly on the radial counts when the radial points into the upper half.
bool come_round(const radial &r, int quarter, POINT pixel, POINT origin) {
    if (quarter != r.quarter) return quarter > r.quarter;
    int64_t vx = (int64_t)pixel.x - origin.x, vy = (int64_t)origin.y - pixel.y;
    int64_t turn = r.x * vy - r.y * vx; // > 0: the pixel lies counter-clockwise of the radial
    return turn > 0 || (turn == 0 && r.y >= 0);
}

// The index of the first outline pixel that has come round to the radial, or the outline's
// size when none has. Going round, directions only ever turn one way, so once a pixel has
// come round every later one has: the first is found by halving.
int first_come_round(const std::vector<POINT> &outline, int per_quarter, const quarter_origins &o,
                     const radial &r) {
    int lo = 0, hi = (int)outline.size();
    while (lo < hi) {
        int mid = lo + (hi - lo) / 2;
        int quarter = mid / per_quarter;
        if (come_round(r, quarter, outline[(size_t)mid], o.of[quarter]))
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

// Arc and Pie alike: the outline's pixels from the start radial's on to the end radial's
// (left out), once more round when the end comes at or before the start.
BOOL arc_or_pie(HDC hdc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye,
                bool pie) {
    gdi_dc *dc = gdi_dc_get(hdc);
    if (!dc) return FALSE;
    gdi_box box;
    // An inside-frame pen whose box edges cross draws no arc: the reference draws none for
    // small boxes, and crashes on others.
    if (!gdi_pen_box(dc, left, top, right, bottom, &box) || box.right <= box.left ||
        box.bottom <= box.top)
        return TRUE;
    const POINT centre = centre_of(box);
    radial from = radial_towards(centre, xs, ys), to = radial_towards(centre, xe, ye);
    if (box.right - box.left > gdi_large_shape || box.bottom - box.top > gdi_large_shape) {
        gdi_large_arc(dc, box, from.x, -from.y, to.x, -to.y, pie);
        return TRUE;
    }
    // Kept per thread: drawing an arc allocates nothing once one as large was drawn.
    static thread_local std::vector<POINT> outline, path;
    static thread_local std::vector<gdi_point> corners;
    static thread_local gdi_region slice;
    int quarter_starts[5];
    gdi_ellipse_outline(box, &outline, quarter_starts);
    const int size = quarter_starts[4], per_quarter = quarter_starts[1];
    const quarter_origins origins = origins_of(box);
    int start = first_come_round(outline, per_quarter, origins, from);
    int end = first_come_round(outline, per_quarter, origins, to);
    if (end <= start) end += size;
    path.clear();
    for (int i = start; i < end; i++) path.push_back(outline[(size_t)(i % size)]);
    if (pie) {
        path.push_back(centre);
        if (dc->brush->style != GDI_BRUSH_NULL) {
            corners.clear();
            for (POINT p : path) corners.push_back(gdi_point{p.x, p.y});
            gdi_region_init(&slice, &dc->surface);
            gdi_polygon_region(&slice, corners.data(), (int)corners.size(), GDI_WINDING);
            gdi_region_paint_brush(dc, &slice, dc->brush);
        }
    }
    // One pixel alone is no path: a wide pen would otherwise put its disc there.
    if (path.size() >= 2) gdi_draw_path(dc, path.data(), (int)path.size(), pie);
    return TRUE;
}

} // namespace

BOOL WINAPI Arc(HDC hdc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) {
    return arc_or_pie(hdc, left, top, right, bottom, xs, ys, xe, ye, false);
}

BOOL WINAPI Pie(HDC hdc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) {
    return arc_or_pie(hdc, left, top, right, bottom, xs, ys, xe, ye, true);
}
