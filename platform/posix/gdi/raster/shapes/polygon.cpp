// Polygon scan conversion: which pixels are inside a polygon, row by row, with the
// even-odd (alternate) or non-zero winding rule. Only the rows of the surface are walked.
#include "platform/posix/gdi/raster/gdi_raster.h"

#include <algorithm>
#include <vector>

namespace {

struct gdi_edge {
    int64_t top_y, bottom_y; // the edge covers rows [top_y, bottom_y)
    int64_t top_x, dx, dy;   // dy > 0
    int winding;             // +1 for an edge going down the point list, -1 going up
    // While the edge is active: its x on the current row, and what stepping down a row
    // needs (x = top_x + ceil(a / dy) with a = x_steps * dy - rem, 0 <= rem < dy).
    int64_t x, rem, step_x, step_rem;
};

// The x where the edge enters row y: the first pixel at or right of the exact edge,
// x = top_x + ceil((y - top_y) * dx / dy). Edges within the int range (all but far-out
// ones) fit the product in 64 bits; the others take 128 so that nothing overflows.
int64_t gdi_edge_x(const gdi_edge &e, int64_t y) {
    const int64_t small = (int64_t)1 << 31;
    if (e.dx > -small && e.dx < small && e.dy < small) {
        int64_t a = (y - e.top_y) * e.dx; // 0 <= y - top_y < dy
        int64_t steps = a >= 0 ? (a + e.dy - 1) / e.dy : -((-a) / e.dy);
        return e.top_x + steps;
    }
    __int128 a = (__int128)(y - e.top_y) * e.dx;
    __int128 steps = a >= 0 ? (a + e.dy - 1) / e.dy : -((-a) / e.dy);
    return e.top_x + (int64_t)steps;
}

// Readies an edge that becomes active at row y: one division here, none per row after.
void gdi_edge_start(gdi_edge &e, int64_t y) {
    e.x = gdi_edge_x(e, y);
    __int128 a = (__int128)(y - e.top_y) * e.dx;
    e.rem = (int64_t)((__int128)(e.x - e.top_x) * e.dy - a);
    e.step_x = e.dx / e.dy; // floor division: the remainder must not be negative
    if (e.step_x * e.dy > e.dx) e.step_x--;
    e.step_rem = e.dx - e.step_x * e.dy;
}

// Moves an edge down one row. Coordinates stay far below 2^62 (corners are ints moved by
// at most a pen's width), so the remainder arithmetic cannot overflow.
void gdi_edge_step(gdi_edge &e) {
    e.x += e.step_x;
    e.rem -= e.step_rem;
    if (e.rem < 0) {
        e.rem += e.dy;
        e.x++;
    }
}

void gdi_polygon_edges(const gdi_point *points, int count, std::vector<gdi_edge> &edges) {
    edges.clear();
    for (int i = 0; i < count; i++) {
        gdi_point prev = points[(i + count - 1) % count], cur = points[i];
        if (prev.y == cur.y) continue; // horizontal edges add nothing
        bool down = prev.y < cur.y;
        gdi_point top = down ? prev : cur, bottom = down ? cur : prev;
        edges.push_back(gdi_edge{top.y, bottom.y, top.x, bottom.x - top.x, bottom.y - top.y,
                                 down ? 1 : -1, 0, 0, 0, 0});
    }
    std::sort(edges.begin(), edges.end(),
              [](const gdi_edge &a, const gdi_edge &b) { return a.top_y < b.top_y; });
}

struct gdi_crossing {
    int64_t x;
    int winding;
};

// Turns one row's sorted edge crossings into spans.
void gdi_fill_row(gdi_region *region, int64_t y, const std::vector<gdi_crossing> &row,
                  gdi_fill_mode mode) {
    if (mode == GDI_ALTERNATE) {
        for (size_t i = 0; i + 1 < row.size(); i += 2)
            gdi_region_add_span(region, y, row[i].x, row[i + 1].x);
        return;
    }
    int winding = 0;
    int64_t start = 0;
    for (const gdi_crossing &c : row) {
        int before = winding;
        winding += c.winding;
        if (before == 0 && winding != 0) start = c.x;
        if (before != 0 && winding == 0) gdi_region_add_span(region, y, start, c.x);
    }
}

} // namespace

void gdi_polygon_region(gdi_region *region, const gdi_point *points, int count,
                        gdi_fill_mode mode) {
    // Scratch kept per thread: a polygon costs no allocation once one as big was filled.
    static thread_local std::vector<gdi_edge> edges;
    static thread_local std::vector<gdi_edge *> active;
    static thread_local std::vector<gdi_crossing> row;
    gdi_polygon_edges(points, count, edges);
    if (edges.empty()) return;
    int64_t y_end = 0;
    for (const gdi_edge &e : edges) y_end = std::max(y_end, e.bottom_y);
    y_end = std::min<int64_t>(y_end, region->clip->height);
    int64_t y = std::max<int64_t>(edges.front().top_y, 0);
    active.clear();
    size_t next = 0;
    for (; y < y_end; y++) {
        for (; next < edges.size() && edges[next].top_y <= y; next++) {
            gdi_edge_start(edges[next], y);
            active.push_back(&edges[next]);
        }
        active.erase(std::remove_if(active.begin(), active.end(),
                                    [y](const gdi_edge *e) { return e->bottom_y <= y; }),
                     active.end());
        row.clear();
        for (const gdi_edge *e : active) row.push_back(gdi_crossing{e->x, e->winding});
        if (row.size() == 2) { // the common case, a convex shape: skip the sort's set-up
            if (row[1].x < row[0].x) std::swap(row[0], row[1]);
        } else {
            std::sort(row.begin(), row.end(),
                      [](const gdi_crossing &a, const gdi_crossing &b) { return a.x < b.x; });
        }
        gdi_fill_row(region, y, row, mode);
        for (gdi_edge *e : active) gdi_edge_step(*e);
    }
}
