// Helpers shared by the GDI tests: a memory DC with a bitmap of a given size.
#ifndef ZELVAN_TESTS_GDI_TEST_UTIL_H
#define ZELVAN_TESTS_GDI_TEST_UTIL_H

#include "platform/win32.h"

#include <vector>

// A memory DC drawing on a fresh width x height bitmap, cleared to `colour`.
struct gdi_canvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ original = nullptr;
    int width = 0;
    int height = 0;

    gdi_canvas(int w, int h, COLORREF colour = RGB(255, 255, 255)) : width(w), height(h) {
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateCompatibleBitmap(dc, w, h);
        original = SelectObject(dc, bitmap);
        clear(colour);
    }
    ~gdi_canvas() {
        SelectObject(dc, original);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    gdi_canvas(const gdi_canvas &) = delete;
    gdi_canvas &operator=(const gdi_canvas &) = delete;

    void clear(COLORREF colour) {
        HBRUSH brush = CreateSolidBrush(colour);
        RECT all = {0, 0, width, height};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
    }
    COLORREF at(int x, int y) const { return GetPixel(dc, x, y); }
    // Every pixel, row by row, as COLORREFs.
    std::vector<COLORREF> pixels() const {
        std::vector<COLORREF> all;
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++) all.push_back(GetPixel(dc, x, y));
        return all;
    }
    int count(COLORREF colour) const {
        int n = 0;
        for (COLORREF c : pixels()) n += c == colour;
        return n;
    }
};

#endif
