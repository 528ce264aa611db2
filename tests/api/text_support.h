// Helpers for the text tests: a window to draw in, and the ink a string leaves in its draw
// buffer. Glyph shapes differ between machines, so the tests measure ink and compare
// pictures with each other.
#ifndef ZELVAN_TESTS_TEXT_SUPPORT_H
#define ZELVAN_TESTS_TEXT_SUPPORT_H

#include "drawing_support.h"
#include "image_files.h"
#include "zelvan.h"

#include <algorithm>
#include <climits>

inline int open_window(int width = 240, int height = 120) {
    return ZVCreateWindow(20, 20, width, height, "text");
}

// The box around every pixel that is not white in the draw buffer, right and bottom excluded.
struct ink_box {
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN, pixels = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

inline ink_box ink_of(const picture &p, ZVCOLOUR background = k_white) {
    ink_box box;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            if (p.at(x, y) == background) continue;
            box.pixels++;
            box.left = std::min(box.left, x);
            box.top = std::min(box.top, y);
            box.right = std::max(box.right, x + 1);
            box.bottom = std::max(box.bottom, y + 1);
        }
    return box;
}

// What a single-buffered window shows, read through one saved image: a ZVGetPixel call for
// every pixel takes seconds for a window when each call is a trip through the platform's GDI.
inline picture shown_picture(int w) {
    picture shown(0);
    scratch_folder dir;
    if (ZVSaveImage(w, dir.path("shown.bmp").c_str()) != ZV_OK) return shown;
    bytes file = dir.read("shown.bmp");
    int width = static_cast<int>(get32(file, 18)), height = static_cast<int>(get32(file, 22));
    size_t stride = static_cast<size_t>(row_bytes(width, 24));
    if (file.size() < 54 + stride * height) return shown;
    shown.width = width;
    shown.height = height;
    for (int y = 0; y < height; ++y) {
        const uint8_t *row = file.data() + 54 + stride * static_cast<size_t>(height - 1 - y);
        for (int x = 0; x < width; ++x) // blue, green, red bytes
            shown.pixels.push_back(row[3 * x] << 16 | row[3 * x + 1] << 8 | row[3 * x + 2]);
    }
    return shown;
}

// The picture `text` makes at (x, y) with alignment `code` on a cleared draw buffer.
inline picture text_picture(int w, int code, int x, int y, const char *text) {
    ZVClearDrawBuffer(w);
    ZVTextAlign(w, code);
    ZVTextOut(w, x, y, text);
    return shown_picture(w);
}

#endif
