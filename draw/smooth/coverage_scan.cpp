// Edges clipped to the buffer, and the rows of coverage made from them.
#include "draw/smooth/coverage_scan.h"

#include <algorithm>

namespace {

// How many times a band is cut, at most, where edges cross within it, and the thinnest band
// cut there: a band crossed more often, or thinner, is taken in the edges' order at its middle.
const int k_crossing_cuts = 4;
const double k_least_band = 1.0 / 64;

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

void edge_list::add_closed(const scan_point *points, size_t count) {
    for (size_t i = 0; i + 1 < count; ++i) add_line(points[i], points[i + 1]);
    add_line(points[count - 1], points[0]);
    ++outlines;
}

void edge_list::add_outline(const scan_point *points, size_t count) {
    if (count < 2) return;
    may_cross = true;
    add_closed(points, count);
}

void edge_list::add_piece(const scan_point *points, size_t count, bool crosses_itself) {
    if (count < 3) return;
    may_cross = may_cross || crosses_itself;
    double twice_area = 0;
    for (size_t i = 0, j = count - 1; i < count; j = i++)
        twice_area += points[j].x * points[i].y - points[i].x * points[j].y;
    if (twice_area >= 0) return add_closed(points, count);
    for (size_t i = count - 1; i > 0; --i) add_line(points[i], points[i - 1]);
    add_line(points[0], points[count - 1]);
    ++outlines;
}

bool coverage_scanner::start(edge_list *edges) {
    clear_strip();
    list = edges;
    wound_once = edges->wound_once();
    next = 0;
    std::sort(edges->edges.items, edges->edges.items + edges->edges.count,
              [](const scan_edge &a, const scan_edge &b) { return a.y_top < b.y_top; });
    active.count = crossings.count = pieces.count = in_row.count = live.count = cuts.count = 0;
    strip_rows = 0;
    // A scanner kept from call to call keeps its arrays, and its changes are zero between
    // strips, so only values never used before are cleared.
    auto most = static_cast<size_t>(k_strip_rows * (edges->clip.right - edges->clip.left + 2));
    if (changes.count < most) {
        if (!changes.reserve(most - changes.count)) return false;
        std::fill(changes.items + changes.count, changes.items + most, 0.0f);
        changes.count = most;
    }
    return active.reserve(edges->edges.count) && crossings.reserve(edges->edges.count) &&
           pieces.reserve(edges->edges.count) && in_row.reserve(edges->edges.count) &&
           live.reserve(edges->edges.count) && cuts.reserve(2 * edges->edges.count + 2);
}

void coverage_scanner::clear_strip() {
    // Rows of a strip left unread, as when a copy failed, must not show in the next.
    for (int64_t row = 0; row < strip_rows; ++row) {
        float *change = changes.items + row * stride;
        std::fill(change + std::min(touched_left[row], touched_right[row]),
                  change + touched_right[row] + 1, 0.0f);
        touched_left[row] = columns;
        touched_right[row] = 0;
    }
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
    double from_y = static_cast<double>(top), to_y = static_cast<double>(bottom);
    size_t kept = 0;
    for (size_t i = 0; i < active.count; ++i)
        if (edges[active[i]].y_bottom > from_y) active[kept++] = active[i];
    active.count = kept;
    for (; next < list->edges.count && edges[next].y_top < to_y; ++next)
        if (edges[next].y_bottom > from_y) active[active.count++] = static_cast<uint32_t>(next);
    if (active.count == 0) return false;
    double low = HUGE_VAL, high = -HUGE_VAL;
    for (size_t i = 0; i < active.count; ++i) {
        const scan_edge &e = edges[active[i]];
        double from = std::max(e.y_top, from_y) - e.y_top;
        double to = std::min(e.y_bottom, to_y) - e.y_top;
        double a = e.x_top + from * e.slope, b = e.x_top + to * e.slope;
        low = std::min({low, a, b});
        high = std::max({high, a, b});
    }
    double clip_left = static_cast<double>(list->clip.left);
    double clip_right = static_cast<double>(list->clip.right);
    *left = static_cast<int64_t>(std::floor(std::clamp(low, clip_left, clip_right)));
    *right = static_cast<int64_t>(std::ceil(std::clamp(high, clip_left, clip_right))) + 1;
    *right = std::min(*right, list->clip.right);
    clear_strip();
    strip_top = top;
    strip_rows = bottom - top;
    strip_left = *left;
    columns = std::max<int64_t>(*right - *left, 0);
    stride = columns + 2;
    strip_added = false;
    for (int64_t row = 0; row < strip_rows; ++row) {
        touched_left[row] = columns;
        touched_right[row] = 0;
    }
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

size_t coverage_scanner::row_pieces(double top) {
    const scan_edge *edges = list->edges.items;
    size_t n = 0;
    cuts.count = 0;
    cuts.push(top);
    for (size_t i = 0; i < active.count; ++i) {
        const scan_edge &e = edges[active[i]];
        if (e.y_bottom <= top || e.y_top >= top + 1) continue;
        double y0 = std::max(e.y_top, top), y1 = std::min(e.y_bottom, top + 1);
        double x0 = e.x_top + (y0 - e.y_top) * e.slope, x1 = e.x_top + (y1 - e.y_top) * e.slope;
        in_row[n++] = piece{x0, x1, y0, y1, 0, e.slope, e.winding};
        // Where an edge begins or ends within the row, the order of the edges may change.
        if (y0 > top) cuts.push(y0);
        if (y1 < top + 1) cuts.push(y1);
    }
    cuts.push(top + 1);
    std::sort(cuts.items, cuts.items + cuts.count);
    // Every edge ends at a cut, so that each band's edges all run its full height.
    size_t kept = 1;
    for (size_t i = 1; i < cuts.count; ++i)
        if (cuts[i] != cuts[kept - 1]) cuts[kept++] = cuts[i];
    cuts.count = kept;
    return n;
}

size_t coverage_scanner::band_pieces(double top, double bottom) {
    // The live edges are kept in their order at the band before: one pass of insertion puts
    // them in order for this band, where they seldom change places.
    double middle = (top + bottom) / 2;
    for (size_t i = 0; i < live.count; ++i) {
        piece &r = live[i];
        double at = std::clamp(middle, r.y_top, r.y_bottom);
        r.x_middle = r.x_top + (at - r.y_top) * r.slope;
        piece moving = r;
        size_t j = i;
        for (; j > 0 && live[j - 1].x_middle > moving.x_middle; --j) live[j] = live[j - 1];
        live[j] = moving;
    }
    size_t n = 0;
    for (size_t i = 0; i < live.count; ++i) {
        const piece &r = live[i];
        if (r.y_bottom <= top || r.y_top >= bottom) continue;
        double y0 = std::max(r.y_top, top), y1 = std::min(r.y_bottom, bottom);
        pieces[n++] = piece{r.x_top + (y0 - r.y_top) * r.slope,
                            r.x_top + (y1 - r.y_top) * r.slope,
                            y0,
                            y1,
                            r.x_middle,
                            r.slope,
                            r.winding};
    }
    return n;
}

void coverage_scanner::accumulate_row(int64_t row) {
    size_t in_row_count = row_pieces(static_cast<double>(strip_top + row));
    if (in_row_count == 0) return;
    // Edges join the live ones at the band they begin in and leave after the band they end
    // in, so that each band sorts only the edges that reach it.
    std::sort(in_row.items, in_row.items + in_row_count,
              [](const piece &a, const piece &b) { return a.y_top < b.y_top; });
    size_t joining = 0;
    live.count = 0;
    for (size_t k = 0; k + 1 < cuts.count; ++k) {
        double top = cuts[k], bottom = cuts[k + 1];
        if (bottom <= top) continue;
        size_t kept = 0;
        for (size_t i = 0; i < live.count; ++i)
            if (live[i].y_bottom > top) live[kept++] = live[i];
        live.count = kept;
        for (; joining < in_row_count && in_row[joining].y_top < bottom; ++joining)
            if (in_row[joining].y_bottom > top) live[live.count++] = in_row[joining];
        add_band(row, top, bottom, k_crossing_cuts);
    }
}

void coverage_scanner::add_band(int64_t row, double top, double bottom, int cuts_left) {
    size_t n = band_pieces(top, bottom);
    // Edges that keep their order from the band's top to its bottom bound the same region all
    // the way down; where two cross, the band is cut where they cross, and each part again.
    for (size_t i = 1; i < n && cuts_left > 0 && bottom - top >= k_least_band; ++i) {
        const piece &a = pieces[i - 1], &b = pieces[i];
        if (a.x_top <= b.x_top && a.x_bottom <= b.x_bottom) continue;
        // Where the height found falls outside the band (rounding, or edges of one slope),
        // the band is halved.
        double gap = a.x_top + (top - a.y_top) * a.slope - (b.x_top + (top - b.y_top) * b.slope);
        double at = top + gap / (b.slope - a.slope);
        if (!(at > top && at < bottom)) at = (top + bottom) / 2;
        add_band(row, top, at, cuts_left - 1);
        add_band(row, at, bottom, cuts_left - 1);
        return;
    }
    add_sorted_band(row, n);
}

void coverage_scanner::add_strip_edges() {
    // Each edge down the strip's rows, a row at a time.
    const scan_edge *edges = list->edges.items;
    double top = static_cast<double>(strip_top), bottom = top + static_cast<double>(strip_rows);
    for (size_t i = 0; i < active.count; ++i) {
        const scan_edge &e = edges[active[i]];
        double y0 = std::max(e.y_top, top), y1 = std::min(e.y_bottom, bottom);
        double x0 = e.x_top + (y0 - e.y_top) * e.slope;
        for (auto row = static_cast<int64_t>(y0 - top); y0 < y1; ++row) {
            double below = std::min(top + static_cast<double>(row + 1), y1);
            double x1 = e.x_top + (below - e.y_top) * e.slope;
            add_region_edge(row, x0, x1, (below - y0) * e.winding);
            y0 = below;
            x0 = x1;
        }
    }
}

void coverage_scanner::add_sorted_band(int64_t row, size_t n) {
    // Across the band, left to right, the winding number turns from zero (the edge bounds the
    // region on its left) or back to zero (on its right). Every edge runs the band's full
    // height, so each region's two sides cancel right of it exactly.
    int winding = 0;
    for (size_t i = 0; i < n; ++i) {
        const piece &p = pieces[i];
        int before = winding;
        winding += p.winding;
        if ((before == 0) == (winding == 0)) continue;
        double height = p.y_bottom - p.y_top;
        add_region_edge(row, p.x_top, p.x_bottom, before == 0 ? height : -height);
    }
}

void coverage_scanner::add_region_edge(int64_t row, double x0, double x1, double height) {
    // Parts left of the clip count as lying on its left border, parts right of it as on its
    // right border: what lies right of the edge within the clip is the same.
    double left = static_cast<double>(list->clip.left);
    double right = static_cast<double>(list->clip.right);
    if (x0 < left || x1 < left || x0 > right || x1 > right) {
        for (double border : {left, right}) {
            if ((x0 < border) != (x1 < border) && x0 != border && x1 != border) {
                double part = height * (border - x0) / (x1 - x0);
                add_region_edge(row, x0, border, part);
                add_region_edge(row, border, x1, height - part);
                return;
            }
        }
        x0 = std::clamp(x0, left, right);
        x1 = std::clamp(x1, left, right);
    }
    double origin = static_cast<double>(strip_left);
    add_columns(row, x0 - origin, x1 - origin, height);
}

void coverage_scanner::add_columns(int64_t row, double x0, double x1, double height) {
    // Each column the edge passes gets the area right of the edge within it, and the column
    // after it the rest of the edge's height there, so that every column further right adds
    // up the edge's full height.
    if (x0 > x1) std::swap(x0, x1);
    auto first = static_cast<int64_t>(x0), last = static_cast<int64_t>(x1);
    if (last > first && static_cast<double>(last) == x1) --last;
    // Right of the strip's last column nothing shows.
    if (first >= columns) {
        // Still, a region it closes ends there.
        touched_right[row] = columns;
        return;
    }
    last = std::min(last, columns - 1);
    float *change = changes.items + row * stride;
    if (first == last) {
        double area = height * (static_cast<double>(first + 1) - (x0 + x1) / 2);
        change[first] += static_cast<float>(area);
        change[first + 1] += static_cast<float>(height - area);
    } else {
        // The first column holds a triangle of the edge's part there, whole columns between
        // half their height, and the last column the rest.
        double per_x = height / (x1 - x0), half = per_x / 2;
        double d = static_cast<double>(first + 1) - x0, area = half * d * d;
        change[first] += static_cast<float>(area);
        double rest = per_x * d - area;
        for (int64_t column = first + 1; column < last; ++column) {
            change[column] += static_cast<float>(rest + half);
            rest = half;
        }
        double e = std::min(x1, static_cast<double>(last + 1)) - static_cast<double>(last);
        double h = e * per_x;
        area = h * (1 - e / 2);
        change[last] += static_cast<float>(rest + area);
        change[last + 1] += static_cast<float>(h - area);
    }
    touched_left[row] = std::min(touched_left[row], first);
    touched_right[row] = std::max(touched_right[row], last + 1);
}
