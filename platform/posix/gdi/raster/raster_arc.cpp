// Arc and Pie: a run of the ellipse's closed outline table, chosen by where the two radials
// meet it, stroked open (Arc) or closed through the centre and filled (Pie).
#include "platform/posix/gdi/raster/gdi_raster.h"

#include <vector>

namespace {

// A direction in y-up coordinates.
struct direction {
    int64_t x, y;
};

// The ellipse's centre and the points its two halves measure directions from: each half
// from its own side of the middle, so that mirror images have mirrored directions.
struct arc_frame {
    int64_t centre_x, centre_y; // the pixel radials start from
    int64_t left_x, upper_y;    // where the left half measures x, the upper half y
};

arc_frame frame_of(const gdi_box &box) {
    int64_t half_w = (box.right - box.left) / 2, half_h = (box.bottom - box.top) / 2;
    return arc_frame{box.left + half_w, box.top + half_h, box.right - 1 - half_w,
                     box.bottom - 1 - half_h};
}

direction direction_of(const arc_frame &f, POINT p) {
    return direction{p.x >= f.centre_x ? p.x - f.centre_x : p.x - f.left_x,
                     p.y >= f.centre_y ? f.centre_y - p.y : f.upper_y - p.y};
}

// The quarter a radial falls in (0 upper right, counter-clockwise); one on an axis belongs
// to the quarter on the axis' non-negative side.
int quarter_of(direction r) {
    if (r.y >= 0) return r.x >= 0 ? 0 : 1;
    return r.x < 0 ? 2 : 3;
}

// The index of the first outline pixel whose direction has reached the radial `r`, walking
// counter-clockwise; the size of the outline when none has. A pixel exactly on a radial
// has reached it when the radial points upwards, and must lie past it otherwise.
int first_reached(const std::vector<POINT> &outline, const int quarter_starts[5],
                  const arc_frame &f, direction r) {
    int q = quarter_of(r);
    bool on_counts = r.y >= 0;
    for (int i = quarter_starts[q]; i < quarter_starts[q + 1]; i++) {
        direction v = direction_of(f, outline[i]);
        int64_t turn = r.x * v.y - r.y * v.x; // positive: v lies counter-clockwise of r
        if (turn > 0 || (turn == 0 && on_counts)) return i;
    }
    return quarter_starts[q + 1];
}

BOOL draw_arc(HDC hdc, int left, int top, int right, int bottom, POINT start, POINT end, bool pie) {
    gdi_dc *dc = gdi_dc_get(hdc);
    if (!dc) return FALSE;
    gdi_box box;
    if (!gdi_pen_box(dc, left, top, right, bottom, &box)) return TRUE;
    const arc_frame f = frame_of(box);
    if (box.right - box.left > gdi_large_shape || box.bottom - box.top > gdi_large_shape) {
        gdi_large_arc(dc, box, start.x - f.centre_x, start.y - f.centre_y, end.x - f.centre_x,
                      end.y - f.centre_y, pie);
        return TRUE;
    }
    static thread_local std::vector<POINT> outline, path;
    int quarter_starts[5];
    gdi_ellipse_outline(box, &outline, quarter_starts);
    const int size = quarter_starts[4];
    int from = first_reached(outline, quarter_starts, f,
                             direction{start.x - f.centre_x, f.centre_y - start.y});
    int to = first_reached(outline, quarter_starts, f,
                           direction{end.x - f.centre_x, f.centre_y - end.y});
    if (to <= from) to += size; // once more round: equal radials give the whole ellipse
    path.clear();
    for (int i = from; i < to; i++) path.push_back(outline[i % size]);
    if (pie) path.push_back(POINT{(LONG)f.centre_x, (LONG)f.centre_y});
    if (path.size() < 2) return TRUE;
    if (pie && dc->brush->style != GDI_BRUSH_NULL) {
        static thread_local std::vector<gdi_point> corners;
        static thread_local gdi_region slice;
        corners.clear();
        for (POINT p : path) corners.push_back(gdi_point{p.x, p.y});
        gdi_region_init(&slice, &dc->surface);
        gdi_polygon_region(&slice, corners.data(), (int)corners.size(), GDI_WINDING);
        gdi_region_paint_brush(dc, &slice, dc->brush);
    }
    gdi_stroke(dc, path.data(), (int)path.size(), pie);
    return TRUE;
}

} // namespace

// The arc runs counter-clockwise from the start radial (xs, ys) to the end radial (xe, ye).
BOOL WINAPI Arc(HDC hdc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) {
    return draw_arc(hdc, left, top, right, bottom, POINT{xs, ys}, POINT{xe, ye}, false);
}

// The arc closed through the centre, the slice filled with the brush.
BOOL WINAPI Pie(HDC hdc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) {
    return draw_arc(hdc, left, top, right, bottom, POINT{xs, ys}, POINT{xe, ye}, true);
}
