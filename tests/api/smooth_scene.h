// The scene the smooth shapes are measured on, against cairo in the quality test and in the
// benchmark: filled circles, circle outlines of widths 1 to 7, lines of widths 1 to 9 at many
// angles, pies and a star polygon, each given once and drawn by either renderer.
#ifndef ZELVAN_TESTS_QUALITY_SMOOTH_SCENE_H
#define ZELVAN_TESTS_QUALITY_SMOOTH_SCENE_H

#include "zelvan.h"

#include <cmath>
#include <vector>

namespace smooth_scene {

const int k_width = 480, k_height = 360;

enum class kind { filled_circle, circle, line, pie, star };

struct shape {
    kind what;
    int x, y;   // the centre, or a line's first point
    int size;   // the radius, or nothing for a line
    int x2, y2; // a line's second point
    int width;  // the pen's
    float start, sweep;
    ZVCOLOUR pen, fill;
};

// The star's points, x and y, around (0, 0): a five-pointed star drawn in one stroke, which
// crosses itself, so its middle is filled by the non-zero rule only.
const int k_star[10] = {0, -60, 35, 48, -57, -18, 57, -18, -35, 48};

inline std::vector<shape> shapes() {
    std::vector<shape> s;
    const ZVCOLOUR ink[6] = {0x202020, 0x0000C0, 0xC04000, 0x008000, 0x800080, 0x0080C0};
    for (int i = 0; i < 6; ++i) {
        int r = 3 + i * 6;
        s.push_back({kind::filled_circle, 30 + i * 60 + i * i * 2, 40, r, 0, 0, 1, 0, 0, ink[i],
                     ink[(i + 2) % 6]});
    }
    for (int w = 1; w <= 7; ++w)
        s.push_back(
            {kind::circle, 30 + (w - 1) * 64, 110, 12 + w * 3, 0, 0, w, 0, 0, ink[w % 6], 0});
    for (int i = 0; i < 28; ++i) {
        // Lines of widths 1 to 9 from three hubs, at angles 13 degrees apart.
        int w = 1 + i % 9, cx = 60 + (i % 3) * 110, cy = 230;
        double a = i * 13.0 * 3.14159265358979 / 180;
        int x2 = cx + static_cast<int>(55 * std::cos(a)),
            y2 = cy - static_cast<int>(55 * std::sin(a));
        s.push_back({kind::line, cx, cy, 0, x2, y2, w, 0, 0, ink[i % 6], 0});
    }
    s.push_back({kind::pie, 400, 200, 40, 0, 0, 1, 20, 110, ink[1], 0xA0C0F0});
    s.push_back({kind::pie, 400, 200, 40, 0, 0, 3, 150, 200, ink[2], 0xF0C0A0});
    s.push_back({kind::pie, 420, 310, 30, 0, 0, 2, -45, 90, ink[3], 0xC0F0C0});
    s.push_back({kind::star, 400, 290, 0, 0, 0, 2, 0, 0, ink[4], 0x60D0F0});
    return s;
}

// Draws the scene into a Zelvan window in smooth mode, over a white background.
inline void draw_zelvan(int w) {
    ZVSetBackground(w, 0xFFFFFF);
    ZVClearDrawBuffer(w);
    ZVSetSmooth(w, 1);
    for (const shape &s : shapes()) {
        ZVSetForeground(w, s.pen);
        ZVSetFillColour(w, s.fill);
        ZVSetLineWidth(w, s.width);
        switch (s.what) {
        case kind::filled_circle:
            ZVFillCircle(w, s.x, s.y, s.size);
            break;
        case kind::circle:
            ZVCircle(w, s.x, s.y, s.size);
            break;
        case kind::line:
            ZVMoveTo(w, s.x, s.y);
            ZVLine(w, s.x2, s.y2);
            break;
        case kind::pie:
            ZVPie(w, s.x, s.y, s.size, s.start, s.sweep);
            break;
        case kind::star: {
            int xy[10];
            for (int i = 0; i < 10; ++i) xy[i] = k_star[i] + (i % 2 ? s.y : s.x);
            ZVFillPolygon(w, xy, 5);
            break;
        }
        }
    }
}

// What `draw(canvas)` leaves on a canvas of the scene's size, row by row; empty when no canvas
// could be made or read.
template <typename Draw> std::vector<ZVCOLOUR> drawn_on_canvas(Draw draw) {
    std::vector<ZVCOLOUR> pixels(static_cast<size_t>(k_width) * k_height);
    int canvas = ZVCreateCanvas(k_width, k_height);
    if (canvas <= 0) return {};
    draw(canvas);
    if (ZVGetPixels(canvas, 0, 0, k_width, k_height, pixels.data(), k_width) != ZV_OK)
        pixels.clear();
    ZVDestroyWindow(canvas);
    return pixels;
}

} // namespace smooth_scene

#endif
