// The GDI object model: selection, stock objects, deletion rules, DC attributes,
// capabilities, palettes and surface DCs.
#include "gdi_test_util.h"
#include "platform/posix/gdi/gdi_surface.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

BITMAP describe(HGDIOBJ bitmap) {
    BITMAP info = {};
    EXPECT_EQ(GetObjectA(bitmap, sizeof(info), &info), (int)sizeof(BITMAP));
    return info;
}

} // namespace

TEST(gdi_selection, SelectObjectReturnsThePreviousObjectOfEachKind) {
    HDC dc = CreateCompatibleDC(nullptr);
    HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    EXPECT_EQ(SelectObject(dc, red), GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(dc, blue), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(SelectObject(dc, GetStockObject(NULL_PEN)), red);
    EXPECT_EQ(SelectObject(dc, GetStockObject(SYSTEM_FONT)), GetStockObject(SYSTEM_FONT));
    EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_BRUSH)), blue);
    EXPECT_TRUE(DeleteObject(red));
    EXPECT_TRUE(DeleteObject(blue));
    DeleteDC(dc);
}

TEST(gdi_selection, MemoryDcStartsWithAOneByOneBitmapAndSwapsBitmaps) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 30, 20);
    HGDIOBJ original = SelectObject(dc, bitmap);
    ASSERT_NE(original, nullptr);
    BITMAP info = describe(original);
    EXPECT_EQ(info.bmWidth, 1);
    EXPECT_EQ(info.bmHeight, 1);
    info = describe(bitmap);
    EXPECT_EQ(info.bmWidth, 30);
    EXPECT_EQ(info.bmHeight, 20);
    EXPECT_EQ(info.bmWidthBytes, 120);
    EXPECT_EQ(info.bmPlanes, 1);
    EXPECT_EQ(info.bmBitsPixel, 32);
    EXPECT_EQ(GetPixel(dc, 29, 19), RGB(0, 0, 0)); // new bitmaps are black
    EXPECT_EQ(GetPixel(dc, 30, 19), CLR_INVALID);
    EXPECT_EQ(SelectObject(dc, original), bitmap);
    EXPECT_EQ(GetPixel(dc, 1, 0), CLR_INVALID);
    EXPECT_TRUE(DeleteObject(bitmap));
    DeleteDC(dc);
}

TEST(gdi_selection, ABitmapLivesInOneDcAtATime) {
    HDC first = CreateCompatibleDC(nullptr);
    HDC second = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(first, 4, 4);
    HGDIOBJ first_original = SelectObject(first, bitmap);
    EXPECT_EQ(SelectObject(second, bitmap), nullptr);
    SetPixel(first, 1, 1, RGB(9, 8, 7));
    EXPECT_EQ(GetPixel(second, 0, 0), RGB(0, 0, 0)); // still its own black 1x1 bitmap
    EXPECT_EQ(GetPixel(second, 1, 1), CLR_INVALID);
    SelectObject(first, first_original);
    EXPECT_EQ(SelectObject(second, bitmap), first_original); // the shared stock bitmap
    EXPECT_EQ(GetPixel(second, 1, 1), RGB(9, 8, 7));
    DeleteDC(second); // deselects the bitmap, which stays alive
    EXPECT_EQ(describe(bitmap).bmWidth, 4);
    DeleteObject(bitmap);
    DeleteDC(first);
}

TEST(gdi_selection, InvalidHandlesAreRefused) {
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(dc, nullptr), nullptr);
    EXPECT_EQ(SelectObject(nullptr, GetStockObject(BLACK_PEN)), nullptr);
    EXPECT_EQ(SelectObject(dc, reinterpret_cast<HGDIOBJ>(0x12345)), nullptr);
    EXPECT_EQ(SelectObject(dc, dc), nullptr);
    HPALETTE palette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    EXPECT_EQ(SelectObject(dc, palette), nullptr); // palettes need SelectPalette
    EXPECT_FALSE(DeleteObject(nullptr));
    EXPECT_FALSE(DeleteObject(dc)); // DCs go with DeleteDC
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_PEN)), nullptr);
}

TEST(gdi_deletion, StockObjectsSurviveDeleteObject) {
    for (int index : {WHITE_BRUSH, BLACK_BRUSH, NULL_BRUSH, BLACK_PEN, NULL_PEN, SYSTEM_FONT,
                      DEFAULT_PALETTE}) {
        HGDIOBJ stock = GetStockObject(index);
        ASSERT_NE(stock, nullptr) << index;
        EXPECT_TRUE(DeleteObject(stock));
        EXPECT_EQ(GetStockObject(index), stock);
    }
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(dc, GetStockObject(NULL_PEN)), GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_PEN)), GetStockObject(NULL_PEN));
    DeleteDC(dc);
    EXPECT_EQ(GetStockObject(99), nullptr);
}

TEST(gdi_deletion, DeletingASelectedPenWaitsUntilItIsDeselected) {
    gdi_canvas canvas(10, 10);
    HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HGDIOBJ original = SelectObject(canvas.dc, red);
    EXPECT_TRUE(DeleteObject(red));
    MoveToEx(canvas.dc, 0, 5, nullptr);
    LineTo(canvas.dc, 10, 5); // still draws with the deleted pen
    EXPECT_EQ(canvas.at(9, 5), RGB(255, 0, 0));
    EXPECT_EQ(SelectObject(canvas.dc, original), red);
    EXPECT_EQ(SelectObject(canvas.dc, red), nullptr); // now really gone
}

// A pen deleted while one DC holds it cannot be selected into another: it is deleted for
// every new selection, and only waits for the DC that had it.
TEST(gdi_deletion, APenDeletedWhileSelectedIsRefusedByOtherDcs) {
    HDC first = CreateCompatibleDC(nullptr);
    HDC second = CreateCompatibleDC(nullptr);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    HGDIOBJ original = SelectObject(first, pen);
    ASSERT_NE(original, nullptr);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_EQ(SelectObject(second, pen), nullptr);
    EXPECT_EQ(SelectObject(first, original), pen);
    EXPECT_EQ(SelectObject(second, pen), nullptr); // now freed
    DeleteDC(first);
    DeleteDC(second);
}

TEST(gdi_deletion, DeletingASelectedBitmapKeepsItsPixelsUntilTheDcLetsGo) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 8, 8);
    SelectObject(dc, bitmap);
    SetPixel(dc, 7, 7, RGB(1, 2, 3));
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_EQ(GetPixel(dc, 7, 7), RGB(1, 2, 3));
    EXPECT_TRUE(DeleteDC(dc));
    BITMAP info;
    EXPECT_EQ(GetObjectA(bitmap, sizeof(info), &info), 0);
}

TEST(gdi_deletion, AStaleHandleStaysInvalidWhenItsSlotIsReused) {
    HBRUSH first = CreateSolidBrush(RGB(1, 1, 1));
    EXPECT_TRUE(DeleteObject(first));
    HBRUSH second = CreateSolidBrush(RGB(2, 2, 2));
    EXPECT_NE(first, second);
    EXPECT_FALSE(DeleteObject(first));
    gdi_canvas canvas(4, 4);
    RECT all = {0, 0, 4, 4};
    EXPECT_EQ(FillRect(canvas.dc, &all, first), 0);
    EXPECT_NE(FillRect(canvas.dc, &all, second), 0);
    EXPECT_EQ(canvas.at(3, 3), RGB(2, 2, 2));
    DeleteObject(second);
}

TEST(gdi_deletion, RunningOutOfHandlesFailsCleanlyAndRecovers) {
    std::vector<HBRUSH> held;
    while (held.size() < 200000) {
        HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
        if (!brush) break;
        held.push_back(brush);
    }
    EXPECT_GE(held.size(), 10000u); // at least Win32's default quota
    EXPECT_LT(held.size(), 200000u);
    EXPECT_EQ(CreatePen(PS_SOLID, 1, 0), nullptr);
    EXPECT_NE(GetStockObject(BLACK_BRUSH), nullptr);
    EXPECT_TRUE(DeleteObject(held.back()));
    held.pop_back();
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    EXPECT_NE(pen, nullptr);
    DeleteObject(pen);
    for (HBRUSH brush : held) EXPECT_TRUE(DeleteObject(brush));
}

TEST(gdi_bitmaps, CreateCompatibleBitmapSizes) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP empty = CreateCompatibleBitmap(dc, 0, 10);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(describe(empty).bmWidth, 1);
    EXPECT_EQ(CreateCompatibleBitmap(dc, -1, 10), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(dc, 100000, 100000), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(nullptr, 10, 10), nullptr);
    HBITMAP big = CreateCompatibleBitmap(dc, 4096, 4096);
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(describe(big).bmWidthBytes, 4096 * 4);
    DeleteObject(big);
    EXPECT_EQ(GetObjectA(big, sizeof(BITMAP), nullptr), 0);
    DeleteDC(dc);
}

TEST(gdi_bitmaps, GetObjectChecksTheBufferSize) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 3, 3);
    BITMAP info;
    EXPECT_EQ(GetObjectA(bitmap, 0, nullptr), (int)sizeof(BITMAP));
    EXPECT_EQ(GetObjectA(bitmap, sizeof(info) - 1, &info), 0);
    EXPECT_EQ(GetObjectA(GetStockObject(BLACK_PEN), sizeof(info), &info), 0);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

TEST(gdi_attributes, SettersReturnThePreviousValueFromWin32Defaults) {
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SetTextColor(dc, RGB(1, 2, 3)), RGB(0, 0, 0));
    EXPECT_EQ(SetTextColor(dc, 0), RGB(1, 2, 3));
    EXPECT_EQ(SetBkColor(dc, RGB(4, 5, 6)), RGB(255, 255, 255));
    EXPECT_EQ(SetBkColor(dc, 0), RGB(4, 5, 6));
    EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
    EXPECT_EQ(SetBkMode(dc, 7), 0);
    EXPECT_EQ(SetBkMode(dc, OPAQUE), TRANSPARENT);
    EXPECT_EQ(SetTextAlign(dc, TA_BASELINE | TA_CENTER), (UINT)(TA_TOP | TA_LEFT));
    EXPECT_EQ(SetTextAlign(dc, 0), (UINT)(TA_BASELINE | TA_CENTER));
    POINT previous = {-1, -1};
    EXPECT_TRUE(MoveToEx(dc, 5, 6, &previous));
    EXPECT_EQ(previous.x, 0);
    EXPECT_EQ(previous.y, 0);
    MoveToEx(dc, 0, 0, &previous);
    EXPECT_EQ(previous.x, 5);
    EXPECT_EQ(previous.y, 6);
    DeleteDC(dc);
    EXPECT_EQ(SetTextColor(dc, 0), CLR_INVALID);
    EXPECT_EQ(SetBkMode(dc, OPAQUE), 0);
    EXPECT_FALSE(MoveToEx(dc, 1, 1, nullptr));
}

TEST(gdi_attributes, DeviceCapsDescribeATrueColourScreen) {
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
    EXPECT_EQ(GetDeviceCaps(dc, PLANES), 1);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
    EXPECT_EQ(GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE, 0);
    EXPECT_GT(GetDeviceCaps(dc, HORZRES), 0);
    EXPECT_GT(GetDeviceCaps(dc, VERTRES), 0);
    EXPECT_EQ(GetDeviceCaps(dc, SIZEPALETTE), 0);
    DeleteDC(dc);
}

TEST(gdi_palettes, SelectPaletteKeepsTheBookkeepingAndChangesNoPixel) {
    gdi_canvas canvas(2, 2, RGB(10, 20, 30));
    struct {
        WORD version, count;
        PALETTEENTRY entries[2];
    } block = {0x300, 2, {{255, 0, 0, 0}, {0, 0, 255, 0}}};
    HPALETTE palette = CreatePalette(reinterpret_cast<LOGPALETTE *>(&block));
    ASSERT_NE(palette, nullptr);
    HPALETTE stock = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    EXPECT_EQ(SelectPalette(canvas.dc, palette, FALSE), stock);
    EXPECT_NE(RealizePalette(canvas.dc), GDI_ERROR);
    EXPECT_EQ(canvas.at(1, 1), RGB(10, 20, 30));
    EXPECT_TRUE(DeleteObject(palette)); // deferred: still selected
    PALETTEENTRY read[3] = {};
    EXPECT_EQ(GetPaletteEntries(palette, 0, 3, read), 2u);
    EXPECT_EQ(read[1].peBlue, 255);
    EXPECT_EQ(SelectPalette(canvas.dc, stock, TRUE), palette);
    EXPECT_EQ(GetPaletteEntries(palette, 0, 3, read), 0u);
    EXPECT_EQ(GetPaletteEntries(stock, 0, 0, nullptr), 20u);
    WORD count = 0;
    EXPECT_EQ(GetObjectA(stock, sizeof(count), &count), (int)sizeof(WORD));
    EXPECT_EQ(count, 20);
}

TEST(gdi_surface_dc, DrawsOntoTheWindowManagersPixels) {
    std::vector<uint32_t> pixels(8 * 4, 0x00FFFFFF);
    gdi_surface surface = {pixels.data(), 6, 4, 8}; // stride wider than the width
    HDC dc = gdi_create_surface_dc(&surface);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(SetPixel(dc, 5, 3, RGB(0x11, 0x22, 0x33)), RGB(0x11, 0x22, 0x33));
    EXPECT_EQ(pixels[3 * 8 + 5], 0x00112233u);
    EXPECT_EQ(SetPixel(dc, 6, 3, 0), CLR_INVALID); // the stride padding is not surface
    EXPECT_EQ(pixels[3 * 8 + 6], 0x00FFFFFFu);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 2, 2);
    EXPECT_EQ(SelectObject(dc, bitmap), nullptr); // only memory DCs take bitmaps
    gdi_set_dc_surface(dc, nullptr);
    EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
    MoveToEx(dc, 0, 0, nullptr);
    EXPECT_TRUE(LineTo(dc, 5, 0));
    gdi_set_dc_surface(dc, &surface);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255));
    DeleteObject(bitmap);
    DeleteDC(memory);
    DeleteDC(dc);
}

// Objects are made and deleted on many threads while each thread draws on its own DC.
TEST(gdi_threads, HandleBookkeepingIsSafeAcrossThreads) {
    HPEN shared = CreatePen(PS_SOLID, 1, RGB(0, 128, 0));
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; t++) {
        threads.emplace_back([&failures, shared, t] {
            gdi_canvas canvas(16, 16);
            for (int i = 0; i < 300; i++) {
                HBRUSH brush = CreateSolidBrush(RGB(t, i & 255, 0));
                HGDIOBJ old_brush = SelectObject(canvas.dc, brush);
                HGDIOBJ old_pen = SelectObject(canvas.dc, shared);
                RECT r = {0, 0, 16, 16};
                FillRect(canvas.dc, &r, brush);
                MoveToEx(canvas.dc, 0, i % 16, nullptr);
                LineTo(canvas.dc, 16, i % 16);
                if (canvas.at(15, i % 16) != RGB(0, 128, 0)) failures++;
                if (canvas.at(3, (i + 1) % 16) != RGB(t, i & 255, 0)) failures++;
                SelectObject(canvas.dc, old_pen);
                SelectObject(canvas.dc, old_brush);
                if (!DeleteObject(brush)) failures++;
            }
        });
    }
    for (std::thread &thread : threads) thread.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_TRUE(DeleteObject(shared));
}
