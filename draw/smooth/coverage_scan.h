// The scan converter of smooth shapes: closed outlines as straight edges, turned into the share
// of each pixel they cover under the non-zero winding rule, a strip of rows at a time. One
// outline that crosses nothing is wound once wherever it covers, so the area each edge has on
// its right, added up along the row, is each pixel's coverage. Where outlines may overlap or
// cross, a pixel row is cut into bands in which no edge begins, ends or crosses another (or,
// where they do, into finer bands); in each band only the edges where the winding number turns
// from zero or back to zero bound the covered region, and their areas are added up.
#ifndef ZELVAN_DRAW_COVERAGE_SCAN_H
#define ZELVAN_DRAW_COVERAGE_SCAN_H

#include "draw/smooth/grow_array.h"

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
    // The outlines added, and whether one of them may cross itself.
    size_t outlines = 0;
    bool may_cross = false;
    explicit edge_list(const scan_clip &c) : clip(c) {}
    // Empties the list for another call's outlines, within `c`.
    void restart(const scan_clip &c) {
        edges.clear();
        clip = c;
        outlines = 0;
        may_cross = false;
    }

    // A closed outline through `count` points, in the order given, which may cross itself.
    void add_outline(const scan_point *points, size_t count);
    // A closed outline that winds one way wherever it covers (a disc, a ring, a convex piece,
    // a stroke's run, which may cross itself when `crosses_itself`), turned round when its
    // area is negative: the pieces of a stroke all wind the same way, so where they overlap
    // they add up instead of cancelling.
    void add_piece(const scan_point *points, size_t count, bool crosses_itself = false);
    // Whether every point is wound at most once: one outline that crosses nothing.
    bool wound_once() const { return outlines == 1 && !may_cross; }

  private:
    void add_line(scan_point a, scan_point b);
    void add_closed(const scan_point *points, size_t count);
};

// Walks the rows of an edge list top to bottom in strips, and gives the coverage of each
// pixel a strip's rows touch.
struct coverage_scanner {
    // The most rows of one strip.
    static constexpr int64_t k_strip_rows = 16;
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
    bool wound_once = false;
    size_t next = 0; // the first edge not yet taken in, edges being sorted by y_top
    grow_array<uint32_t> active;
    grow_array<crossing> crossings;
    grow_array<piece> in_row; // the edges' parts within the row being scanned
    grow_array<piece> live;   // those that reach the band being scanned
    grow_array<piece> pieces; // their parts within the band, in order
    grow_array<double> cuts;  // the heights the row is cut into bands at
    // The strip's rows, `stride` floats apart, of changes in coverage: the share covered from
    // column x on changes by the value at x (columns counted from `strip_left`). Every value is
    // zero again once its row has been read out.
    grow_array<float> changes;
    int64_t strip_top = 0, strip_rows = 0, strip_left = 0, columns = 0, stride = 0;
    bool strip_added = false; // whether a wound-once strip's edges are in `changes` yet
    // Per row of the strip, the columns [touched_left, touched_right] that hold changes; an
    // untouched row has touched_left == columns and touched_right == 0.
    int64_t touched_left[k_strip_rows] = {}, touched_right[k_strip_rows] = {};

    // Sorts the edges and makes the scanner's arrays; false when there is no memory.
    bool start(edge_list *edges);
    // The rows from the first edge to the last, within the clip.
    int64_t first_row() const;
    int64_t end_row() const;
    // Takes in the edges that reach rows [top, bottom), at most k_strip_rows, and gives the
    // columns [left, right) they can cover there; false when they cover nothing.
    bool begin_strip(int64_t top, int64_t bottom, int64_t *left, int64_t *right);
    // Gives `pixel(x, coverage)`, or `run(from, to, coverage)` for pixels [from, to) covered
    // alike, for every pixel of row `y` that the shape touches, left to right, with coverage
    // from 1 to k_full_coverage. Rows go in order within a strip.
    template <typename Pixel, typename Run> void scan_row(int64_t y, Pixel pixel, Run run);
    // Gives `span(left, right)` for the pixels of row `y` whose centres the shape holds.
    template <typename Span> void centre_spans(int64_t y, Span span);

  private:
    void clear_strip();
    void add_strip_edges();
    void accumulate_row(int64_t row);
    size_t cross_at(double y);
    size_t row_pieces(double top);
    size_t band_pieces(double top, double bottom);
    void add_band(int64_t row, double top, double bottom, int cuts_left);
    void add_sorted_band(int64_t row, size_t count);
    void add_region_edge(int64_t row, double x0, double x1, double height);
    void add_columns(int64_t row, double x0, double x1, double height);
};

template <typename Pixel, typename Run>
void coverage_scanner::scan_row(int64_t y, Pixel pixel, Run run) {
    int64_t row = y - strip_top;
    if (!wound_once) {
        accumulate_row(row);
    } else if (!strip_added) {
        add_strip_edges();
        strip_added = true;
    }
    float *change = changes.items + row * stride;
    int64_t from = touched_left[row], to = touched_right[row];
    float sum = 0;
    for (int64_t i = from; i < to;) {
        sum += change[i];
        change[i] = 0;
        // Columns where nothing changes are covered alike: the inside of a shape.
        int64_t j = i + 1;
        while (j < to && change[j] == 0) ++j;
        auto covered = static_cast<int32_t>(std::fabs(sum) * k_full_coverage + 0.5f);
        covered = std::min(covered, k_full_coverage);
        if (covered > 0) {
            if (j == i + 1)
                pixel(strip_left + i, covered);
            else
                run(strip_left + i, strip_left + j, covered);
        }
        i = j;
    }
    change[to] = 0;
    touched_left[row] = columns;
    touched_right[row] = 0;
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
