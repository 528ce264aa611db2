// Plays a golden scene with the GDI calls the library makes for each of its drawing calls.
// The reference renderer plays it on a real GDI to make the golden pictures; the platform
// tests play it on the POSIX platform layer and compare.
#ifndef ZELVAN_TESTS_SCENE_GDI_H
#define ZELVAN_TESTS_SCENE_GDI_H

#include "platform/win32.h"
#include "tests/scene/scene_script.h"

#include <math.h>
#include <stdint.h>
#include <string.h>

namespace scene_detail {

inline int clamp_to_int(int64_t value) {
    return value > INT32_MAX ? INT32_MAX : value < INT32_MIN ? INT32_MIN : static_cast<int>(value);
}

// The library's drawing attributes, and the pen and brush they make.
struct gdi_state {
    HDC dc = nullptr;
    COLORREF ink = 0, fill = 0, paper = RGB(255, 255, 255);
    int width = 1, pen_style = 0, fill_style = 0;
    scene_point position;
    HPEN pen = nullptr;     // null while the stock black pen is selected
    HBRUSH brush = nullptr; // null while the stock black brush is selected

    HGDIOBJ fill_brush() const { return brush ? (HGDIOBJ)brush : GetStockObject(BLACK_BRUSH); }

    // Dashed pens are one pixel wide; solid and invisible pens take the width.
    void make_pen() {
        static const int styles[] = {PS_SOLID, PS_DASH, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL};
        int style = pen_style >= 0 && pen_style <= 4 ? styles[pen_style] : PS_SOLID;
        bool keeps_width = style == PS_SOLID || style == PS_NULL;
        HPEN made = CreatePen(style, keeps_width ? width : 1, ink);
        SelectObject(dc, made);
        if (pen) DeleteObject(pen);
        pen = made;
    }
    void make_brush() {
        static const int hatches[] = {HS_BDIAGONAL, HS_FDIAGONAL, HS_DIAGCROSS, HS_HORIZONTAL,
                                      HS_VERTICAL};
        bool hatched = fill_style >= 1 && fill_style <= 5;
        HBRUSH made =
            hatched ? CreateHatchBrush(hatches[fill_style - 1], fill) : CreateSolidBrush(fill);
        SelectObject(dc, made);
        if (brush) DeleteObject(brush);
        brush = made;
    }
};

// The point 100 pixels out from the centre at `degrees`, each offset cut toward zero.
inline POINT radial(scene_point centre, double degrees) {
    double radians = degrees * 0.017453292519943295;
    return POINT{clamp_to_int(centre.x + static_cast<int64_t>(100 * cos(radians))),
                 clamp_to_int(centre.y + static_cast<int64_t>(100 * sin(-radians)))};
}

// Arc or Pie: a sweep of a full turn or more (any positive one, infinity and NaN included,
// from 360 up), or one with no finite end, makes the two radials coincide.
inline void arc_or_pie(HDC dc, const scene_step &s, bool pie) {
    int64_t r = s.number;
    int left = clamp_to_int(s.a.x - r), top = clamp_to_int(s.a.y - r);
    int right = clamp_to_int(s.a.x + r), bottom = clamp_to_int(s.a.y + r);
    double start = isfinite(s.start) ? s.start : 0.0;
    POINT from = radial(s.a, start), to = from;
    int32_t sweep_bits;
    memcpy(&sweep_bits, &s.sweep, sizeof sweep_bits);
    double end = start + s.sweep;
    if (sweep_bits < 0x43B40000 && isfinite(end)) to = radial(s.a, end);
    if (pie)
        Pie(dc, left, top, right, bottom, from.x, from.y, to.x, to.y);
    else
        Arc(dc, left, top, right, bottom, from.x, from.y, to.x, to.y);
}

inline void ellipse(gdi_state &g, const scene_step &s, bool outline) {
    int64_t r = s.number;
    if (outline) SelectObject(g.dc, GetStockObject(NULL_BRUSH));
    Ellipse(g.dc, clamp_to_int(s.a.x - r), clamp_to_int(s.a.y - r), clamp_to_int(s.a.x + r),
            clamp_to_int(s.a.y + r));
    if (outline) SelectObject(g.dc, g.fill_brush());
}

inline RECT corners(const scene_step &s) {
    return RECT{s.a.x < s.b.x ? s.a.x : s.b.x, s.a.y < s.b.y ? s.a.y : s.b.y,
                s.a.x > s.b.x ? s.a.x : s.b.x, s.a.y > s.b.y ? s.a.y : s.b.y};
}

inline void rectangle(gdi_state &g, const scene_step &s, bool outline) {
    RECT r = corners(s);
    if (outline) SelectObject(g.dc, GetStockObject(NULL_BRUSH));
    Rectangle(g.dc, r.left, r.top, r.right, r.bottom);
    if (outline) SelectObject(g.dc, g.fill_brush());
}

inline void invert(HDC dc, const scene_step &s) {
    RECT r = corners(s);
    r.right = clamp_to_int(int64_t{r.right} + 1);
    r.bottom = clamp_to_int(int64_t{r.bottom} + 1);
    InvertRect(dc, &r);
}

inline void clear(gdi_state &g, int width, int height) {
    HBRUSH paper = CreateSolidBrush(g.paper);
    RECT all = {0, 0, width, height};
    FillRect(g.dc, &all, paper);
    DeleteObject(paper);
}

// The attribute steps; false for any other.
inline bool set_attribute(gdi_state &g, const scene_step &s) {
    COLORREF colour = s.colour & 0xFFFFFF;
    switch (s.op) {
    case scene_op::ink:
        g.ink = colour;
        g.make_pen();
        return true;
    case scene_op::pen_width:
        g.width = s.number;
        g.make_pen();
        return true;
    case scene_op::pen_style:
        g.pen_style = s.number;
        g.make_pen();
        return true;
    case scene_op::fill_colour:
        g.fill = colour;
        g.make_brush();
        return true;
    case scene_op::fill_style:
        g.fill_style = s.number;
        g.make_brush();
        return true;
    case scene_op::paper:
        g.paper = colour;
        return true;
    default:
        return false;
    }
}

inline void draw(gdi_state &g, const scene_step &s, int width, int height) {
    HDC dc = g.dc;
    switch (s.op) {
    case scene_op::move_to:
        g.position = s.a;
        break;
    case scene_op::line_to:
        MoveToEx(dc, g.position.x, g.position.y, nullptr);
        LineTo(dc, s.a.x, s.a.y);
        g.position = s.a;
        break;
    case scene_op::plot:
        MoveToEx(dc, s.a.x, s.a.y, nullptr);
        LineTo(dc, clamp_to_int(int64_t{s.a.x} + 1), s.a.y);
        MoveToEx(dc, s.a.x, s.a.y, nullptr);
        g.position = s.a;
        break;
    case scene_op::pixel:
        SetPixel(dc, s.a.x, s.a.y, s.colour & 0xFFFFFF);
        break;
    case scene_op::circle:
    case scene_op::filled_circle:
        ellipse(g, s, s.op == scene_op::circle);
        break;
    case scene_op::arc:
    case scene_op::pie:
        arc_or_pie(dc, s, s.op == scene_op::pie);
        break;
    case scene_op::rectangle:
    case scene_op::filled_rectangle:
        rectangle(g, s, s.op == scene_op::rectangle);
        break;
    case scene_op::invert:
        invert(dc, s);
        break;
    case scene_op::flood:
        ExtFloodFill(dc, s.a.x, s.a.y, s.colour & 0xFFFFFF, FLOODFILLBORDER);
        break;
    case scene_op::clear:
        clear(g, width, height);
        break;
    default:
        break;
    }
}

} // namespace scene_detail

// Plays `scene` on `dc`, whose surface is the scene's size and white. Leaves the stock
// black pen and brush selected and deletes what it made.
inline void play_scene_on_gdi(const scene_script &scene, HDC dc) {
    scene_detail::gdi_state g;
    g.dc = dc;
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    for (const scene_step &s : scene.steps)
        if (!scene_detail::set_attribute(g, s)) scene_detail::draw(g, s, scene.width, scene.height);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    if (g.pen) DeleteObject(g.pen);
    if (g.brush) DeleteObject(g.brush);
}

#endif
