// The outlines of smooth shapes as edges: discs, sectors and boxes to fill, and strokes (arcs
// and paths with round caps and joins, and their dashes). Circles become polygons fine enough
// that no point strays more than 0.06 pixels from the true curve, and the parts of a curve far
// outside the clip become a few long chords, so that any radius costs a few hundred points.
#ifndef ZELVAN_DRAW_SMOOTH_OUTLINE_H
#define ZELVAN_DRAW_SMOOTH_OUTLINE_H

#include "draw/smooth/coverage_scan.h"

// Where outlines are built: the edges they become, and room for the points of one piece. A
// window keeps one, so that its arrays keep their room from call to call.
struct outline_builder {
    edge_list edges{scan_clip{0, 0, 0, 0}};
    grow_array<scan_point> piece;
    grow_array<scan_point> path;
    // Empties the builder for the next outline, within `clip`.
    void restart(const scan_clip &clip) {
        edges.restart(clip);
        piece.clear();
        path.clear();
    }
    // True when an array could not grow: the outline is incomplete.
    bool failed() const { return edges.edges.failed || piece.failed || path.failed; }
};

// Angles here are in radians of the buffer's own orientation: a point at angle t lies at
// centre + radius * (cos t, sin t), y growing downwards.

// The points of the arc from `from` over `turn` (either sign), both ends included.
void add_arc_points(grow_array<scan_point> *points, const scan_clip &clip, scan_point centre,
                    double radius, double from, double turn);

void fill_disc(outline_builder *out, scan_point centre, double radius);
// The slice of the disc between the radii at `from` and `from + turn`.
void fill_sector(outline_builder *out, scan_point centre, double radius, double from, double turn);
void fill_box(outline_builder *out, double left, double top, double right, double bottom);

// How a stroke is drawn: its width, and its dash pattern (on and off lengths in pixels,
// starting with on), or none for a solid stroke.
struct stroke_style {
    double width;
    const double *dashes;
    int dash_count;
};

// A stroke along the arc of radius `radius`: round caps unless it turns a whole circle.
void stroke_arc(outline_builder *out, const stroke_style &style, scan_point centre, double radius,
                double from, double turn);
// The outline of a pie: from the centre out along the radial at `from`, round the arc of
// `radius` and back along the other radial.
void stroke_pie(outline_builder *out, const stroke_style &style, scan_point centre, double radius,
                double from, double turn);
// A stroke along the path through `count` points, closed back to the first when `closed`, with
// round joins, and round caps at the ends of an open path.
void stroke_path(outline_builder *out, const stroke_style &style, const scan_point *points,
                 size_t count, bool closed);

#endif
