// Helpers for the drawing tests: reading a draw buffer back, and running the platform out of
// GDI objects to see how the library copes.
#ifndef ZELVAN_TESTS_DRAWING_SUPPORT_H
#define ZELVAN_TESTS_DRAWING_SUPPORT_H

#include "platform/win32.h"
#include "zelvan.h"

#include <vector>

const ZVCOLOUR k_black = 0x000000, k_white = 0xFFFFFF, k_red = 0x0000FF, k_green = 0x00FF00,
               k_blue = 0xFF0000;

// A whole draw buffer, read in one ZVGetPixels call: a ZVGetPixel call a pixel takes minutes
// for a test's pictures where each call is a trip through the platform's GDI (Wine). Pixel
// by pixel only when the block call fails, as it does while GDI objects run out.
struct picture {
    int width, height;
    std::vector<ZVCOLOUR> pixels;
    explicit picture(int w) : width(ZVGetWidth(w)), height(ZVGetHeight(w)) {
        if (width <= 0 || height <= 0) return;
        pixels.resize(static_cast<size_t>(width) * height);
        if (ZVGetPixels(w, 0, 0, width, height, pixels.data(), width) == ZV_OK) return;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pixels[static_cast<size_t>(y) * width + x] = ZVGetPixel(w, x, y);
    }
    ZVCOLOUR at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    bool operator==(const picture &other) const { return pixels == other.pixels; }
    // How many pixels of [left, right) x [top, bottom) have `colour`; all of them by default.
    int count(ZVCOLOUR colour, int left = 0, int top = 0, int right = -1, int bottom = -1) const {
        int n = 0;
        for (int y = top; y < (bottom < 0 ? height : bottom); ++y)
            for (int x = left; x < (right < 0 ? width : right); ++x) n += at(x, y) == colour;
        return n;
    }
};

// Holds every GDI object the platform still hands out, so the next one the library asks for
// fails: platforms have a per-process object limit (Win32's is 10,000 by default).
struct gdi_objects_exhausted {
    std::vector<HBRUSH> held;
    bool exhausted = false;
    gdi_objects_exhausted() {
        while (!exhausted && held.size() < (size_t{1} << 22)) {
            HBRUSH brush = CreateSolidBrush(0);
            exhausted = brush == nullptr;
            if (brush) held.push_back(brush);
        }
    }
    void release() {
        for (HBRUSH brush : held) DeleteObject(brush);
        held.clear();
    }
    ~gdi_objects_exhausted() { release(); }
};

#endif
