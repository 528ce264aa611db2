// One SetDIBitsToDevice call of the transfer table: read from a line of text, played on a
// white 16 x 16 surface, and what it drew summed up as a line of text. Shared by the table
// test and tools/reference-gdi/dib_table.cpp, which writes the table with the real GDI.
//
// A case reads "KIND X Y CX CY XSRC YSRC START LINES". KIND picks the image, 5 pixels wide:
//   u  bottom-up, 6 rows, 32 bits     t  top-down, 6 rows, 32 bits
//   8  bottom-up, 6 rows, BI_RLE8     4  bottom-up, 3 rows, BI_RLE4
// Every pixel's colour names its column c and its row r: for u and t the r-th row of the
// caller's block in memory, for run-length images the r-th scan line of the stream (from the
// bottom). The result reads "RETURNED -" when nothing was drawn, else
// "RETURNED X0 Y0 X1 Y1 C0 R0 DR": the box [X0, X1) x [Y0, Y1) was drawn, its top-left pixel
// came from (C0, R0), columns step by one to the right and rows by DR downwards.
#ifndef ZELVAN_TESTS_DIB_TRANSFER_CASE_H
#define ZELVAN_TESTS_DIB_TRANSFER_CASE_H

#include "platform/win32.h"

#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

const int k_case_surface = 16;
const uint32_t k_case_white = 0xFFFFFF;

struct dib_case {
    char kind = 0;
    long long x, y, cx, cy, x_src, y_src, start, lines;

    // The colour of column c, row r: red 0, green r + 1, blue c + 1.
    static uint32_t colour(int c, int r) { return (uint32_t)(r + 1) << 8 | (uint32_t)(c + 1); }

    bool parse(const char *text) {
        int used = 0;
        return sscanf(text, " %c %lli %lli %lli %lli %lli %lli %lli %lli%n", &kind, &x, &y, &cx,
                      &cy, &x_src, &y_src, &start, &lines, &used) == 9 &&
               (text[used] == 0 || text[used] == ' ');
    }

    // The header with its colour table, and the bits, of this case's image.
    void image(std::vector<uint8_t> *info, std::vector<uint8_t> *bits) const {
        const int width = 5, height = kind == '4' ? 3 : 6;
        BITMAPINFOHEADER h = {};
        h.biSize = sizeof h;
        h.biWidth = width;
        h.biHeight = kind == 't' ? -height : height;
        h.biPlanes = 1;
        h.biBitCount = kind == '8' ? 8 : kind == '4' ? 4 : 32;
        bits->clear();
        std::vector<uint32_t> table;
        if (kind == 'u' || kind == 't') {
            // Rows past the image are there too, so that a reader that takes them shows it.
            for (int r = 0; r < 64; r++)
                for (int c = 0; c < width; c++)
                    for (int b = 0; b < 4; b++) bits->push_back((uint8_t)(colour(c, r) >> 8 * b));
        } else {
            // Each scan line one absolute run of indices r * width + c, then an end of line.
            bool nibbles = kind == '4';
            for (int r = 0; r < height; r++) {
                bits->insert(bits->end(), {0, (uint8_t)width});
                size_t run = bits->size();
                for (int c = 0; c < width; c++) {
                    int index = r * width + c;
                    table.push_back(colour(c, r));
                    if (!nibbles)
                        bits->push_back((uint8_t)index);
                    else if (c % 2 == 0)
                        bits->push_back((uint8_t)(index << 4));
                    else
                        bits->back() |= (uint8_t)index;
                }
                if ((bits->size() - run) % 2) bits->push_back(0);
                bits->insert(bits->end(), {0, 0});
            }
            bits->insert(bits->end(), {0, 1});
            h.biCompression = nibbles ? BI_RLE4 : BI_RLE8;
            h.biSizeImage = (DWORD)bits->size();
            h.biClrUsed = (DWORD)table.size();
        }
        info->assign((const uint8_t *)&h, (const uint8_t *)(&h + 1));
        for (uint32_t t : table) info->insert(info->end(), {(uint8_t)t, (uint8_t)(t >> 8), 0, 0});
    }

    // Plays the case on `dc`; returns what SetDIBitsToDevice returned.
    int play(HDC dc) const {
        std::vector<uint8_t> info, bits;
        image(&info, &bits);
        return SetDIBitsToDevice(dc, (int)x, (int)y, (DWORD)cx, (DWORD)cy, (int)x_src, (int)y_src,
                                 (UINT)start, (UINT)lines, bits.data(),
                                 reinterpret_cast<const BITMAPINFO *>(info.data()), DIB_RGB_COLORS);
    }
};

// Sums up a surface of 0x00RRGGBB pixels, top row first, after a call returned `returned`.
// Anything that is not one box of the image's pixels, in order, reads "RETURNED irregular".
inline std::string dib_case_result(int returned, const std::vector<uint32_t> &surface) {
    const int n = k_case_surface;
    int x0 = n, y0 = n, x1 = 0, y1 = 0;
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++)
            if (surface[y * n + x] != k_case_white) {
                x0 = x < x0 ? x : x0;
                y0 = y < y0 ? y : y0;
                x1 = x >= x1 ? x + 1 : x1;
                y1 = y >= y1 ? y + 1 : y1;
            }
    char text[80];
    if (x0 >= x1) {
        snprintf(text, sizeof text, "%d -", returned);
        return text;
    }
    uint32_t first = surface[y0 * n + x0];
    int c0 = (int)(first & 0xFF) - 1, r0 = (int)(first >> 8 & 0xFF) - 1;
    int dr = y1 - y0 > 1 ? (int)(surface[(y0 + 1) * n + x0] >> 8 & 0xFF) - 1 - r0 : 0;
    bool regular = dr >= -1 && dr <= 1;
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++)
            regular =
                regular && surface[y * n + x] == dib_case::colour(c0 + x - x0, r0 + dr * (y - y0));
    if (regular)
        snprintf(text, sizeof text, "%d %d %d %d %d %d %d %d", returned, x0, y0, x1, y1, c0, r0,
                 dr);
    else
        snprintf(text, sizeof text, "%d irregular", returned);
    return text;
}

#endif
