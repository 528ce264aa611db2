// Drawing attributes beyond what the golden scenes show: stored values, the pen and brush
// rules across setters, and a platform that cannot make the objects.
#include "core/window_table.h"
#include "draw/drawing_state.h"
#include "drawing_support.h"

#include <gtest/gtest.h>

namespace {

int open_window() {
    return ZVCreateWindow(10, 10, 200, 100, "attributes");
}

void line(int w, int x0, int y0, int x1, int y1) {
    ZVMoveTo(w, x0, y0);
    ZVLine(w, x1, y1);
}

HBRUSH fill_brush_of(int w) {
    window_ref window(w);
    return window->drawing->fill_brush;
}

} // namespace

TEST(Attributes, DefaultsAndColours) {
    int w = open_window();
    EXPECT_EQ(ZVGetLineWidth(w), 1);
    EXPECT_EQ(ZVGetLineStyle(w), 0);
    EXPECT_EQ(ZVGetFillStyle(w), 0);
    EXPECT_EQ(ZVGetForeground(w), k_black);
    EXPECT_EQ(ZVGetFillColour(w), k_black);
    EXPECT_EQ(ZVGetBackground(w), k_white);
    EXPECT_EQ(ZVSetForeground(w, 0xFF0000FF), ZV_OK);
    EXPECT_EQ(ZVSetFillColour(w, 0x7F00FF00), ZV_OK);
    EXPECT_EQ(ZVSetBackground(w, 0x01FF0000), ZV_OK);
    EXPECT_EQ(ZVGetForeground(w), k_red) << "top bytes are dropped";
    EXPECT_EQ(ZVGetFillColour(w), k_green);
    EXPECT_EQ(ZVGetBackground(w), k_blue);
    line(w, 5, 50, 15, 50);
    EXPECT_EQ(ZVGetPixel(w, 14, 50), k_red);
    EXPECT_EQ(ZVGetRGBColour(255, 128, 0), 0x000080FFu);
    EXPECT_EQ(ZVGetRGBColour(300, 0, 0), 44u);
    EXPECT_EQ(ZVGetRGBColour(-1, -1, -1), 0x00FFFFFFu);
}

// A dashed pen is one pixel wide, also after a colour change; the width asked for is kept
// and comes back with the solid style. Unknown style numbers are stored and mean solid.
TEST(Attributes, PenRuleAcrossSetters) {
    int w = open_window();
    ZVSetLineWidth(w, 5);
    ZVSetLineStyle(w, 1);
    EXPECT_EQ(ZVGetLineWidth(w), 5);
    ZVSetForeground(w, k_blue);
    line(w, 10, 20, 190, 20);
    EXPECT_EQ(ZVSetLineStyle(w, 9), ZV_OK);
    EXPECT_EQ(ZVGetLineStyle(w), 9);
    line(w, 10, 70, 190, 70);
    picture p(w);
    EXPECT_EQ(p.count(k_blue, 0, 18, 200, 23), p.count(k_blue, 0, 20, 200, 21)) << "thin";
    EXPECT_EQ(p.count(k_white, 10, 20, 190, 21), 42) << "dashed";
    EXPECT_EQ(p.count(k_blue, 100, 66, 101, 75), 5) << "solid again, five wide";
}

// Hatch gaps take the DC's background colour, white, whatever the window background is;
// a setter that changes nothing keeps the brush.
TEST(Attributes, FillBrushRuleAcrossSetters) {
    int w = open_window();
    ZVSetBackground(w, k_green);
    ZVSetFillColour(w, k_red);
    ZVSetFillStyle(w, 3);
    ZVFillRectangle(w, 0, 0, 40, 40);
    picture hatched(w);
    EXPECT_EQ(hatched.count(k_green), 0);
    EXPECT_EQ(hatched.at(16, 16), k_red);
    EXPECT_EQ(hatched.at(17, 16), k_white);
    ZVSetFillStyle(w, 6);
    HBRUSH solid = fill_brush_of(w);
    ZVSetFillColour(w, 0xFF0000FF);
    ZVSetFillStyle(w, 0);
    EXPECT_EQ(fill_brush_of(w), solid) << "same colour, and 6 and 0 both mean solid";
    ZVFillRectangle(w, 45, 5, 75, 55);
    EXPECT_EQ(picture(w).count(k_red, 46, 6, 74, 54), 28 * 48);
}

// A pen or brush the platform cannot make: the attribute is stored and reported as set,
// drawing goes on with the previous object, and the next setter call catches up.
TEST(Attributes, UnmadePenAndBrushKeepThePreviousOnes) {
    int w = open_window();
    gdi_objects_exhausted objects;
    if (!objects.exhausted) GTEST_SKIP() << "the platform hands out GDI objects without limit";
    EXPECT_EQ(ZVSetForeground(w, k_red), ZV_OK);
    EXPECT_EQ(ZVSetFillColour(w, k_blue), ZV_OK);
    EXPECT_EQ(ZVSetLineWidth(w, 3), ZV_OK);
    EXPECT_EQ(ZVGetForeground(w), k_red);
    EXPECT_EQ(ZVGetFillColour(w), k_blue);
    line(w, 10, 10, 50, 10);
    ZVFillRectangle(w, 60, 20, 80, 40);
    picture stale(w);
    objects.release();
    EXPECT_EQ(stale.count(k_black, 0, 9, 60, 12), 40) << "the old thin black pen";
    EXPECT_EQ(stale.count(k_black, 60, 20, 80, 40), 400) << "the old black brush";

    ZVSetLineWidth(w, 3);
    ZVSetFillColour(w, k_blue);
    line(w, 10, 50, 50, 50);
    ZVFillRectangle(w, 90, 20, 110, 40);
    picture caught_up(w);
    EXPECT_EQ(caught_up.count(k_red, 30, 48, 31, 53), 3) << "red, three wide";
    EXPECT_EQ(caught_up.count(k_blue, 92, 22, 108, 38), 16 * 16);
}
