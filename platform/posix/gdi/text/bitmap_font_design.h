// The built-in bitmap font's grid, and its pictures (bitmap_font_pictures.cpp) one bit per
// design pixel; bitmap_font_render.cpp makes glyphs of them, scaled and turned.
#ifndef ZELVAN_GDI_BITMAP_FONT_DESIGN_H
#define ZELVAN_GDI_BITMAP_FONT_DESIGN_H

#include <stdint.h>

// Every character sits in a cell of 6 columns by 12 rows: 5 columns of ink and one of
// spacing; 3 rows for the marks over capitals, 7 rows of capitals down to the baseline, and
// 2 rows of descenders below it.
constexpr int bitmap_font_columns = 6;
constexpr int bitmap_font_rows = 12;
constexpr int bitmap_font_ascent = 10;
constexpr int bitmap_font_descent = 2;
// Capitals and the ascenders of small letters stand 7 rows high, the other small letters 5.
constexpr int bitmap_font_cap_height = 7;
constexpr int bitmap_font_x_height = 5;
// The character height a size asks for: from the cap line down to the bottom of the
// descenders, as an outline face's em leaves out the room its accents take above.
constexpr int bitmap_font_em = bitmap_font_cap_height + bitmap_font_descent;

// One character's design: bit c of rows[r] is the pixel in column c of cell row r, counted
// from the top of the cell.
struct bitmap_font_picture {
    uint8_t rows[bitmap_font_rows];
};

// The design of `code_point`: printable ASCII and every character of Windows-1252 have one;
// anything else (controls among it) gets an empty box the height of the capitals.
bitmap_font_picture bitmap_font_picture_of(uint32_t code_point);

#endif
