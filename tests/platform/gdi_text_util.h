// Helpers for the text tests: fonts made the way the library makes them, and the ink a
// drawing left on a canvas (fonts differ between machines, so tests measure ink, not shapes).
#ifndef ZELVAN_TESTS_GDI_TEXT_UTIL_H
#define ZELVAN_TESTS_GDI_TEXT_UTIL_H

#include "gdi_test_util.h"

#include <string.h>
#include <string>

// A font `pixels` high (character height), turned by `tenths` of a degree.
inline HFONT make_font(int pixels, int tenths = 0, const char *face = "DejaVu Sans") {
    return CreateFontA(-pixels, 0, tenths, tenths, FW_NORMAL, 0, 0, 0, ANSI_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       FF_MODERN | DEFAULT_PITCH, face);
}

// The box around every pixel that differs from the background, right and bottom excluded.
struct ink_box {
    int left = 0, top = 0, right = 0, bottom = 0;
    int pixels = 0; // how many pixels are inked
    bool empty() const { return pixels == 0; }
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

inline ink_box ink_of(const gdi_canvas &canvas, COLORREF background = RGB(255, 255, 255)) {
    ink_box box;
    box.left = canvas.width;
    box.top = canvas.height;
    std::vector<COLORREF> all = canvas.pixels();
    for (int y = 0; y < canvas.height; y++)
        for (int x = 0; x < canvas.width; x++) {
            if (all[(size_t)y * canvas.width + x] == background) continue;
            box.pixels++;
            if (x < box.left) box.left = x;
            if (y < box.top) box.top = y;
            if (x + 1 > box.right) box.right = x + 1;
            if (y + 1 > box.bottom) box.bottom = y + 1;
        }
    if (box.empty()) box = ink_box{};
    return box;
}

// `length` bytes of `text` as UTF-16, each byte the character of the same value (Latin-1).
inline std::u16string widen(const char *text, size_t length) {
    std::u16string wide;
    for (size_t i = 0; i < length; i++) wide += static_cast<char16_t>((unsigned char)text[i]);
    return wide;
}

inline std::u16string widen(const char *text) {
    return widen(text, strlen(text));
}

// TextOutW of a whole UTF-16 string.
inline BOOL text_out(HDC dc, int x, int y, const std::u16string &text) {
    return TextOutW(dc, x, y, text.data(), (int)text.size());
}

// Draws `text` transparently with `font` and `align` on a fresh white canvas.
struct text_canvas : gdi_canvas {
    text_canvas(int w, int h) : gdi_canvas(w, h) { SetBkMode(dc, TRANSPARENT); }
    BOOL draw(HFONT font, UINT align, int x, int y, const char *text) {
        return draw(font, align, x, y, widen(text));
    }
    BOOL draw(HFONT font, UINT align, int x, int y, const std::u16string &text) {
        HGDIOBJ previous = SelectObject(dc, font);
        SetTextAlign(dc, align);
        BOOL ok = text_out(dc, x, y, text);
        SelectObject(dc, previous);
        return ok;
    }
};

// How far the string moves the pen, measured through TA_UPDATECP.
inline int advance_of(HFONT font, const std::u16string &text) {
    text_canvas canvas(8, 8);
    SelectObject(canvas.dc, font);
    SetTextAlign(canvas.dc, TA_UPDATECP);
    MoveToEx(canvas.dc, 0, 0, nullptr);
    text_out(canvas.dc, 0, 0, text);
    POINT after;
    MoveToEx(canvas.dc, 0, 0, &after);
    SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
    return after.x;
}

inline int advance_of(HFONT font, const char *text) {
    return advance_of(font, widen(text));
}

#endif
