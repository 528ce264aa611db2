// Helpers for the text tests: a window to draw in, and the ink a string leaves in its draw
// buffer. Glyph shapes differ between machines, so the tests measure ink and compare
// pictures with each other.
#ifndef ZELVAN_TESTS_TEXT_SUPPORT_H
#define ZELVAN_TESTS_TEXT_SUPPORT_H

#include "drawing_support.h"
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

// The picture `text` makes at (x, y) with alignment `code` on a cleared draw buffer.
inline picture text_picture(int w, int code, int x, int y, const char *text) {
    ZVClearDrawBuffer(w);
    ZVTextAlign(w, code);
    ZVTextOut(w, x, y, text);
    return picture(w);
}

#endif
