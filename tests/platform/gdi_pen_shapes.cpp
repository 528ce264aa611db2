// Shapes in the corners the golden scenes cannot reach (the library makes none of these
// calls): fills with and without a pen, inside-frame pens wider than their box, arcs of boxes
// one pixel thin, and the dotted pen. Each picture is what the reference GDI drew for the call.
#include "gdi_test_util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr COLORREF pen_colour = RGB(255, 0, 0), brush_colour = RGB(0, 0, 255);

// The canvas as text: '#' the pen, 'o' the brush, '.' white, '?' anything else.
std::vector<std::string> picture(const gdi_canvas &canvas) {
    std::vector<std::string> rows;
    for (int y = 0; y < canvas.height; y++) {
        std::string row;
        for (int x = 0; x < canvas.width; x++) {
            COLORREF c = canvas.at(x, y);
            row += c == pen_colour           ? '#'
                   : c == brush_colour       ? 'o'
                   : c == RGB(255, 255, 255) ? '.'
                                             : '?';
        }
        rows.push_back(row);
    }
    return rows;
}

enum class shape { rectangle, ellipse, arc, pie };

struct shape_case {
    const char *what;
    int pen_style, pen_width;
    shape kind;
    int left, top, right, bottom;
    POINT from, to; // radials of arcs and pies
    std::vector<std::string> expected;
};

} // namespace

TEST(gdi_pen_shapes, ShapesDrawWhatTheReferenceDrew) {
    const shape_case cases[] = {
        {"no pen: the fill takes the first column and row, not the last",
         PS_NULL,
         1,
         shape::rectangle,
         1,
         1,
         6,
         5,
         {},
         {},
         {"........", ".oooo...", ".oooo...", ".oooo...", "........"}},
        {"a dotted frame over a transparent background: the fill stays inside it",
         PS_DOT,
         1,
         shape::rectangle,
         1,
         1,
         11,
         7,
         {},
         {},
         {"............", "..###...###.", "..oooooooo..", "..oooooooo#.", ".#oooooooo#.",
          ".#oooooooo#.", ".#...###....", "............"}},
        {"an inside-frame pen wider than the box: the edges cross and the frame runs between",
         PS_INSIDEFRAME,
         3,
         shape::rectangle,
         4,
         4,
         5,
         5,
         {},
         {},
         {".........", ".........", "...###...", "..#####..", "..#####..", "..#####..", "...###...",
          ".........", "........."}},
        {"edges crossing by one",
         PS_INSIDEFRAME,
         3,
         shape::rectangle,
         3,
         3,
         5,
         5,
         {},
         {},
         {".......", ".......", "...##..", "..####.", "..####.", "...##..", "......."}},
        {"an ellipse pulled in to two columns is a rectangle",
         PS_INSIDEFRAME,
         2,
         shape::ellipse,
         2,
         2,
         5,
         6,
         {},
         {},
         {".......", ".......", "..###..", "..###..", "..###..", "..###..", ".......", "......."}},
        {"an ellipse whose edges cross is a rectangle",
         PS_INSIDEFRAME,
         3,
         shape::ellipse,
         3,
         3,
         6,
         4,
         {},
         {},
         {".........", "....#....", "...###...", "...###...", "...###...", "....#....",
          "........."}},
        {"an arc round a box one pixel wide: its only pixel",
         PS_SOLID,
         1,
         shape::arc,
         2,
         1,
         3,
         11,
         {100, 6},
         {100, 6},
         {".....", ".....", ".....", ".....", ".....", "..#..", ".....", ".....", ".....", ".....",
          ".....", "....."}},
        {"a pie in the same box: the pixel and the centre",
         PS_SOLID,
         1,
         shape::pie,
         2,
         1,
         3,
         11,
         {100, 6},
         {100, 6},
         {".....", ".....", ".....", ".....", ".....", "..#..", "..#..", ".....", ".....", ".....",
          ".....", "....."}},
        {"an arc round a box two pixels high: all but its last pixel",
         PS_SOLID,
         1,
         shape::arc,
         2,
         1,
         5,
         3,
         {100, 2},
         {100, 2},
         {"........", "..###...", "..##....", "........", "........"}},
        {"an arc of a box one pixel high between the horizontal radials: nothing",
         PS_SOLID,
         1,
         shape::arc,
         2,
         2,
         12,
         3,
         {100, 0},
         {-100, 0},
         {"..............", "..............", "..............", "..............",
          ".............."}},
    };
    for (const shape_case &c : cases) {
        SCOPED_TRACE(c.what);
        gdi_canvas canvas((int)c.expected[0].size(), (int)c.expected.size());
        HPEN pen = CreatePen(c.pen_style, c.pen_width, pen_colour);
        HBRUSH brush = CreateSolidBrush(brush_colour);
        HGDIOBJ old_pen = SelectObject(canvas.dc, pen), old_brush = SelectObject(canvas.dc, brush);
        SetBkMode(canvas.dc, TRANSPARENT);
        BOOL drawn = FALSE;
        switch (c.kind) {
        case shape::rectangle:
            drawn = Rectangle(canvas.dc, c.left, c.top, c.right, c.bottom);
            break;
        case shape::ellipse:
            drawn = Ellipse(canvas.dc, c.left, c.top, c.right, c.bottom);
            break;
        case shape::arc:
            drawn = Arc(canvas.dc, c.left, c.top, c.right, c.bottom, c.from.x, c.from.y, c.to.x,
                        c.to.y);
            break;
        case shape::pie:
            drawn = Pie(canvas.dc, c.left, c.top, c.right, c.bottom, c.from.x, c.from.y, c.to.x,
                        c.to.y);
            break;
        }
        EXPECT_TRUE(drawn);
        EXPECT_EQ(picture(canvas), c.expected);
        SelectObject(canvas.dc, old_pen);
        SelectObject(canvas.dc, old_brush);
        DeleteObject(pen);
        DeleteObject(brush);
    }
}

// The four dash patterns along one line, each of its 48 pixels ink or gap (the gaps in the
// background colour): the pattern repeats after 24 pixels in every style.
TEST(gdi_pen_shapes, DashPatternsRunTheirLengthsInTurn) {
    const struct {
        int style;
        const char *pixels;
    } patterns[] = {
        {PS_DASH, "##################......##################......"},
        {PS_DOT, "###...###...###...###...###...###...###...###..."},
        {PS_DASHDOT, "#########......###......#########......###......"},
        {PS_DASHDOTDOT, "#########...###...###...#########...###...###..."},
    };
    for (const auto &p : patterns) {
        SCOPED_TRACE(p.pixels);
        gdi_canvas canvas(50, 1);
        HPEN pen = CreatePen(p.style, 1, pen_colour);
        HGDIOBJ old = SelectObject(canvas.dc, pen);
        SetBkColor(canvas.dc, RGB(255, 255, 255));
        canvas.clear(RGB(0, 255, 0));
        MoveToEx(canvas.dc, 0, 0, nullptr);
        LineTo(canvas.dc, 48, 0);
        std::string row = picture(canvas)[0];
        EXPECT_EQ(row, std::string(p.pixels) + "??");
        SelectObject(canvas.dc, old);
        DeleteObject(pen);
    }
}
