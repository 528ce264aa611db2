// Flood fill, pens and brushes, and BitBlt.
#include "gdi_test_util.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

const COLORREF white = RGB(255, 255, 255), black = RGB(0, 0, 0), red = RGB(255, 0, 0);

TEST(gdi_flood_fill, FillsTheFourConnectedAreaInsideTheBorder) {
    gdi_canvas canvas(30, 30);
    HBRUSH brush = CreateSolidBrush(red);
    SelectObject(canvas.dc, brush);
    SelectObject(canvas.dc, GetStockObject(NULL_BRUSH));
    Rectangle(canvas.dc, 5, 5, 15, 15); // border pixels 5..14
    SetPixel(canvas.dc, 16, 16, black); // diagonal neighbours do not connect areas
    SelectObject(canvas.dc, brush);
    EXPECT_TRUE(ExtFloodFill(canvas.dc, 10, 10, black, FLOODFILLBORDER));
    EXPECT_EQ(canvas.count(red), 8 * 8);
    EXPECT_EQ(canvas.at(6, 6), red);
    EXPECT_EQ(canvas.at(5, 5), black);
    EXPECT_EQ(canvas.at(4, 4), white);
    SelectObject(canvas.dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
}

TEST(gdi_flood_fill, ASeedOnTheBorderOrOutsideFailsAndChangesNothing) {
    gdi_canvas canvas(20, 20);
    SelectObject(canvas.dc, GetStockObject(BLACK_BRUSH));
    SetPixel(canvas.dc, 3, 3, red);
    std::vector<COLORREF> before = canvas.pixels();
    EXPECT_FALSE(ExtFloodFill(canvas.dc, 3, 3, red, FLOODFILLBORDER));
    EXPECT_FALSE(ExtFloodFill(canvas.dc, -1, 3, red, FLOODFILLBORDER));
    EXPECT_FALSE(ExtFloodFill(canvas.dc, 3, 20, red, FLOODFILLBORDER));
    EXPECT_FALSE(ExtFloodFill(canvas.dc, 0, 0, red, FLOODFILLSURFACE));
    EXPECT_EQ(canvas.pixels(), before);
    EXPECT_TRUE(ExtFloodFill(canvas.dc, 0, 0, white, FLOODFILLSURFACE));
    EXPECT_EQ(canvas.count(black), 399);
    EXPECT_EQ(canvas.at(3, 3), red);
}

TEST(gdi_flood_fill, TheAreaIsFoundBeforeItIsPainted) {
    // Painting with the border colour must not cut the area short.
    gdi_canvas canvas(12, 12);
    SelectObject(canvas.dc, GetStockObject(BLACK_BRUSH));
    EXPECT_TRUE(ExtFloodFill(canvas.dc, 6, 6, black, FLOODFILLBORDER));
    EXPECT_EQ(canvas.count(black), 144);
}

TEST(gdi_flood_fill, AWholeLargeSurfaceFillsWithoutRecursion) {
    gdi_canvas canvas(4096, 4096);
    // A comb of walls makes the area snake, the worst case for span-based fills.
    HPEN pen = CreatePen(PS_SOLID, 1, black);
    SelectObject(canvas.dc, pen);
    for (int x = 8; x < 4096; x += 16) {
        MoveToEx(canvas.dc, x, (x / 16) % 2 ? 0 : 1, nullptr);
        LineTo(canvas.dc, x, (x / 16) % 2 ? 4095 : 4096);
    }
    HBRUSH brush = CreateSolidBrush(red);
    SelectObject(canvas.dc, brush);
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(ExtFloodFill(canvas.dc, 0, 0, black, FLOODFILLBORDER));
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 30.0); // generous: sanitizer builds are many times slower
    EXPECT_EQ(GetPixel(canvas.dc, 4095, 4095), red);
    EXPECT_EQ(GetPixel(canvas.dc, 8, 100), black);
    SelectObject(canvas.dc, GetStockObject(BLACK_PEN));
    SelectObject(canvas.dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(pen);
    DeleteObject(brush);
}

// Pixels of a horizontal 60-pixel line drawn with `pen` on white.
std::vector<COLORREF> line_pixels(HPEN pen, int mode = OPAQUE) {
    gdi_canvas canvas(80, 20);
    SetBkMode(canvas.dc, mode);
    SetBkColor(canvas.dc, RGB(0, 0, 255));
    HGDIOBJ old = SelectObject(canvas.dc, pen);
    MoveToEx(canvas.dc, 0, 10, nullptr);
    LineTo(canvas.dc, 60, 10);
    SelectObject(canvas.dc, old);
    DeleteObject(pen);
    return canvas.pixels();
}

int count_of(const std::vector<COLORREF> &pixels, COLORREF colour) {
    int n = 0;
    for (COLORREF c : pixels) n += c == colour;
    return n;
}

TEST(gdi_pens, WidthsFollowTheWin32Rules) {
    EXPECT_EQ(count_of(line_pixels(CreatePen(PS_SOLID, 0, red)), red), 60);
    EXPECT_EQ(count_of(line_pixels(CreatePen(PS_SOLID, 1, red)), red), 60);
    // A wide pen: 5 rows along the line plus round caps beyond both ends.
    int wide = count_of(line_pixels(CreatePen(PS_SOLID, 5, red)), red);
    EXPECT_GT(wide, 5 * 60);
    EXPECT_EQ(count_of(line_pixels(CreatePen(PS_SOLID, -5, red)), red), wide);
    // A dashed pen wider than one pixel draws solid, as Win32 does.
    EXPECT_EQ(count_of(line_pixels(CreatePen(PS_DASH, 5, red)), red), wide);
    EXPECT_EQ(count_of(line_pixels(CreatePen(PS_NULL, 5, red)), white), 80 * 20);
    EXPECT_EQ(CreatePen(42, 1, red), nullptr);
}

TEST(gdi_pens, DashGapsTakeTheBackgroundOnlyWhenOpaque) {
    std::vector<COLORREF> opaque = line_pixels(CreatePen(PS_DASH, 1, red));
    EXPECT_EQ(count_of(opaque, red), 18 + 18 + 12); // 18 on, 6 off, over 60 pixels
    EXPECT_EQ(count_of(opaque, RGB(0, 0, 255)), 12);
    std::vector<COLORREF> clear = line_pixels(CreatePen(PS_DASH, 1, red), TRANSPARENT);
    EXPECT_EQ(count_of(clear, red), 48);
    EXPECT_EQ(count_of(clear, RGB(0, 0, 255)), 0);
}

TEST(gdi_brushes, HatchesAreAlignedToTheSurfaceOrigin) {
    gdi_canvas canvas(24, 24);
    HBRUSH hatch = CreateHatchBrush(HS_VERTICAL, red);
    RECT r = {3, 5, 21, 9};
    FillRect(canvas.dc, &r, hatch);
    for (int x = 3; x < 21; x++) EXPECT_EQ(canvas.at(x, 6), x % 8 == 4 ? red : white) << x;
    SetBkMode(canvas.dc, TRANSPARENT);
    canvas.clear(black);
    FillRect(canvas.dc, &r, hatch);
    EXPECT_EQ(canvas.at(5, 6), black); // the gaps stay as they were
    EXPECT_EQ(canvas.at(12, 6), red);
    EXPECT_EQ(CreateHatchBrush(6, red), nullptr);
    DeleteObject(hatch);
}

TEST(gdi_bit_blt, CopiesClippedOnBothSides) {
    gdi_canvas source(10, 10), target(8, 8, black);
    for (int y = 0; y < 10; y++)
        for (int x = 0; x < 10; x++) SetPixel(source.dc, x, y, RGB(x, y, 7));
    EXPECT_TRUE(BitBlt(target.dc, -2, 3, 20, 20, source.dc, 4, -1, SRCCOPY));
    // Target (0, 3) takes source (6, -1): off the source, so it is left alone; target
    // (0, 4) takes source (6, 0).
    EXPECT_EQ(target.at(0, 3), black);
    EXPECT_EQ(target.at(0, 4), RGB(6, 0, 7));
    EXPECT_EQ(target.at(3, 7), RGB(9, 3, 7));
    EXPECT_EQ(target.at(4, 7), black); // source x 10 does not exist
    EXPECT_EQ(target.at(0, 2), black);
    EXPECT_TRUE(BitBlt(target.dc, 100, 100, 5, 5, source.dc, 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(target.dc, 0, 0, INT32_MAX, INT32_MAX, source.dc, INT32_MIN, 0, SRCCOPY));
    EXPECT_FALSE(BitBlt(target.dc, 0, 0, 5, 5, nullptr, 0, 0, SRCCOPY));
    EXPECT_FALSE(BitBlt(target.dc, 0, 0, 5, 5, source.dc, 0, 0, 0x00550009)); // PATINVERT
}

TEST(gdi_bit_blt, OverlappingCopiesWithinOneSurfaceKeepTheSource) {
    gdi_canvas canvas(12, 12);
    for (int y = 0; y < 12; y++)
        for (int x = 0; x < 12; x++) SetPixel(canvas.dc, x, y, RGB(x, y, 0));
    EXPECT_TRUE(BitBlt(canvas.dc, 2, 3, 8, 8, canvas.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(canvas.at(9, 10), RGB(7, 7, 0));
    EXPECT_EQ(canvas.at(2, 3), RGB(0, 0, 0));
    EXPECT_TRUE(BitBlt(canvas.dc, 0, 0, 8, 8, canvas.dc, 3, 2, SRCCOPY));
    EXPECT_EQ(canvas.at(0, 0), RGB(3, 2, 0)); // outside the first copy's target
    EXPECT_EQ(canvas.at(1, 1), RGB(2, 0, 0)); // (4, 3) held (2, 0) after the first copy
}

} // namespace
