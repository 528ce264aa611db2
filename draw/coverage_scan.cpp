// Edges clipped to the buffer, and the rows of coverage made from them.
#include "draw/coverage_scan.h"

#include <algorithm>

namespace {

const int k_lines_per_row = 16;
const double k_line_step = 1.0 / k_lines_per_row;

} // namespace

void edge_list::add_line(scan_point a, scan_point b) {
    // Points that are not numbers, or are infinite, have no place to draw at.
    if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(b.x) || !std::isfinite(b.y))
        return;
    int winding = 1;
    if (a.y > b.y) {
        std::swap(a, b);
        winding = -1;
    }
    double top = static_cast<double>(clip.top), bottom = static_cast<double>(clip.bottom);
    if (a.y == b.y || b.y <= top || a.y >= bottom) return;
    double left = static_cast<double>(clip.left), right = static_cast<double>(clip.right);
    if (a.x <= left && b.x <= left) a.x = b.x = left;
    if (a.x >= right && b.x >= right) a.x = b.x = right;
    double slope = (b.x - a.x) / (b.y - a.y);
    double y_top = std::max(a.y, top);
    scan_edge edge{y_top, std::min(b.y, bottom), a.x + (y_top - a.y) * slope, slope, winding};
    edges.push(edge);
}

void edge_list::add_outline(const scan_point *points, size_t count) {
    if (count < 2) return;
    for (size_t i = 0; i + 1 < count; ++i) add_line(points[i], points[i + 1]);
    add_line(points[count - 1], points[0]);
}

void edge_list::add_piece(const scan_point *points, size_t count) {
    if (count < 3) return;
    double twice_area = 0;
    for (size_t i = 0, j = count - 1; i < count; j = i++)
        twice_area += points[j].x * points[i].y - points[i].x * points[j].y;
    if (twice_area >= 0) return add_outline(points, count);
    for (size_t i = count - 1; i > 0; --i) add_line(points[i], points[i - 1]);
    add_line(points[0], points[count - 1]);
}

bool coverage_scanner::start(edge_list *edges) {
    list = edges;
    next = 0;
    std::sort(edges->edges.items, edges->edges.items + edges->edges.count,
              [](const scan_edge &a, const scan_edge &b) { return a.y_top < b.y_top; });
    size_t columns = static_cast<size_t>(edges->clip.right - edges->clip.left) + 1;
    active.count = crossings.count = 0;
    if (!active.reserve(edges->edges.count) || !crossings.reserve(edges->edges.count) ||
        !cover.reserve(columns) || !area.reserve(columns))
        return false;
    std::fill(cover.items, cover.items + columns, 0);
    std::fill(area.items, area.items + columns, 0);
    return true;
}

int64_t coverage_scanner::first_row() const {
    if (list->edges.count == 0) return list->clip.bottom;
    return std::max(static_cast<int64_t>(std::floor(list->edges[0].y_top)), list->clip.top);
}

int64_t coverage_scanner::end_row() const {
    double lowest = 0;
    for (size_t i = 0; i < list->edges.count; ++i)
        lowest = std::max(lowest, list->edges[i].y_bottom);
    return std::min(static_cast<int64_t>(std::ceil(lowest)), list->clip.bottom);
}

bool coverage_scanner::begin_strip(int64_t top, int64_t bottom, int64_t *left, int64_t *right) {
    const scan_edge *edges = list->edges.items;
    double strip_top = static_cast<double>(top), strip_bottom = static_cast<double>(bottom);
    size_t kept = 0;
    for (size_t i = 0; i < active.count; ++i)
        if (edges[active[i]].y_bottom > strip_top) active[kept++] = active[i];
    active.count = kept;
    for (; next < list->edges.count && edges[next].y_top < strip_bottom; ++next)
        if (edges[next].y_bottom > strip_top) active[active.count++] = static_cast<uint32_t>(next);
    if (active.count == 0) return false;
    double low = HUGE_VAL, high = -HUGE_VAL;
    for (size_t i = 0; i < active.count; ++i) {
        const scan_edge &e = edges[active[i]];
        double from = std::max(e.y_top, strip_top) - e.y_top;
        double to = std::min(e.y_bottom, strip_bottom) - e.y_top;
        double a = e.x_top + from * e.slope, b = e.x_top + to * e.slope;
        low = std::min({low, a, b});
        high = std::max({high, a, b});
    }
    double clip_left = static_cast<double>(list->clip.left);
    double clip_right = static_cast<double>(list->clip.right);
    *left = static_cast<int64_t>(std::floor(std::clamp(low, clip_left, clip_right)));
    *right = static_cast<int64_t>(std::ceil(std::clamp(high, clip_left, clip_right))) + 1;
    *right = std::min(*right, list->clip.right);
    return *left < *right;
}

size_t coverage_scanner::cross_at(double y) {
    const scan_edge *edges = list->edges.items;
    crossing *found = crossings.items;
    size_t n = 0;
    for (size_t i = 0; i < active.count; ++i) {
        const scan_edge &e = edges[active[i]];
        if (y < e.y_top || y >= e.y_bottom) continue;
        crossing c{e.x_top + (y - e.y_top) * e.slope, e.winding};
        // Insertion in order of x: a row crosses few edges.
        size_t j = n++;
        for (; j > 0 && found[j - 1].x > c.x; --j) found[j] = found[j - 1];
        found[j] = c;
    }
    return n;
}

void coverage_scanner::add_span(double from, double to) {
    double left = static_cast<double>(list->clip.left);
    double right = static_cast<double>(list->clip.right);
    from = std::clamp(from, left, right) - left;
    to = std::clamp(to, left, right) - left;
    auto a = static_cast<int64_t>(from * 256.0 + 0.5), b = static_cast<int64_t>(to * 256.0 + 0.5);
    if (a >= b) return;
    int64_t first = a >> 8, last = b >> 8;
    // Full coverage from the first column on, less the part of it left of the span; and the
    // same taken away from the last column on, plus the part of it inside the span.
    cover[first] += 256;
    area[first] -= static_cast<int32_t>(a & 255);
    cover[last] -= 256;
    area[last] += static_cast<int32_t>(b & 255);
    touched_left = std::min(touched_left, first);
    touched_right = std::max(touched_right, last + 1);
}

void coverage_scanner::accumulate_row(int64_t y) {
    int64_t columns = list->clip.right - list->clip.left;
    touched_left = columns;
    touched_right = 0;
    for (int line = 0; line < k_lines_per_row; ++line) {
        size_t n = cross_at(static_cast<double>(y) + (line + 0.5) * k_line_step);
        int winding = 0;
        double from = 0;
        for (size_t i = 0; i < n; ++i) {
            int before = winding;
            winding += crossings[i].winding;
            if (before == 0 && winding != 0) from = crossings[i].x;
            if (before != 0 && winding == 0) add_span(from, crossings[i].x);
        }
    }
    touched_right = std::min(touched_right, columns);
    if (touched_left > touched_right) touched_left = touched_right;
}
