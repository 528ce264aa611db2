// The scan converter of smooth shapes: closed outlines as straight edges, turned into the share
// of each pixel they cover under the non-zero winding rule. A pixel row is cut into bands in
// which no edge begins, ends or crosses another (or, where they do, into quarters); in each
// band the edges where the winding number turns from zero or back to zero bound the covered
// region, and the area each pixel has right of those edges is added up exactly.
#ifndef ZELVAN_DRAW_COVERAGE_SCAN_H
#define ZELVAN_DRAW_COVERAGE_SCAN_H

#include "draw/grow_array.h"

#include <algorithm>
#include <cmath>
#include <stdint.h>

// A point of an outline in buffer coordinates: pixel (x, y) is the square [x, x + 1) x [y, y + 1).
struct scan_point {
    double x, y;
};

// [left, right) x [top, bottom) in pixels.
struct scan_clip {
    int64_t left, top, right, bottom;
};

struct scan_edge {
    double y_top, y_bottom; // y_top < y_bottom, both within the clip's rows
    double x_top;           // x at y_top
    double slope;           // x change per unit of y
    int winding;            // +1 for an edge running down the screen, -1 for one running up
};

// The coverage of a pixel when the shape covers all of it.
const int k_full_coverage = 4096;

// The edges of everything one colour paints in one call, clipped to the buffer as they come:
// edges above or below it are dropped, and edges wholly left or right of it are moved onto its
// border, where they still count in the winding but cost nothing.
struct edge_list {
    grow_array<scan_edge> edges;
    scan_clip clip;
    explicit edge_list(const scan_clip &c) : clip(c) {}

    void add_line(scan_point a, scan_point b);
    // The closed outline through `count` points, in the order given.
    void add_outline(const scan_point *points, size_t count);
    // The same, turned round when its area is negative: the pieces of a stroke all wind the
    // same way, so where they overlap they add up instead of cancelling.
    void add_piece(const scan_point *points, size_t count);
};

// Walks the rows of an edge list top to bottom in strips, and gives the coverage of each
// pixel a strip's rows touch.
struct coverage_scanner {
    struct crossing {
        double x;
        int winding;
    };
    // An edge's part within the band being scanned.
    struct piece {
        double x_top, x_bottom, y_top, y_bottom, x_middle, slope;
        int winding;
    };
    const edge_list *list = nullptr;
    size_t next = 0; // the first edge not yet taken in, edges being sorted by y_top
    grow_array<uint32_t> active;
    grow_array<crossing> crossings;
    grow_array<piece> in_row; // the edges' parts within the row being scanned
    grow_array<piece> pieces; // within the band being scanned, in order
    grow_array<double> cuts;  // the heights the row is cut into bands at
    // Per column of the clip (and two beyond): coverage changes from this column on, and the
    // part of this column alone; both return to zero as a row is read out.
    grow_array<float> cover;
    grow_array<float> area;
    int64_t touched_left = 0, touched_right = 0; // columns of the current row, relative to clip

    // Sorts the edges and makes the scanner's arrays; false when there is no memory.
    bool start(edge_list *edges);
    // The rows from the first edge to the last, within the clip.
    int64_t first_row() const;
    int64_t end_row() const;
    // Takes in the edges that reach rows [top, bottom) and gives the columns [left, right)
    // they can cover there; false when they cover nothing.
    bool begin_strip(int64_t top, int64_t bottom, int64_t *left, int64_t *right);
    // Gives `pixel(x, coverage)`, or `run(from, to, coverage)` for pixels [from, to) covered
    // alike, for every pixel of row `y` that the shape touches, left to right, with coverage
    // from 1 to k_full_coverage. Rows go in order within a strip.
    template <typename Pixel, typename Run> void scan_row(int64_t y, Pixel pixel, Run run);
    // Gives `span(left, right)` for the pixels of row `y` whose centres the shape holds.
    template <typename Span> void centre_spans(int64_t y, Span span);

  private:
    void accumulate_row(int64_t y);
    size_t cross_at(double y);
    size_t row_pieces(double top);
    size_t band_pieces(size_t in_row_count, double top, double bottom);
    void add_sorted_band(size_t count, double middle);
    void add_region_edge(double x0, double y0, double x1, double y1, float sign);
    void add_columns(double x0, double y0, double x1, double y1, float sign);
};

template <typename Pixel, typename Run>
void coverage_scanner::scan_row(int64_t y, Pixel pixel, Run run) {
    accumulate_row(y);
    float *c = cover.items, *a = area.items;
    auto coverage = [](float share) {
        auto covered = static_cast<int32_t>(share * k_full_coverage + 0.5f);
        return std::min(covered, k_full_coverage);
    };
    float sum = 0;
    int64_t left = list->clip.left;
    for (int64_t i = touched_left; i < touched_right;) {
        sum += c[i];
        int32_t covered = coverage(sum + a[i]);
        c[i] = 0;
        a[i] = 0;
        if (covered > 0) pixel(left + i, covered);
        // Columns where nothing changes keep the coverage of the sum: the inside of a shape.
        int64_t j = ++i;
        while (j < touched_right && c[j] == 0 && a[j] == 0) ++j;
        if (j == i) continue;
        covered = coverage(sum);
        if (covered > 0) run(left + i, left + j, covered);
        i = j;
    }
    c[touched_right] = 0;
    a[touched_right] = 0;
}

template <typename Span> void coverage_scanner::centre_spans(int64_t y, Span span) {
    size_t n = cross_at(static_cast<double>(y) + 0.5);
    int winding = 0;
    double from = 0;
    for (size_t i = 0; i < n; ++i) {
        int before = winding;
        winding += crossings[i].winding;
        if (before == 0 && winding != 0) from = crossings[i].x;
        if (before == 0 || winding != 0) continue;
        // Pixel x is inside when its centre x + 0.5 lies in [from, to).
        double left = std::ceil(from - 0.5), right = std::ceil(crossings[i].x - 0.5);
        left = left < list->clip.left ? list->clip.left : left;
        right = right > list->clip.right ? list->clip.right : right;
        if (left < right) span(static_cast<int64_t>(left), static_cast<int64_t>(right));
    }
}

#endif
