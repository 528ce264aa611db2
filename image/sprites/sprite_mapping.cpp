// The inverse map of a scaled, turned and mirrored draw, and the pixels it may reach.
#include "image/sprites/sprite_mapping.h"

#include <algorithm>
#include <cmath>

namespace {

const double k_pi = 3.14159265358979323846;
// Far beyond any buffer, and small enough for every sum below to stay exact in a double.
const double k_far = 1e15;

// The cosine and sine of a turn, exact for quarter turns so that those carry pixel centres onto
// pixel centres.
void turn_of(double degrees, double *c, double *s) {
    double a = std::fmod(degrees, 360.0);
    if (a < 0) a += 360.0;
    if (a == 0 || a == 90 || a == 180 || a == 270) {
        int quarter = static_cast<int>(a) / 90;
        const double cosines[4] = {1, 0, -1, 0}, sines[4] = {0, 1, 0, -1};
        *c = cosines[quarter];
        *s = sines[quarter];
        return;
    }
    *c = std::cos(a * (k_pi / 180));
    *s = std::sin(a * (k_pi / 180));
}

int64_t pixel_index(double value) {
    return static_cast<int64_t>(std::clamp(value, -k_far, k_far));
}

// Narrows [*lo, *hi] to the offsets d for which base + d * step may lie in [low, high). Where the
// step is 0 the row is all in or all out; the tolerance leaves the decision at the very edge
// to the walk, which tests every pixel.
void narrow(double base, double step, double low, double high, double *lo, double *hi) {
    if (step == 0) {
        if (base < low - 1e-6 || base >= high + 1e-6) *lo = k_far, *hi = -k_far;
        return;
    }
    double a = (low - base) / step, b = (high - base) / step;
    *lo = std::max(*lo, std::min(a, b));
    *hi = std::min(*hi, std::max(a, b));
}

} // namespace

bool sprite_mapping_make(const sprite_draw &d, int bitmap_width, int bitmap_height,
                         sprite_mapping *m) {
    int64_t left = std::max(d.src_x, 0), top = std::max(d.src_y, 0);
    int64_t right = std::min<int64_t>(int64_t{d.src_x} + d.src_width, bitmap_width);
    int64_t bottom = std::min<int64_t>(int64_t{d.src_y} + d.src_height, bitmap_height);
    if (left >= right || top >= bottom) return false;
    m->left = static_cast<int>(left);
    m->top = static_cast<int>(top);
    m->right = static_cast<int>(right);
    m->bottom = static_cast<int>(bottom);

    double c, s;
    turn_of(d.angle, &c, &s);
    // Bitmap pixels per destination pixel along each side, negative when mirrored.
    double kx = (d.flip_x ? -1.0 : 1.0) * d.src_width / d.width;
    double ky = (d.flip_y ? -1.0 : 1.0) * d.src_height / d.height;
    m->centre_x = d.x + d.width / 2.0;
    m->centre_y = d.y + d.height / 2.0;
    // The destination's centre lands on the source rectangle's centre, mirrored or not.
    m->u_centre = d.src_x + d.src_width / 2.0;
    m->v_centre = d.src_y + d.src_height / 2.0;
    // The turn is undone first (a turn by -angle, y downwards), then the scale and mirror.
    m->du_dx = kx * c;
    m->du_dy = -kx * s;
    m->dv_dx = ky * s;
    m->dv_dy = ky * c;

    // The box: the source's corners carried forward onto the destination.
    double min_x = k_far, max_x = -k_far, min_y = k_far, max_y = -k_far;
    for (double u : {double(left), double(right)})
        for (double v : {double(top), double(bottom)}) {
            double qx = (u - m->u_centre) / kx, qy = (v - m->v_centre) / ky;
            double px = m->centre_x + qx * c + qy * s, py = m->centre_y - qx * s + qy * c;
            min_x = std::min(min_x, px), max_x = std::max(max_x, px);
            min_y = std::min(min_y, py), max_y = std::max(max_y, py);
        }
    // Pixels whose centres lie within, and one more at each side for the rounding.
    m->box_left = pixel_index(std::floor(min_x - 0.5));
    m->box_right = pixel_index(std::floor(max_x - 0.5) + 2);
    m->box_top = pixel_index(std::floor(min_y - 0.5));
    m->box_bottom = pixel_index(std::floor(max_y - 0.5) + 2);
    return true;
}

bool sprite_draw_is_plain(const sprite_draw &d) {
    return std::fmod(d.angle, 360.0) == 0 && !d.flip_x && !d.flip_y && d.width == d.src_width &&
           d.height == d.src_height;
}

void sprite_row_span(const sprite_mapping &m, int64_t py, int64_t *first, int64_t *last) {
    double dy = static_cast<double>(py) + 0.5 - m.centre_y;
    double lo = -k_far, hi = k_far;
    narrow(m.u_centre + dy * m.du_dy, m.du_dx, m.left, m.right, &lo, &hi);
    narrow(m.v_centre + dy * m.dv_dy, m.dv_dx, m.top, m.bottom, &lo, &hi);
    if (lo > hi) {
        *first = *last = m.box_left;
        return;
    }
    // From offsets to columns: px + 0.5 - centre_x = offset.
    *first = std::max(m.box_left, pixel_index(std::floor(lo + m.centre_x - 0.5) - 1));
    *last = std::min(m.box_right, pixel_index(std::ceil(hi + m.centre_x - 0.5) + 2));
    if (*last < *first) *last = *first;
}
