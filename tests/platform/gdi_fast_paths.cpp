// The rasterizer's fast paths (one-pass framed rectangles, whole-row fills, padded bitmap
// rows, lock-free selection counts) give the same pixels and the same object lifetimes as
// the general paths they stand in for.
#include "gdi_test_util.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

// What Rectangle must give with a one-pixel pen: the four sides drawn as lines around the
// box's last column and row, and the brush filling what lies inside them.
void outline_and_fill(HDC dc, int l, int t, int r, int b, HBRUSH brush) {
    RECT inside = {l + 1, t + 1, r - 1, b - 1};
    if (inside.left < inside.right && inside.top < inside.bottom) FillRect(dc, &inside, brush);
    MoveToEx(dc, r - 1, t, nullptr);
    LineTo(dc, l, t);
    LineTo(dc, l, b - 1);
    LineTo(dc, r - 1, b - 1);
    LineTo(dc, r - 1, t);
}

// A picture in which every pixel differs from its neighbours and from the fill colours.
void draw_pattern(gdi_canvas &canvas) {
    for (int y = 0; y < canvas.height; y++)
        for (int x = 0; x < canvas.width; x++)
            SetPixelV(canvas.dc, x, y, RGB(x & 255, y & 255, (x * 7 + y * 13) & 255));
}

} // namespace

// 128 and 256 pixels wide get padded rows; 50 and 37 do not.
TEST(gdi_fast_paths, FilledRectanglesMatchTheirOutlineAndFill) {
    const RECT boxes[] = {
        {10, 10, 20, 20},  {3, 4, 5, 6},       {30, 5, 12, 2},  {-4, -6, 9, 11},
        {40, 30, 400, 90}, {-9, -9, 500, 500}, {0, 0, 128, 50}, {5, 20, 6, 40},
    };
    for (int width : {128, 256, 50, 37}) {
        gdi_canvas drawn(width, 50), expected(width, 50);
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(200, 0, 0));
        HBRUSH brush = CreateSolidBrush(RGB(0, 0, 210));
        for (gdi_canvas *canvas : {&drawn, &expected}) {
            SelectObject(canvas->dc, pen);
            SelectObject(canvas->dc, brush);
        }
        for (const RECT &box : boxes) {
            SCOPED_TRACE(testing::Message() << "width " << width << ", box " << box.left << ","
                                            << box.top << "," << box.right << "," << box.bottom);
            draw_pattern(drawn);
            draw_pattern(expected);
            EXPECT_TRUE(Rectangle(drawn.dc, box.left, box.top, box.right, box.bottom));
            int l = std::min(box.left, box.right), r = std::max(box.left, box.right);
            int t = std::min(box.top, box.bottom), b = std::max(box.top, box.bottom);
            outline_and_fill(expected.dc, l, t, r, b, brush);
            ASSERT_EQ(drawn.pixels(), expected.pixels());
        }
        for (gdi_canvas *canvas : {&drawn, &expected}) {
            SelectObject(canvas->dc, GetStockObject(BLACK_PEN));
            SelectObject(canvas->dc, GetStockObject(WHITE_BRUSH));
        }
        DeleteObject(pen);
        DeleteObject(brush);
    }
}

TEST(gdi_fast_paths, WholeRowFillsStayWithinTheirRows) {
    gdi_canvas canvas(256, 40);
    draw_pattern(canvas);
    std::vector<COLORREF> before = canvas.pixels();
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    RECT rows = {0, 10, 256, 20}, wider = {-5, 30, 300, 31};
    FillRect(canvas.dc, &rows, brush);
    FillRect(canvas.dc, &wider, brush);
    DeleteObject(brush);
    std::vector<COLORREF> after = canvas.pixels();
    for (int y = 0; y < 40; y++) {
        bool filled = (y >= 10 && y < 20) || y == 30;
        for (int x = 0; x < 256; x++) {
            COLORREF want = filled ? RGB(1, 2, 3) : before[y * 256 + x];
            ASSERT_EQ(after[y * 256 + x], want) << x << "," << y;
        }
    }
}

// Rows of a padded bitmap come out of GetDIBits and through BitBlt exactly as drawn.
TEST(gdi_fast_paths, PaddedRowsReadAndCopyLikePackedOnes) {
    gdi_canvas padded(256, 30), packed(250, 30);
    draw_pattern(padded);
    std::vector<COLORREF> drawn = padded.pixels();

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 256;
    info.bmiHeader.biHeight = -30; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> bits(256 * 30);
    SelectObject(padded.dc, padded.original); // GetDIBits wants the bitmap deselected
    ASSERT_EQ(GetDIBits(padded.dc, padded.bitmap, 0, 30, bits.data(), &info, DIB_RGB_COLORS), 30);
    SelectObject(padded.dc, padded.bitmap);
    for (int i = 0; i < 256 * 30; i++) {
        COLORREF c = drawn[i];
        ASSERT_EQ(bits[i] & 0xFFFFFF,
                  (uint32_t)(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c)))
            << i;
    }

    ASSERT_TRUE(BitBlt(packed.dc, 0, 0, 250, 30, padded.dc, 3, 0, SRCCOPY));
    padded.clear(RGB(9, 9, 9));
    ASSERT_TRUE(BitBlt(padded.dc, 3, 0, 250, 30, packed.dc, 0, 0, SRCCOPY));
    for (int y = 0; y < 30; y++)
        for (int x = 3; x < 253; x++)
            ASSERT_EQ(padded.at(x, y), drawn[y * 256 + x]) << x << "," << y;
}

// Two threads race to select one bitmap into their own DCs: it is never in both at once.
TEST(gdi_fast_paths, ABitmapIsNeverSelectedIntoTwoDcsAtOnce) {
    HDC screen = CreateCompatibleDC(nullptr);
    HBITMAP shared = CreateCompatibleBitmap(screen, 8, 8);
    std::atomic<int> holders{0}, overlaps{0}, wins{0};
    auto race = [&] {
        HDC dc = CreateCompatibleDC(nullptr);
        for (int i = 0; i < 20000; i++) {
            HGDIOBJ previous = SelectObject(dc, shared);
            if (!previous) continue;
            if (holders.fetch_add(1) != 0) overlaps++;
            wins++;
            holders.fetch_sub(1);
            SelectObject(dc, previous);
        }
        DeleteDC(dc);
    };
    std::thread a(race), b(race);
    a.join();
    b.join();
    EXPECT_EQ(overlaps.load(), 0);
    EXPECT_GT(wins.load(), 0);
    EXPECT_TRUE(DeleteObject(shared));
    DeleteDC(screen);
}

// Bitmaps deleted while another thread has them selected go at that thread's deselection,
// and bitmaps deleted just after it go at once: either way exactly once (the sanitizer
// builds check the "once"), and the handle is refused afterwards.
TEST(gdi_fast_paths, BitmapsDeletedAroundTheirDeselectionAreFreedOnce) {
    const int rounds = 2000;
    HDC screen = CreateCompatibleDC(nullptr);
    std::vector<HBITMAP> bitmaps(rounds);
    for (HBITMAP &bitmap : bitmaps) bitmap = CreateCompatibleBitmap(screen, 8, 8);
    std::atomic<int> selected{-1}, released{-1};
    std::thread user([&] {
        HDC dc = CreateCompatibleDC(nullptr);
        for (int i = 0; i < rounds; i++) {
            HGDIOBJ previous = SelectObject(dc, bitmaps[i]);
            selected = i; // from here the main thread may delete it
            SetPixelV(dc, i % 8, 0, RGB(255, 0, 0));
            SelectObject(dc, previous);
            released = i;
        }
        DeleteDC(dc);
    });
    int refused = 0;
    for (int i = 0; i < rounds; i++) {
        while (selected.load() < i) std::this_thread::yield();
        EXPECT_TRUE(DeleteObject(bitmaps[i]));
        while (released.load() < i) std::this_thread::yield();
        BITMAP info;
        refused += GetObjectA(bitmaps[i], sizeof info, &info) == 0;
    }
    user.join();
    EXPECT_EQ(refused, rounds);
    DeleteDC(screen);
}
