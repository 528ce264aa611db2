// Clipping: no primitive writes outside its surface, whatever the coordinates, and a
// clipped drawing shows exactly the pixels of the same drawing on a larger surface.
#include "gdi_test_util.h"
#include "platform/posix/gdi/gdi_surface.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <random>
#include <vector>

namespace {

constexpr uint32_t guard_value = 0xA5C3E1u;

// A surface DC over the middle of a larger buffer whose border must stay untouched.
struct guarded_surface {
    static constexpr int guard = 24;
    int width, height, stride;
    std::vector<uint32_t> buffer;
    gdi_surface surface;
    HDC dc;

    guarded_surface(int w, int h)
        : width(w), height(h), stride(w + 2 * guard),
          buffer((size_t)(w + 2 * guard) * (h + 2 * guard), guard_value) {
        surface = {buffer.data() + guard * stride + guard, w, h, stride};
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) surface.pixels[y * stride + x] = 0x00FFFFFF;
        dc = gdi_create_surface_dc(&surface);
    }
    ~guarded_surface() { DeleteDC(dc); }

    int damaged_guard_pixels() const {
        int damaged = 0;
        for (int y = 0; y < height + 2 * guard; y++)
            for (int x = 0; x < stride; x++) {
                bool inside = x >= guard && x < guard + width && y >= guard && y < guard + height;
                if (!inside && buffer[(size_t)y * stride + x] != guard_value) damaged++;
            }
        return damaged;
    }
};

// Every primitive with the given pen and brush, at the edges, beyond them and far away.
void draw_everything(HDC dc, int w, int h) {
    const int big = 2000000000;
    const int ends[][4] = {{-10, -10, w + 10, h + 10},    {w + 5, -7, -3, h + 2},
                           {-big, h / 2, big, h / 2 + 1}, {w / 2, -big, w / 2 - 1, big},
                           {-big, -big, big, big},        {INT32_MIN, 3, INT32_MAX, h - 3},
                           {w - 1, h - 1, w, h},          {0, 0, -1, -1}};
    for (const auto &e : ends) {
        MoveToEx(dc, e[0], e[1], nullptr);
        EXPECT_TRUE(LineTo(dc, e[2], e[3]));
        EXPECT_TRUE(Rectangle(dc, e[0], e[1], e[2], e[3]));
        EXPECT_TRUE(Ellipse(dc, e[0], e[1], e[2], e[3]));
        EXPECT_TRUE(Arc(dc, e[0], e[1], e[2], e[3], e[0], 0, 0, e[3]));
        EXPECT_TRUE(Pie(dc, e[0], e[1], e[2], e[3], 0, e[1], e[2], 0));
        EXPECT_TRUE(Pie(dc, e[0], e[1], e[2], e[3], 5, 5, 5, 5));
    }
    for (int r : {5, w / 2, w, 40000, 70000, 5000000}) {
        EXPECT_TRUE(Ellipse(dc, -r, -r, r, r));
        EXPECT_TRUE(Ellipse(dc, w - r, h - r, w + r, h + r));
        EXPECT_TRUE(Arc(dc, w / 2 - r, -r, w / 2 + r, r, 100, 100, -100, 100));
        EXPECT_TRUE(Pie(dc, -r, h - r, r, h + r, 100, -10, 10, -100));
    }
    SetPixel(dc, -1, 0, 0);
    SetPixel(dc, w, h - 1, 0);
    RECT beyond = {-50, -50, w + 50, h + 50};
    EXPECT_TRUE(InvertRect(dc, &beyond));
}

struct pen_case {
    int style, width;
};

TEST(gdi_clipping, NoPrimitiveWritesOutsideTheSurface) {
    const pen_case pens[] = {{PS_SOLID, 1},  {PS_DASH, 1}, {PS_DASHDOTDOT, 1}, {PS_SOLID, 7},
                             {PS_SOLID, 40}, {PS_NULL, 1}, {PS_SOLID, 100000}};
    HBRUSH brushes[] = {CreateSolidBrush(RGB(0, 200, 0)), CreateHatchBrush(HS_DIAGCROSS, 0),
                        static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))};
    for (const pen_case &p : pens) {
        for (HBRUSH brush : brushes) {
            guarded_surface s(53, 37);
            HPEN pen = CreatePen(p.style, p.width, RGB(200, 0, 0));
            HGDIOBJ old_pen = SelectObject(s.dc, pen);
            HGDIOBJ old_brush = SelectObject(s.dc, brush);
            draw_everything(s.dc, s.width, s.height);
            EXPECT_EQ(s.damaged_guard_pixels(), 0) << "style " << p.style << " width " << p.width;
            SelectObject(s.dc, old_pen);
            SelectObject(s.dc, old_brush);
            DeleteObject(pen);
        }
    }
    for (HBRUSH brush : brushes) DeleteObject(brush);
}

TEST(gdi_clipping, HugeShapesAreClippedQuickly) {
    gdi_canvas canvas(64, 48);
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    SelectObject(canvas.dc, green);
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(Ellipse(canvas.dc, -2000000000, -2000000000, 2000000000, 2000000000));
    EXPECT_EQ(canvas.at(32, 24), RGB(0, 255, 0)); // the surface lies deep inside
    EXPECT_TRUE(Pie(canvas.dc, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 1, 0, 0, -1));
    EXPECT_TRUE(Arc(canvas.dc, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 1, 0, 0, -1));
    HPEN wide = CreatePen(PS_SOLID, 9, 0);
    SelectObject(canvas.dc, wide);
    MoveToEx(canvas.dc, INT32_MIN, INT32_MIN, nullptr);
    EXPECT_TRUE(LineTo(canvas.dc, INT32_MAX, INT32_MAX));
    EXPECT_TRUE(Ellipse(canvas.dc, -2000000000, -2000000000, 2000000000, 2000000000));
    EXPECT_TRUE(Rectangle(canvas.dc, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX));
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 2.0);
    SelectObject(canvas.dc, GetStockObject(BLACK_PEN));
    SelectObject(canvas.dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(wide);
    DeleteObject(green);
}

// Draws `draw` on a 240x200 canvas and, moved by (-dx, -dy), on a 90x70 one, and checks
// that the small canvas shows exactly the matching part of the large one. Returns the inked
// (not white) pixels of the small canvas, so a caller can tell that something was drawn.
int expect_translation_invariant(const std::function<void(HDC, int, int)> &draw, int dx, int dy,
                                 const char *what) {
    gdi_canvas large(240, 200), small(90, 70);
    draw(large.dc, 0, 0);
    draw(small.dc, -dx, -dy);
    int differing = 0, inked = 0;
    for (int y = 0; y < small.height; y++)
        for (int x = 0; x < small.width; x++) {
            differing += small.at(x, y) != large.at(x + dx, y + dy);
            inked += small.at(x, y) != RGB(255, 255, 255);
        }
    EXPECT_EQ(differing, 0) << what << " moved by " << dx << ", " << dy;
    return inked;
}

TEST(gdi_clipping, ClippedLinesShowThePixelsOfTheUnclippedLine) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> coord(-40, 280);
    for (int style : {PS_SOLID, PS_DASH, PS_DASHDOT, PS_DASHDOTDOT}) {
        int inked = 0;
        for (int i = 0; i < 60; i++) {
            int x0 = coord(random), y0 = coord(random), x1 = coord(random), y1 = coord(random);
            auto draw = [=](HDC dc, int ox, int oy) {
                HPEN pen = CreatePen(style, 1, RGB(255, 0, 0));
                HGDIOBJ old = SelectObject(dc, pen);
                MoveToEx(dc, x0 + ox, y0 + oy, nullptr);
                LineTo(dc, x1 + ox, y1 + oy);
                SelectObject(dc, old);
                DeleteObject(pen);
            };
            inked += expect_translation_invariant(draw, 70, 60, "line");
            inked += expect_translation_invariant(draw, 150, 130, "line");
        }
        // Sixty random lines cross the clipped windows often: a pen that draws nothing
        // would agree with itself everywhere.
        EXPECT_GT(inked, 500) << "pen style " << style;
    }
}

TEST(gdi_clipping, ClippedShapesShowThePixelsOfTheUnclippedShape) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> coord(0, 240);
    std::uniform_int_distribution<int> width(1, 12);
    const int styles[] = {PS_SOLID, PS_DASH, PS_DASHDOT, PS_SOLID};
    for (int i = 0; i < 80; i++) {
        int l = coord(random), t = coord(random), r = coord(random), b = coord(random);
        int style = styles[i % 4], pen_width = style == PS_SOLID ? width(random) : 1;
        auto draw = [=](HDC dc, int ox, int oy) {
            HPEN pen = CreatePen(style, pen_width, RGB(255, 0, 0));
            HBRUSH brush = CreateHatchBrush(HS_BDIAGONAL, RGB(0, 0, 255));
            HGDIOBJ old_pen = SelectObject(dc, pen), old_brush = SelectObject(dc, brush);
            Ellipse(dc, l + ox, t + oy, r + ox, b + oy);
            Rectangle(dc, r + ox, t + oy, l + ox, b + oy);
            Pie(dc, l + ox, t + oy, r + ox, b + oy, l + ox, t + oy, r + ox, t + oy);
            Arc(dc, r + ox, b + oy, l + ox, t + oy, r + ox, b + oy, l + ox, b + oy);
            SelectObject(dc, old_pen);
            SelectObject(dc, old_brush);
            DeleteObject(pen);
            DeleteObject(brush);
        };
        // Hatches are aligned to each surface's origin: move by multiples of 8.
        expect_translation_invariant(draw, 72, 64, "shapes");
        expect_translation_invariant(draw, 144, 128, "shapes");
    }
}

TEST(gdi_edges, LinesAndBoxesExcludeTheirEndAndFarEdges) {
    gdi_canvas canvas(40, 40);
    MoveToEx(canvas.dc, 10, 10, nullptr);
    LineTo(canvas.dc, 20, 10);
    EXPECT_EQ(canvas.at(19, 10), RGB(0, 0, 0));
    EXPECT_EQ(canvas.at(20, 10), RGB(255, 255, 255));
    POINT position;
    MoveToEx(canvas.dc, 0, 0, &position);
    EXPECT_EQ(position.x, 20);
    canvas.clear(RGB(255, 255, 255));
    SelectObject(canvas.dc, GetStockObject(NULL_BRUSH));
    Rectangle(canvas.dc, 10, 10, 20, 20);
    EXPECT_EQ(canvas.at(19, 19), RGB(0, 0, 0));
    EXPECT_EQ(canvas.at(20, 19), RGB(255, 255, 255));
    EXPECT_EQ(canvas.at(15, 15), RGB(255, 255, 255));
    EXPECT_EQ(canvas.count(RGB(0, 0, 0)), 36);
    canvas.clear(RGB(255, 255, 255));
    Ellipse(canvas.dc, 5, 5, 35, 25);
    for (int x = 0; x < 40; x++) {
        EXPECT_EQ(canvas.at(x, 25), RGB(255, 255, 255));
        EXPECT_EQ(canvas.at(x, 4), RGB(255, 255, 255));
    }
    EXPECT_EQ(canvas.at(34, 15), RGB(0, 0, 0));
    EXPECT_EQ(canvas.at(35, 15), RGB(255, 255, 255));
    EXPECT_EQ(canvas.at(5, 15), RGB(0, 0, 0));
    SelectObject(canvas.dc, GetStockObject(WHITE_BRUSH));
}

TEST(gdi_edges, FillRectAndInvertRectExcludeRightAndBottom) {
    gdi_canvas canvas(20, 20);
    RECT r = {2, 3, 7, 9};
    FillRect(canvas.dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(canvas.count(RGB(0, 0, 0)), 5 * 6);
    EXPECT_EQ(canvas.at(6, 8), RGB(0, 0, 0));
    EXPECT_EQ(canvas.at(7, 8), RGB(255, 255, 255));
    RECT reversed = {7, 9, 2, 3}; // reversed edges name the same pixels
    InvertRect(canvas.dc, &reversed);
    EXPECT_EQ(canvas.count(RGB(0, 0, 0)), 0);
    RECT empty = {5, 5, 5, 10};
    InvertRect(canvas.dc, &empty);
    EXPECT_EQ(canvas.count(RGB(255, 255, 255)), 400);
}

TEST(gdi_invert, InvertingTwiceRestoresEveryPixel) {
    gdi_canvas canvas(16, 16);
    for (int i = 0; i < 16; i++) SetPixel(canvas.dc, i, (i * 7) % 16, RGB(i * 16, 255 - i, i));
    std::vector<COLORREF> before = canvas.pixels();
    RECT r = {-5, 3, 12, 40};
    InvertRect(canvas.dc, &r);
    EXPECT_EQ(canvas.at(0, 3), RGB(0, 0, 0));
    EXPECT_NE(canvas.pixels(), before);
    InvertRect(canvas.dc, &r);
    EXPECT_EQ(canvas.pixels(), before);
}

TEST(gdi_pixels, SetPixelReportsTheColourAndRefusesOutside) {
    gdi_canvas canvas(5, 5);
    EXPECT_EQ(SetPixel(canvas.dc, 4, 4, 0x12345678), 0x00345678u);
    EXPECT_EQ(canvas.at(4, 4), 0x00345678u);
    EXPECT_EQ(SetPixel(canvas.dc, 5, 4, 0), CLR_INVALID);
    EXPECT_EQ(SetPixel(canvas.dc, -1, 0, 0), CLR_INVALID);
    EXPECT_TRUE(SetPixelV(canvas.dc, 0, 0, RGB(1, 2, 3)));
    EXPECT_FALSE(SetPixelV(canvas.dc, 0, -1, RGB(1, 2, 3)));
    EXPECT_EQ(canvas.at(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(canvas.at(0, 5), CLR_INVALID);
    EXPECT_EQ(canvas.at(INT32_MIN, INT32_MAX), CLR_INVALID);
}

} // namespace
