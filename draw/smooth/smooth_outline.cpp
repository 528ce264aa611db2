// Discs, sectors, arcs and paths as polygons, and strokes as overlapping pieces of one winding.
#include "draw/smooth/smooth_outline.h"

#include <algorithm>

namespace {

const double k_pi = 3.14159265358979323846;
// The largest gap between a chord and its arc; vertices sit half of it outside the circle,
// so the polygon strays at most half of it either way.
const double k_chord_gap = 0.12;
// Curves are followed closely this far outside the clip, so that nothing at its border shows
// a chord.
const double k_clip_margin = 2.0;
// A join turning so little that a straight bevel strays less than this from the round join
// is drawn as the bevel.
const double k_bevel_gap = 0.02;

// 1 - cos(a), without losing the small values.
double versine(double a) {
    double s = std::sin(a / 2);
    return 2 * s * s;
}

struct arc_walk {
    grow_array<scan_point> *points;
    scan_point centre;
    double radius;
    double bulge_past_chord; // how far the arc of one piece strays from its chord, at most
    double left, top, right, bottom;

    scan_point at(double t) const {
        return scan_point{centre.x + radius * std::cos(t), centre.y + radius * std::sin(t)};
    }
    bool misses(scan_point a, scan_point b, double bulge) const {
        return std::max(a.x, b.x) + bulge < left || std::min(a.x, b.x) - bulge > right ||
               std::max(a.y, b.y) + bulge < top || std::min(a.y, b.y) - bulge > bottom;
    }
    // Halves the piece from `t0` to `t1` `depth` times where it can show; a piece wholly
    // outside becomes its chord, which crosses the clip's rows as often, and in the same
    // direction, as the arc does.
    void walk(double t0, double t1, scan_point p0, scan_point p1, int depth) {
        double bulge = radius * versine((t1 - t0) / 2);
        if (depth == 0 || misses(p0, p1, bulge)) {
            points->push(p1);
            return;
        }
        double middle = (t0 + t1) / 2;
        scan_point p = at(middle);
        walk(t0, middle, p0, p, depth - 1);
        walk(middle, t1, p, p1, depth - 1);
    }
};

void add_disc_piece(outline_builder *out, scan_point centre, double radius) {
    out->piece.count = 0;
    add_arc_points(&out->piece, out->edges.clip, centre, radius, 0, 2 * k_pi);
    out->edges.add_piece(out->piece.items, out->piece.count);
}

// Whether a piece reaching `reach` around the box of a and b can touch the clip at all.
bool near_clip(const scan_clip &clip, scan_point a, scan_point b, double reach) {
    return std::max(a.x, b.x) + reach >= clip.left && std::min(a.x, b.x) - reach <= clip.right &&
           std::max(a.y, b.y) + reach >= clip.top && std::min(a.y, b.y) - reach <= clip.bottom;
}

// The band of the given width along an arc, its ends cut square, or round with `caps`.
void arc_band(outline_builder *out, double width, scan_point centre, double radius, double from,
              double turn, bool caps) {
    double half = width / 2, inner = radius - half;
    out->piece.count = 0;
    add_arc_points(&out->piece, out->edges.clip, centre, radius + half, from, turn);
    if (inner > 0)
        add_arc_points(&out->piece, out->edges.clip, centre, inner, from + turn, -turn);
    else
        out->piece.push(centre);
    out->edges.add_piece(out->piece.items, out->piece.count);
    if (!caps) return;
    for (double t : {from, from + turn}) {
        scan_point end{centre.x + radius * std::cos(t), centre.y + radius * std::sin(t)};
        if (near_clip(out->edges.clip, end, end, half)) add_disc_piece(out, end, half);
    }
}

scan_point across(scan_point a, scan_point b, double half) {
    double dx = b.x - a.x, dy = b.y - a.y, length = std::hypot(dx, dy);
    return scan_point{-dy / length * half, dx / length * half};
}

// How the stroke turns at a corner: not at all, slightly (a straight bevel strays less than
// k_bevel_gap from the round join), or enough to need the round join.
enum class bend { straight, slight, round };

bend bend_at(scan_point before, scan_point at, scan_point after, double half) {
    double ax = at.x - before.x, ay = at.y - before.y, bx = after.x - at.x, by = after.y - at.y;
    double cross = ax * by - ay * bx, dot = ax * bx + ay * by;
    if (cross == 0 && dot > 0) return bend::straight;
    double turn = std::atan2(std::fabs(cross), dot);
    return half * versine(turn / 2) < k_bevel_gap ? bend::slight : bend::round;
}

// The side of the stroke a slight bend at `at` turns away from: +1 the side of across() of the
// segment after it, -1 the other; 0 for none. Its wedge between the two segments' bodies is
// the bend's bevel.
int outer_side(scan_point before, scan_point at, scan_point after) {
    double turn = (at.x - before.x) * (after.y - at.y) - (at.y - before.y) * (after.x - at.x);
    return turn > 0 ? -1 : turn < 0 ? 1 : 0;
}

// The wedge between two segments' bodies on the inner side of a slight bend at `at`, where it
// does not lie within the body before or the one after: both are shorter than the pen's half.
void add_inner_wedge(outline_builder *out, scan_point before, scan_point at, scan_point after,
                     double half, int outer) {
    if (std::hypot(at.x - before.x, at.y - before.y) >= half ||
        std::hypot(after.x - at.x, after.y - at.y) >= half)
        return;
    scan_point p = across(before, at, half), s = across(at, after, half);
    scan_point inner[3] = {
        at, {at.x - outer * p.x, at.y - outer * p.y}, {at.x - outer * s.x, at.y - outer * s.y}};
    out->edges.add_piece(inner, 3);
}

// Whether the stroke can run on through `at` as one outline: it bends there slightly or not
// at all, and the point where the two segments' sides meet inside the bend is set back from
// `at` by less than half of either segment, so that the inner side never runs backwards.
bool runs_on(scan_point before, scan_point at, scan_point after, double half) {
    if (bend_at(before, at, after, half) == bend::round) return false;
    double ax = at.x - before.x, ay = at.y - before.y, bx = after.x - at.x, by = after.y - at.y;
    double la = std::hypot(ax, ay), lb = std::hypot(bx, by);
    // half * tan(turn / 2), from the cross and dot products.
    double setback = half * std::fabs(ax * by - ay * bx) / (la * lb + ax * bx + ay * by);
    return setback < la / 2 && setback < lb / 2;
}

// Where the side `side` (+1 on the side of across(), -1 the other) of the stroke turns at
// `at`, walking from `from` towards `to`: the point the two sides meet at inside the bend, or
// both sides' ends, joined by a bevel, outside it.
void add_side_turn(grow_array<scan_point> *points, scan_point from, scan_point at, scan_point to,
                   double half, int side) {
    double turn = (at.x - from.x) * (to.y - at.y) - (at.y - from.y) * (to.x - at.x);
    if (turn == 0) return;
    scan_point a = across(from, at, half), b = across(at, to, half);
    // The path turns towards its inner side.
    bool inner = (turn > 0) == (side > 0);
    if (!inner) {
        points->push(scan_point{at.x + side * a.x, at.y + side * a.y});
        points->push(scan_point{at.x + side * b.x, at.y + side * b.y});
        return;
    }
    double reach = side / (1 + (a.x * b.x + a.y * b.y) / (half * half));
    points->push(scan_point{at.x + (a.x + b.x) * reach, at.y + (a.y + b.y) * reach});
}

// The stroke along path[first] to path[last], which bends only slightly at the points between,
// as one outline: the side on one hand out to the last point, a half disc round it when
// `round_last`, the other side back, and a half disc round the first point when `round_first`.
// One segment's outline crosses nothing, which the scan converter takes fastest; a longer
// run's may, where the path comes back over itself. Where two runs meet, the half discs of
// both make the round join; after a slight bend at the first point, coming from `before`
// (null for none), the outline takes in the wedge between the runs on the bend's outer side.
void add_run(outline_builder *out, const scan_point *path, size_t first, size_t last, double half,
             bool round_first, bool round_last, const scan_point *before = nullptr) {
    scan_point a = path[first], b = path[last];
    if (last == first + 1 && !near_clip(out->edges.clip, a, b, half)) return;
    scan_point s = across(a, path[first + 1], half), t = across(path[last - 1], b, half);
    int outer = before ? outer_side(*before, a, path[first + 1]) : 0;
    scan_point p = before ? across(*before, a, half) : scan_point{0, 0};
    if (outer != 0) add_inner_wedge(out, *before, a, path[first + 1], half, outer);
    grow_array<scan_point> &piece = out->piece;
    piece.count = 0;
    if (outer < 0) piece.push(a), piece.push(scan_point{a.x - p.x, a.y - p.y});
    piece.push(scan_point{a.x - s.x, a.y - s.y});
    for (size_t k = first + 1; k < last; ++k)
        add_side_turn(&piece, path[k - 1], path[k], path[k + 1], half, -1);
    piece.push(scan_point{b.x - t.x, b.y - t.y});
    if (round_last) add_arc_points(&piece, out->edges.clip, b, half, std::atan2(-t.y, -t.x), k_pi);
    piece.push(scan_point{b.x + t.x, b.y + t.y});
    // Walking back, the side of across() is the other hand.
    for (size_t k = last - 1; k > first; --k)
        add_side_turn(&piece, path[k + 1], path[k], path[k - 1], half, -1);
    piece.push(scan_point{a.x + s.x, a.y + s.y});
    if (outer > 0) piece.push(scan_point{a.x + p.x, a.y + p.y}), piece.push(a);
    if (round_first) add_arc_points(&piece, out->edges.clip, a, half, std::atan2(s.y, s.x), k_pi);
    out->edges.add_piece(piece.items, piece.count, last > first + 1);
}

// A solid stroke of the path, with round joins, and round caps at the ends of an open path
// when `caps`. Runs of segments that bend only slightly are one outline each.
void solid_path(outline_builder *out, double width, const scan_point *points, size_t count,
                bool closed, bool caps) {
    grow_array<scan_point> &path = out->path;
    path.count = 0;
    for (size_t i = 0; i < count; ++i)
        if (path.count == 0 || points[i].x != path[path.count - 1].x ||
            points[i].y != path[path.count - 1].y)
            path.push(points[i]);
    if (path.failed || path.count == 0) return;
    size_t n = path.count;
    if (closed && n > 1 && path[0].x == path[n - 1].x && path[0].y == path[n - 1].y) --n;
    double half = width / 2;
    if (n == 1) {
        // A path of one point: a dot, the pen's width across, when it has caps.
        if ((caps || closed) && near_clip(out->edges.clip, path[0], path[0], half))
            add_disc_piece(out, path[0], half);
        return;
    }
    // A closed path of two points goes there and back: an open line with round ends.
    if (closed && n == 2) closed = false, caps = true;
    // A closed path ends where it began: path[segments] is path[0] again.
    path.count = n;
    if (closed) path.push(path[0]);
    if (path.failed) return;
    size_t segments = closed ? n : n - 1;
    // The point before path[i] on the path, and how the stroke bends at path[i]; the ends of
    // an open path are round with caps.
    auto previous = [&](size_t i) {
        return i > 0 ? &path[i - 1] : closed ? &path[n - 1] : nullptr;
    };
    auto bend_of = [&](size_t i) {
        if (!closed && (i == 0 || i == segments)) return caps ? bend::round : bend::straight;
        return bend_at(*previous(i % segments), path[i], path[i + (i < segments ? 1 : 1 - n)],
                       half);
    };
    const scan_clip &clip = out->edges.clip;
    for (size_t i = 0; i < segments;) {
        // Segments out of sight are left out: their ends are too far for a join to show.
        if (!near_clip(clip, path[i], path[i + 1], half)) {
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < segments && near_clip(clip, path[j], path[j + 1], half) &&
               runs_on(path[j - 1], path[j], path[j + 1], half))
            ++j;
        bend at_first = bend_of(i), at_last = bend_of(j);
        const scan_point *before = at_first == bend::slight ? previous(i) : nullptr;
        add_run(out, path.items, i, j, half, at_first == bend::round, at_last == bend::round,
                before);
        i = j;
    }
}

// The part [from, to] of the segment a-b (as distances from a, of its `length`) that comes
// within `reach` of the clip; from > to when none does.
void near_part(const scan_clip &clip, scan_point a, scan_point b, double length, double reach,
               double *from, double *to) {
    double t0 = 0, t1 = 1;
    double d[2] = {b.x - a.x, b.y - a.y}, p[2] = {a.x, a.y};
    double low[2] = {clip.left - reach, clip.top - reach};
    double high[2] = {clip.right + reach, clip.bottom + reach};
    for (int k = 0; k < 2; ++k) {
        if (d[k] == 0) {
            if (p[k] < low[k] || p[k] > high[k]) t0 = 1, t1 = 0;
            continue;
        }
        double u = (low[k] - p[k]) / d[k], v = (high[k] - p[k]) / d[k];
        if (u > v) std::swap(u, v);
        t0 = std::max(t0, u);
        t1 = std::min(t1, v);
    }
    *from = t0 * length;
    *to = t1 * length;
}

// Where a walk along a dashed path stands in its pattern.
struct dash_walk {
    const stroke_style &style;
    double period;
    int index = 0;
    double left; // of the current run
    grow_array<scan_point> run;

    explicit dash_walk(const stroke_style &s) : style(s), period(0), left(s.dashes[0]) {
        for (int i = 0; i < s.dash_count; ++i) period += s.dashes[i];
    }
    bool on() const { return index % 2 == 0; }
    void next_run() {
        index = (index + 1) % style.dash_count;
        left = style.dashes[index];
    }
    // Moves `distance` on without drawing: the runs there lie out of sight. Whole periods
    // are stepped over at once, so a line far longer than the buffer costs little.
    void pass(double distance) {
        if (distance <= left) {
            left -= distance;
            return;
        }
        distance -= left;
        next_run();
        distance = std::fmod(distance, period);
        while (distance > left) {
            distance -= left;
            next_run();
        }
        left -= distance;
    }
    // Walks from a to b (distances `from` to `to` of a segment of `length`) in sight, giving
    // each run that is on and ends here to `dash`.
    template <typename Dash>
    void walk(scan_point a, scan_point b, double length, double from, double to, Dash &dash) {
        auto at = [&](double distance) {
            double f = distance / length;
            return scan_point{a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f};
        };
        if (on()) run.push(at(from));
        while (to - from > left) {
            from += left;
            if (on()) {
                run.push(at(from));
                dash(run.items, run.count);
            }
            run.count = 0;
            next_run();
            if (on()) run.push(at(from));
        }
        left -= to - from;
        if (on()) run.push(at(to));
    }
    // Ends the run in hand where the path leaves sight.
    template <typename Dash> void cut(Dash &dash) {
        if (on() && run.count > 1) dash(run.items, run.count);
        run.count = 0;
    }
};

// Calls `dash(points, count)` for each run of the pattern that is on along the path and comes
// near the clip, the pattern starting with its first run at the path's first point.
template <typename Dash>
void walk_dashes(const scan_clip &clip, const stroke_style &style, const scan_point *points,
                 size_t count, bool closed, Dash dash) {
    dash_walk w(style);
    size_t segments = closed ? count : count - 1;
    double reach = style.width + k_clip_margin;
    for (size_t i = 0; i < segments; ++i) {
        scan_point a = points[i], b = points[(i + 1) % count];
        double length = std::hypot(b.x - a.x, b.y - a.y), from, to;
        if (!(length > 0) || !std::isfinite(length)) continue;
        near_part(clip, a, b, length, reach, &from, &to);
        if (from > to) {
            w.cut(dash);
            w.pass(length);
            continue;
        }
        if (from > 0) w.cut(dash), w.pass(from);
        w.walk(a, b, length, from, to, dash);
        if (to < length) w.cut(dash), w.pass(length - to);
    }
    w.cut(dash);
}

} // namespace

void add_arc_points(grow_array<scan_point> *points, const scan_clip &clip, scan_point centre,
                    double radius, double from, double turn) {
    if (!(radius > 0) || turn == 0) {
        points->push(radius > 0 ? scan_point{centre.x + radius * std::cos(from),
                                             centre.y + radius * std::sin(from)}
                                : centre);
        return;
    }
    // Pieces of at most a quarter turn, halved until a step's chord is close enough.
    int pieces = static_cast<int>(std::ceil(std::fabs(turn) / (k_pi / 2) - 1e-9));
    pieces = std::max(pieces, 1);
    double piece = turn / pieces, step = std::fabs(piece);
    int depth = 0;
    while (radius * versine(step / 2) > k_chord_gap && depth < 60) step /= 2, ++depth;
    // Vertices sit outside the circle by half the chord's gap, so that chords cut across it.
    double out = radius * 2 / (1 + std::cos(step / 2));
    arc_walk w{points,
               centre,
               out,
               out * versine(step / 2),
               clip.left - k_clip_margin,
               clip.top - k_clip_margin,
               clip.right + k_clip_margin,
               clip.bottom + k_clip_margin};
    points->push(w.at(from));
    bool inside = centre.x - out >= w.left && centre.x + out <= w.right &&
                  centre.y - out >= w.top && centre.y + out <= w.bottom;
    if (inside && depth < 20) {
        // Every step shows: turn the first point step by step, which costs no sines.
        int64_t steps = int64_t{pieces} << depth;
        double d = turn / static_cast<double>(steps), c = std::cos(d), s = std::sin(d);
        double x = out * std::cos(from), y = out * std::sin(from);
        if (!points->reserve(static_cast<size_t>(steps))) return;
        for (int64_t k = 1; k < steps; ++k) {
            double nx = x * c - y * s;
            y = x * s + y * c;
            x = nx;
            points->push(scan_point{centre.x + x, centre.y + y});
        }
        points->push(w.at(from + turn));
        return;
    }
    for (int i = 0; i < pieces; ++i) {
        double t0 = from + piece * i, t1 = i + 1 == pieces ? from + turn : t0 + piece;
        w.walk(t0, t1, w.at(t0), w.at(t1), depth);
    }
}

void fill_disc(outline_builder *out, scan_point centre, double radius) {
    if (!(radius > 0)) return;
    add_disc_piece(out, centre, radius);
}

void fill_sector(outline_builder *out, scan_point centre, double radius, double from, double turn) {
    if (!(radius > 0)) return;
    out->piece.count = 0;
    out->piece.push(centre);
    add_arc_points(&out->piece, out->edges.clip, centre, radius, from, turn);
    out->edges.add_piece(out->piece.items, out->piece.count);
}

void fill_box(outline_builder *out, double left, double top, double right, double bottom) {
    scan_point box[4] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
    out->edges.add_piece(box, 4);
}

void stroke_arc(outline_builder *out, const stroke_style &style, scan_point centre, double radius,
                double from, double turn) {
    if (!(radius > 0)) return;
    bool whole = std::fabs(turn) >= 2 * k_pi;
    if (whole) turn = turn > 0 ? 2 * k_pi : -2 * k_pi;
    if (!style.dash_count) return arc_band(out, style.width, centre, radius, from, turn, !whole);
    // Dashes follow the arc as a path of short chords.
    grow_array<scan_point> curve;
    add_arc_points(&curve, out->edges.clip, centre, radius, from, turn);
    if (curve.failed) out->path.failed = true;
    stroke_path(out, style, curve.items, curve.count, false);
}

void stroke_pie(outline_builder *out, const stroke_style &style, scan_point centre, double radius,
                double from, double turn) {
    if (style.dash_count) {
        // Dashes run on from the first radial round the arc and back along the second.
        grow_array<scan_point> path;
        path.push(centre);
        add_arc_points(&path, out->edges.clip, centre, radius, from, turn);
        if (path.failed) out->path.failed = true;
        return stroke_path(out, style, path.items, path.count, true);
    }
    double half = style.width / 2;
    if (std::fabs(turn) >= 2 * k_pi) turn = turn > 0 ? 2 * k_pi : -2 * k_pi;
    arc_band(out, style.width, centre, radius, from, turn, false);
    for (double t : {from, from + turn}) {
        scan_point end{centre.x + radius * std::cos(t), centre.y + radius * std::sin(t)};
        scan_point radial[2] = {centre, end};
        add_run(out, radial, 0, 1, half, true, false);
        if (near_clip(out->edges.clip, end, end, half)) add_disc_piece(out, end, half);
    }
}

void stroke_path(outline_builder *out, const stroke_style &style, const scan_point *points,
                 size_t count, bool closed) {
    if (count == 0) return;
    if (!style.dash_count) return solid_path(out, style.width, points, count, closed, true);
    walk_dashes(out->edges.clip, style, points, count, closed,
                [&](const scan_point *run, size_t n) {
                    solid_path(out, style.width, run, n, false, false);
                });
}
