// GetDIBits and SetDIBitsToDevice: formats, scan-line numbering and clipping.
#include "gdi_test_util.h"

#include <gtest/gtest.h>

#include <string.h>

namespace {

struct dib_info {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

dib_info make_info(int width, int height, int bit_count) {
    dib_info info;
    memset(&info, 0, sizeof(info));
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biPlanes = 1;
    info.header.biBitCount = (WORD)bit_count;
    return info;
}

// A 7x5 canvas whose pixel (x, y) is RGB(10 x + 1, 20 y + 2, 3).
struct pattern_canvas : gdi_canvas {
    pattern_canvas() : gdi_canvas(7, 5) {
        for (int y = 0; y < 5; y++)
            for (int x = 0; x < 7; x++) SetPixel(dc, x, y, RGB(10 * x + 1, 20 * y + 2, 3));
    }
};

TEST(gdi_dib, GetDIBitsWritesBottomUpRowsOf24BitPixels) {
    pattern_canvas canvas;
    SelectObject(canvas.dc, canvas.original); // the bitmap is read while deselected
    dib_info info = make_info(7, 5, 24);
    unsigned char bits[5 * 24];
    memset(bits, 0xEE, sizeof(bits));
    EXPECT_EQ(GetDIBits(canvas.dc, canvas.bitmap, 0, 5, bits, (BITMAPINFO *)&info, DIB_RGB_COLORS),
              5);
    // The first row in memory is the bottom row (y 4); pixels are blue, green, red.
    EXPECT_EQ(bits[0], 3);
    EXPECT_EQ(bits[1], 82);
    EXPECT_EQ(bits[2], 1);
    EXPECT_EQ(bits[3 * 6 + 2], 61); // x 6
    EXPECT_EQ(bits[21], 0);         // the row is padded to 24 bytes with zeros
    EXPECT_EQ(bits[4 * 24 + 1], 2); // the last row in memory is y 0
    EXPECT_EQ(info.header.biSizeImage, 5u * 24u);
    SelectObject(canvas.dc, canvas.bitmap);
}

TEST(gdi_dib, GetDIBitsCountsScanLinesFromTheBottom) {
    pattern_canvas canvas;
    dib_info info = make_info(7, 5, 32);
    uint32_t bits[7 * 5];
    memset(bits, 0xEE, sizeof(bits));
    // Scan lines 1 and 2 of a bottom-up DIB are rows 3 and 2.
    EXPECT_EQ(GetDIBits(canvas.dc, canvas.bitmap, 1, 2, bits, (BITMAPINFO *)&info, DIB_RGB_COLORS),
              2);
    EXPECT_EQ(bits[0], 0x00013E03u); // (0, 3): red 1, green 62, blue 3
    EXPECT_EQ(bits[7], 0x00012A03u); // (0, 2)
    EXPECT_EQ(bits[14], 0xEEEEEEEEu);
    // Asking for more lines than the DIB has gives what there is.
    EXPECT_EQ(GetDIBits(canvas.dc, canvas.bitmap, 4, 3, bits, (BITMAPINFO *)&info, DIB_RGB_COLORS),
              1);
    EXPECT_EQ(bits[0], 0x00010203u); // scan line 4 is row 0
}

TEST(gdi_dib, GetDIBitsTopDownAndLargerThanTheBitmap) {
    pattern_canvas canvas;
    dib_info info = make_info(10, -8, 24);
    unsigned char bits[8 * 32];
    memset(bits, 0xEE, sizeof(bits));
    EXPECT_EQ(GetDIBits(canvas.dc, canvas.bitmap, 0, 8, bits, (BITMAPINFO *)&info, DIB_RGB_COLORS),
              5);
    EXPECT_EQ(bits[1], 2);          // row 0 first
    EXPECT_EQ(bits[32 + 1], 22);    // then row 1
    EXPECT_EQ(bits[5 * 32 + 1], 0); // rows past the bitmap are zero
    EXPECT_EQ(bits[21], 0);         // and so are columns past it
    // The DIB lies over the bitmap from the top and its scan lines count up from its own
    // bottom row, which lies below the bitmap here: scan lines 0 to 2 are zeros.
    info = make_info(8, 8, 32);
    memset(bits, 0xEE, sizeof(bits));
    EXPECT_EQ(GetDIBits(canvas.dc, canvas.bitmap, 0, 8, bits, (BITMAPINFO *)&info, DIB_RGB_COLORS),
              5);
    EXPECT_EQ(bits[2 * 32 + 1], 0);
    EXPECT_EQ(bits[3 * 32 + 1], 82); // scan line 3 is row 4: green 82
    EXPECT_EQ(bits[7 * 32 + 1], 2);  // scan line 7 is row 0
    // Top-down, lines 1 and 2 of a 4-row DIB are rows 2 and 1, stored top row first.
    info = make_info(8, -4, 32);
    memset(bits, 0xEE, sizeof(bits));
    EXPECT_EQ(GetDIBits(canvas.dc, canvas.bitmap, 1, 2, bits, (BITMAPINFO *)&info, DIB_RGB_COLORS),
              2);
    EXPECT_EQ(bits[1], 22);
    EXPECT_EQ(bits[32 + 1], 42);
    EXPECT_EQ(bits[2 * 32], 0xEE);
}

// 32-bit masks with red in the low byte (a COLORREF as it stands) draw through the fast row
// path exactly as pixel by pixel, at any width and first column, ignoring the top byte; read
// back, they come out in the order asked for, masks kept.
TEST(gdi_dib, ThirtyTwoBitMasksInEitherByteOrder) {
    const int width = 45;
    gdi_canvas canvas(width, 2);
    struct {
        BITMAPINFOHEADER header;
        DWORD masks[3];
    } info = {make_info(width, -2, 32).header, {0xFF, 0xFF00, 0xFF0000}};
    info.header.biCompression = BI_BITFIELDS;
    uint32_t colours[2][width];
    for (int y = 0; y < 2; y++)
        for (int x = 0; x < width; x++) colours[y][x] = 0xA5000000u | (y * 0x10203u + x * 0x50709u);
    for (int first = 0; first < 3; first++) {
        canvas.clear(RGB(255, 255, 255));
        DWORD columns = (DWORD)(width - first - 2);
        ASSERT_EQ(SetDIBitsToDevice(canvas.dc, first, 0, columns, 2, first, 0, 0, 2, colours,
                                    (BITMAPINFO *)&info, DIB_RGB_COLORS),
                  2);
        for (int y = 0; y < 2; y++)
            for (int x = 0; x < width; x++)
                ASSERT_EQ(canvas.at(x, y), x >= first && x < first + (int)columns
                                               ? colours[y][x] & 0xFFFFFFu
                                               : RGB(255, 255, 255))
                    << first << ": " << x << "," << y;
    }
    SelectObject(canvas.dc, canvas.original);
    uint32_t back[2][width];
    ASSERT_EQ(GetDIBits(canvas.dc, canvas.bitmap, 0, 2, back, (BITMAPINFO *)&info, DIB_RGB_COLORS),
              2);
    EXPECT_EQ(info.masks[0], 0xFFu);
    EXPECT_EQ(info.masks[2], 0xFF0000u);
    // The last pass above drew columns 2 to width - 3 on white.
    for (int x = 0; x < width; x++)
        ASSERT_EQ(back[1][x], x >= 2 && x < width - 2 ? colours[1][x] & 0xFFFFFFu : 0xFFFFFFu) << x;
    SelectObject(canvas.dc, canvas.bitmap);
}

TEST(gdi_dib, GetDIBitsAnswersAQueryWithTheBitmapsFormat) {
    pattern_canvas canvas;
    dib_info info = make_info(0, 0, 0);
    EXPECT_EQ(
        GetDIBits(canvas.dc, canvas.bitmap, 0, 5, nullptr, (BITMAPINFO *)&info, DIB_RGB_COLORS), 5);
    EXPECT_EQ(info.header.biWidth, 7);
    EXPECT_EQ(info.header.biHeight, 5);
    EXPECT_EQ(info.header.biBitCount, 32);
    EXPECT_EQ(info.header.biSizeImage, 140u);
    EXPECT_EQ(GetDIBits(nullptr, canvas.bitmap, 0, 5, nullptr, (BITMAPINFO *)&info, DIB_RGB_COLORS),
              0);
    EXPECT_EQ(GetDIBits(canvas.dc, nullptr, 0, 5, nullptr, (BITMAPINFO *)&info, DIB_RGB_COLORS), 0);
}

TEST(gdi_dib, GetDIBitsAtEightBitsUsesTheDefaultColourTable) {
    gdi_canvas canvas(4, 1);
    SetPixel(canvas.dc, 0, 0, RGB(255, 0, 0));
    SetPixel(canvas.dc, 1, 0, RGB(0, 0, 0));
    SetPixel(canvas.dc, 2, 0, RGB(255, 255, 255));
    SetPixel(canvas.dc, 3, 0, RGB(250, 250, 250)); // the nearest entry is white
    dib_info info = make_info(4, 1, 8);
    unsigned char bits[4];
    EXPECT_EQ(GetDIBits(canvas.dc, canvas.bitmap, 0, 1, bits, (BITMAPINFO *)&info, DIB_RGB_COLORS),
              1);
    EXPECT_EQ(bits[0], 249);
    EXPECT_EQ(bits[1], 0);
    EXPECT_EQ(bits[2], 255);
    EXPECT_EQ(bits[3], 255);
    EXPECT_EQ(info.colours[249].rgbRed, 255);
    EXPECT_EQ(info.colours[1].rgbRed, 128);
}

TEST(gdi_dib, SetDIBitsToDeviceDrawsTheBottomUpSourceRectangle) {
    gdi_canvas canvas(7, 5);
    // A 4x3 bottom-up DIB: the first row in memory is the bottom one.
    unsigned char bits[3][12];
    for (int row = 0; row < 3; row++)
        for (int i = 0; i < 12; i++) bits[row][i] = (unsigned char)(row * 20 + i + 1);
    dib_info info = make_info(4, 3, 24);
    // y_src is counted from the bottom: rows 1 and 2 from the bottom are the top two.
    EXPECT_EQ(SetDIBitsToDevice(canvas.dc, 1, 1, 4, 2, 0, 1, 0, 3, bits, (BITMAPINFO *)&info,
                                DIB_RGB_COLORS),
              3);
    EXPECT_EQ(canvas.at(1, 1), RGB(43, 42, 41)); // memory row 2, first pixel
    EXPECT_EQ(canvas.at(4, 2), RGB(32, 31, 30)); // memory row 1, last pixel
    EXPECT_EQ(canvas.at(1, 3), RGB(255, 255, 255));
}

TEST(gdi_dib, SetDIBitsToDeviceClipsAtTheSurfaceEdges) {
    gdi_canvas canvas(7, 5);
    unsigned char bits[3][12] = {};
    bits[2][0] = 9; // top-left pixel: blue 9
    bits[0][9] = 7; // bottom-right pixel: blue 7
    dib_info info = make_info(4, 3, 24);
    EXPECT_EQ(SetDIBitsToDevice(canvas.dc, -1, -1, 4, 3, 0, 0, 0, 3, bits, (BITMAPINFO *)&info,
                                DIB_RGB_COLORS),
              3);
    EXPECT_EQ(canvas.at(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(canvas.at(3, 0), RGB(255, 255, 255));
    EXPECT_EQ(canvas.at(2, 1), RGB(0, 0, 7));
    EXPECT_EQ(SetDIBitsToDevice(canvas.dc, 5, 3, 4, 3, 0, 0, 0, 3, bits, (BITMAPINFO *)&info,
                                DIB_RGB_COLORS),
              3);
    EXPECT_EQ(canvas.at(5, 3), RGB(0, 0, 9));
    EXPECT_EQ(SetDIBitsToDevice(canvas.dc, 0, 0, 4, 3, 0, 0, 3, 1, bits, (BITMAPINFO *)&info,
                                DIB_RGB_COLORS),
              0); // the first scan line lies past the DIB
}

// A bottom-up picture sent in bands of scan lines lands whole; a source rectangle below the
// block's top rows sheds those rows from the count it reports.
TEST(gdi_dib, SetDIBitsToDeviceTakesBottomUpBands) {
    gdi_canvas canvas(2, 4);
    uint32_t bits[4][2] = {{1, 1}, {2, 2}, {3, 3}, {4, 4}}; // blue 1 at the bottom
    dib_info info = make_info(2, 4, 32);
    for (UINT band = 0; band < 4; band += 2)
        EXPECT_EQ(SetDIBitsToDevice(canvas.dc, 0, 0, 2, 4, 0, 0, band, 2, bits[band],
                                    (BITMAPINFO *)&info, DIB_RGB_COLORS),
                  2);
    for (int y = 0; y < 4; y++) EXPECT_EQ(canvas.at(1, y), RGB(0, 0, 4 - y));
    canvas.clear(RGB(255, 255, 255));
    EXPECT_EQ(SetDIBitsToDevice(canvas.dc, 0, 0, 2, 1, 0, 0, 0, 4, bits, (BITMAPINFO *)&info,
                                DIB_RGB_COLORS),
              1);
    EXPECT_EQ(canvas.at(0, 0), RGB(0, 0, 1));
    EXPECT_EQ(canvas.at(0, 1), RGB(255, 255, 255));
}

TEST(gdi_dib, SetDIBitsToDeviceReadsPaletteAndCoreFormats) {
    gdi_canvas canvas(8, 3);
    dib_info info = make_info(8, 1, 1);
    info.colours[0] = RGBQUAD{0, 0, 255, 0};
    info.colours[1] = RGBQUAD{255, 0, 0, 0};
    unsigned char one[4] = {0xA5};
    EXPECT_EQ(SetDIBitsToDevice(canvas.dc, 0, 0, 8, 1, 0, 0, 0, 1, one, (BITMAPINFO *)&info,
                                DIB_RGB_COLORS),
              1);
    EXPECT_EQ(canvas.at(0, 0), RGB(0, 0, 255)); // bit 7 set: entry 1, blue
    EXPECT_EQ(canvas.at(1, 0), RGB(255, 0, 0));
    info = make_info(3, 1, 4);
    info.header.biClrUsed = 2;
    info.colours[1] = RGBQUAD{0, 255, 0, 0};
    unsigned char four[4] = {0x10, 0x10};
    SetDIBitsToDevice(canvas.dc, 0, 1, 3, 1, 0, 0, 0, 1, four, (BITMAPINFO *)&info, DIB_RGB_COLORS);
    EXPECT_EQ(canvas.at(0, 1), RGB(0, 255, 0));
    EXPECT_EQ(canvas.at(1, 1), RGB(0, 0, 0));
    EXPECT_EQ(canvas.at(2, 1), RGB(0, 255, 0));
    struct {
        BITMAPCOREHEADER header;
        RGBTRIPLE colours[256]; // a core header always carries the full table
    } core = {{sizeof(BITMAPCOREHEADER), 2, 1, 1, 8}, {{1, 2, 3}, {4, 5, 6}}};
    unsigned char eight[4] = {1, 0};
    EXPECT_EQ(SetDIBitsToDevice(canvas.dc, 0, 2, 2, 1, 0, 0, 0, 1, eight, (BITMAPINFO *)&core,
                                DIB_RGB_COLORS),
              1);
    EXPECT_EQ(canvas.at(0, 2), RGB(6, 5, 4));
    EXPECT_EQ(canvas.at(1, 2), RGB(3, 2, 1));
}

TEST(gdi_dib, ARoundTripThroughADibKeepsEveryPixel) {
    pattern_canvas canvas;
    for (int bit_count : {24, 32}) {
        for (int height : {5, -5}) {
            dib_info info = make_info(7, height, bit_count);
            unsigned char bits[5 * 28];
            ASSERT_EQ(GetDIBits(canvas.dc, canvas.bitmap, 0, 5, bits, (BITMAPINFO *)&info,
                                DIB_RGB_COLORS),
                      5);
            gdi_canvas copy(7, 5);
            ASSERT_EQ(SetDIBitsToDevice(copy.dc, 0, 0, 7, 5, 0, 0, 0, 5, bits, (BITMAPINFO *)&info,
                                        DIB_RGB_COLORS),
                      5);
            EXPECT_EQ(copy.pixels(), canvas.pixels()) << bit_count << " bits, height " << height;
        }
    }
}

TEST(gdi_dib, IndexedDibsRoundTripBottomUpAndTopDown) {
    for (int bit_count : {1, 4, 8}) {
        int entries = 1 << bit_count;
        dib_info table = make_info(7, 5, bit_count);
        gdi_canvas canvas(7, 5);
        // Without pixel storage GetDIBits fills in the default colour table of the depth.
        ASSERT_NE(GetDIBits(canvas.dc, canvas.bitmap, 0, 5, nullptr, (BITMAPINFO *)&table,
                            DIB_RGB_COLORS),
                  0);
        for (int y = 0; y < 5; y++)
            for (int x = 0; x < 7; x++) {
                RGBQUAD q = table.colours[(x + 2 * y) % entries];
                SetPixel(canvas.dc, x, y, RGB(q.rgbRed, q.rgbGreen, q.rgbBlue));
            }
        for (int height : {5, -5}) {
            dib_info info = make_info(7, height, bit_count);
            unsigned char bits[5 * 8] = {};
            ASSERT_EQ(GetDIBits(canvas.dc, canvas.bitmap, 0, 5, bits, (BITMAPINFO *)&info,
                                DIB_RGB_COLORS),
                      5);
            // The first stored row is the bottom one (y 4) or, top-down, the top one (y 0).
            if (bit_count == 4) {
                EXPECT_EQ(bits[0], height > 0 ? 0x89 : 0x01);
            } else if (bit_count == 1) {
                EXPECT_EQ(bits[0], 0x54); // 0 1 0 1 0 1 0 in every row
            }
            gdi_canvas copy(7, 5);
            ASSERT_EQ(SetDIBitsToDevice(copy.dc, 0, 0, 7, 5, 0, 0, 0, 5, bits, (BITMAPINFO *)&info,
                                        DIB_RGB_COLORS),
                      5);
            EXPECT_EQ(copy.pixels(), canvas.pixels()) << bit_count << " bits, height " << height;
        }
    }
}

TEST(gdi_dib, UnsupportedFormatsAreRefused) {
    gdi_canvas canvas(4, 4);
    unsigned char bits[64] = {};
    dib_info info = make_info(4, 4, 8);
    info.header.biCompression = 1; // BI_RLE8
    EXPECT_EQ(SetDIBitsToDevice(canvas.dc, 0, 0, 4, 4, 0, 0, 0, 4, bits, (BITMAPINFO *)&info,
                                DIB_RGB_COLORS),
              0);
    info = make_info(4, 4, 12);
    EXPECT_EQ(SetDIBitsToDevice(canvas.dc, 0, 0, 4, 4, 0, 0, 0, 4, bits, (BITMAPINFO *)&info,
                                DIB_RGB_COLORS),
              0);
    EXPECT_EQ(GetDIBits(canvas.dc, canvas.bitmap, 0, 4, bits, (BITMAPINFO *)&info, DIB_RGB_COLORS),
              0);
    EXPECT_EQ(SetDIBitsToDevice(canvas.dc, 0, 0, 4, 4, 0, 0, 0, 4, nullptr, (BITMAPINFO *)&info,
                                DIB_RGB_COLORS),
              0);
}

} // namespace
