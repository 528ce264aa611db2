// Radial points of arcs and pies. The platform uses only their direction from the centre,
// so both lie 100 pixels out whatever the radius.
#include "draw/arc_points.h"

#include "draw/draw_call.h"

#include <cmath>
#include <cstring>

namespace {

const double k_radial_length = 100.0;
const double k_radians_per_degree = 0.017453292519943295;
// 360.0f read as a signed integer: every positive sweep from a full turn up (infinity and
// positive NaNs included) compares at or above it, and no negative sweep does.
const int32_t k_full_turn_bits = 0x43B40000;

// The point 100 pixels from the centre in the direction `radians`, each offset rounded
// toward zero.
POINT radial_point(int xc, int yc, double radians) {
    auto dx = static_cast<int64_t>(std::trunc(k_radial_length * std::cos(radians)));
    auto dy = static_cast<int64_t>(std::trunc(k_radial_length * std::sin(-radians)));
    return POINT{saturate_int(xc + dx), saturate_int(yc + dy)};
}

} // namespace

RECT circle_box(int xc, int yc, int radius) {
    int64_t r = radius;
    return RECT{saturate_int(xc - r), saturate_int(yc - r), saturate_int(xc + r),
                saturate_int(yc + r)};
}

arc_points radial_points(int xc, int yc, float start, float sweep) {
    // An infinite or NaN start has no direction: it is taken as 0 degrees rather than turned
    // into an undefined integer conversion.
    double start_degrees = std::isfinite(start) ? static_cast<double>(start) : 0.0;
    arc_points points;
    points.start = radial_point(xc, yc, start_degrees * k_radians_per_degree);
    points.end = points.start;
    int32_t sweep_bits;
    std::memcpy(&sweep_bits, &sweep, sizeof sweep_bits);
    // Coinciding radials make the platform draw the whole ellipse.
    if (sweep_bits >= k_full_turn_bits) return points;
    double end_degrees = start_degrees + static_cast<double>(sweep);
    // A sweep with no finite end (minus infinity, a negative NaN) leaves the radials
    // coinciding too: the whole ellipse, like every other full turn.
    if (!std::isfinite(end_degrees)) return points;
    points.end = radial_point(xc, yc, end_degrees * k_radians_per_degree);
    return points;
}
