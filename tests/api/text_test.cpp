// Text and fonts: ZVTextOut, ZVTextAlign and ZVSetFont, measured by their ink and compared
// with what the platform draws with a font made directly. The fonts a window holds and the
// buffer's dirty flag are in text_inside_test.cpp.
#include "text_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <string.h>
#include <thread>
#include <utility>
#include <vector>

namespace {

// What the platform draws with a font made directly, for comparing with ZVSetFont's.
picture platform_picture(int height, int tenths, const char *face, const char *text) {
    // A bitmap like the screen's: a new memory DC's own is one bit deep, which loses the
    // glyphs' smoothed edges.
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 240, 120);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
    RECT all = {0, 0, 240, 120};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HFONT font = CreateFontA(height, 0, tenths, tenths, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0,
                             FF_MODERN, face);
    HGDIOBJ old_font = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_BASELINE);
    std::vector<WCHAR> wide(text, text + strlen(text)); // ASCII: each byte is its character
    TextOutW(dc, 20, 100, wide.data(), (int)wide.size());
    picture p(0);
    p.width = 240;
    p.height = 120;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 240; ++x) p.pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old_font);
    SelectObject(dc, old_bitmap);
    DeleteObject(font);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return p;
}

} // namespace

TEST(Text, TopLeftByDefaultAndBaselineClipsAboveTheBuffer) {
    int w = open_window();
    EXPECT_EQ(ZVTextOut(w, 0, 0, "Hello"), ZV_OK);
    ink_box top_left = ink_of(shown_picture(w));
    EXPECT_LE(top_left.left, 2);
    EXPECT_LE(top_left.top, 5);
    EXPECT_EQ(ZVTextAlign(w, 0), ZV_OK) << "the first alignment call succeeds";
    ZVClearDrawBuffer(w);
    ZVTextOut(w, 0, 0, "Hello");
    ink_box baseline = ink_of(shown_picture(w));
    EXPECT_LT(baseline.pixels, top_left.pixels / 4) << "only descender-free text: little left";
    ZVDestroyWindow(w);
}

TEST(Text, AlignmentCodesFollowTheTable) {
    int w = open_window();
    EXPECT_EQ(text_picture(w, 1, 120, 60, "Centre"), text_picture(w, 2, 120, 60, "Centre"));
    picture top_left = text_picture(w, 4, 120, 60, "Left");
    for (int code : {12, -1, INT_MIN, INT_MAX})
        EXPECT_EQ(text_picture(w, code, 120, 60, "Left"), top_left) << code;
    // Horizontal: left starts at x, right ends there, centre straddles it.
    ink_box left = ink_of(text_picture(w, 4, 120, 60, "Wide"));
    ink_box right = ink_of(text_picture(w, 7, 120, 60, "Wide"));
    ink_box centre = ink_of(text_picture(w, 5, 120, 60, "Wide"));
    EXPECT_NEAR(left.left, 120, 2);
    EXPECT_NEAR(right.right, 120, 2);
    EXPECT_NEAR((centre.left + centre.right) / 2, 120, 2);
    EXPECT_EQ(right.top, left.top);
    // Vertical: baseline above top, bottom above baseline, by the font's metrics.
    ink_box top = ink_of(text_picture(w, 4, 20, 60, "HH"));
    ink_box base = ink_of(text_picture(w, 0, 20, 60, "HH"));
    ink_box bottom = ink_of(text_picture(w, 8, 20, 60, "HH"));
    EXPECT_NEAR(base.bottom, 60, 1);
    EXPECT_LT(bottom.bottom, base.bottom);
    EXPECT_GT(top.top, 60 - 1);
    for (int code = 0; code < 12; ++code) {
        ink_box any = ink_of(text_picture(w, code, 120, 60, "Any"));
        EXPECT_GT(any.pixels, 20) << code;
    }
    ZVDestroyWindow(w);
}

TEST(Text, ColoursComeFromTheForegroundAlone) {
    int w = open_window();
    ZVSetFillColour(w, k_blue);
    ZVSetFillStyle(w, 0);
    ZVFillRectangle(w, 0, 0, 240, 120);
    ZVSetForeground(w, k_red);
    ZVTextOut(w, 10, 10, "Over blue");
    picture over = shown_picture(w);
    int red = over.count(k_red), white = over.count(k_white), blue = over.count(k_blue);
    int reddish = 0; // glyph pixels: red blended into blue, no green in them
    for (ZVCOLOUR c : over.pixels) reddish += (c & 0xFF) != 0 && (c & 0xFF00) == 0;
    EXPECT_GT(red, 5);
    EXPECT_GT(reddish, 60);
    EXPECT_EQ(white, 0) << "a transparent background";
    EXPECT_GT(blue, 240 * 120 * 9 / 10) << "the area keeps its colour between glyphs";

    // Line style and fill colour play no part.
    ZVClearDrawBuffer(w);
    ZVTextOut(w, 10, 60, "Styled");
    picture plain = shown_picture(w);
    ZVSetLineStyle(w, 2);
    ZVSetLineWidth(w, 4);
    ZVSetFillColour(w, k_green);
    ZVClearDrawBuffer(w);
    ZVTextOut(w, 10, 60, "Styled");
    EXPECT_EQ(shown_picture(w), plain);
    EXPECT_EQ(plain.count(k_green), 0);
    ZVDestroyWindow(w);
}

TEST(Text, SetFontConvertsPointsAndTruncatesTheAngle) {
    int w = open_window();
    EXPECT_EQ(ZVSetFont(w, 12, 0.0, "DejaVu Sans"), ZV_OK);
    EXPECT_EQ(text_picture(w, 0, 20, 100, "Twelve points"),
              platform_picture(-16, 0, "DejaVu Sans", "Twelve points"))
        << "12 points are 16 pixels at 96 per inch";
    EXPECT_EQ(ZVSetFont(w, 30, 30.27, "DejaVu Serif"), ZV_OK);
    EXPECT_EQ(text_picture(w, 0, 20, 100, "Angle"),
              platform_picture(-40, 302, "DejaVu Serif", "Angle"));
    EXPECT_EQ(ZVSetFont(w, 30, -30.27, "DejaVu Serif"), ZV_OK);
    EXPECT_EQ(text_picture(w, 0, 20, 100, "Angle"),
              platform_picture(-40, -302, "DejaVu Serif", "Angle"));
    ZVDestroyWindow(w);
}

TEST(Text, UnknownAndNullFacesStillDraw) {
    int w = open_window();
    EXPECT_EQ(ZVSetFont(w, 12, 0.0, "No Such Face Installed Anywhere"), ZV_OK);
    EXPECT_GT(ink_of(text_picture(w, 4, 5, 5, "Nearest")).pixels, 30);
    EXPECT_EQ(ZVSetFont(w, 12, 0.0, nullptr), ZV_OK);
    EXPECT_GT(ink_of(text_picture(w, 4, 5, 5, "Chosen")).pixels, 30);
    EXPECT_EQ(ZVSetFont(w, 12, 0.0, "A face name much longer than thirty-one characters"), ZV_OK);
    EXPECT_GT(ink_of(text_picture(w, 4, 5, 5, "Long")).pixels, 20);
    ZVDestroyWindow(w);
}

TEST(Text, AnglesTurnTheStringAboutItsPoint) {
    int w = open_window(200, 200);
    ZVSetFont(w, 12, 90.0, "DejaVu Sans");
    ink_box up = ink_of(text_picture(w, 4, 100, 190, "Upwards text"));
    EXPECT_GT(up.height(), 2 * up.width()) << "taller than wide";
    EXPECT_NEAR(up.bottom, 190, 3) << "runs upwards from its point";
    EXPECT_GE(up.left, 100 - 2) << "top-left alignment hangs the glyphs to the right";

    ZVSetFont(w, 24, 45.0, "DejaVu Sans");
    picture rising = text_picture(w, 0, 10, 190, "Rising");
    ink_box d = ink_of(rising);
    EXPECT_NEAR(d.width(), d.height(), d.width() / 4);
    EXPECT_LT(d.left, 20);
    EXPECT_GT(d.bottom, 180);
    // The ink near the left edge sits lower than the ink near the right edge.
    int low_left = 0, high_right = INT_MAX;
    for (int y = d.top; y < d.bottom; ++y) {
        if (rising.at(d.left + 4, y) != k_white) low_left = y;
        if (rising.at(d.right - 4, y) != k_white) high_right = std::min(high_right, y);
    }
    EXPECT_GT(low_left, high_right + d.height() / 2);
    ZVDestroyWindow(w);
}

// Sizes and angles no one should pass neither crash nor make the window unusable.
TEST(Text, OddSizesAndAnglesAreSafe) {
    int w = open_window();
    for (int size : {0, -12, 5000, INT_MAX, INT_MIN, -5000}) {
        EXPECT_EQ(ZVSetFont(w, size, 0.0, "DejaVu Sans"), ZV_OK) << size;
        EXPECT_EQ(ZVTextOut(w, 0, 0, "Size"), ZV_OK) << size;
    }
    for (double angle : {1e300, -1e300, double(INFINITY), -double(INFINITY), double(NAN), 720.5}) {
        EXPECT_EQ(ZVSetFont(w, 12, angle, "DejaVu Sans"), ZV_OK) << angle;
        EXPECT_EQ(ZVTextOut(w, 50, 50, "Angle"), ZV_OK) << angle;
    }
    std::string every_byte;
    for (int b = 1; b < 256; ++b) every_byte += static_cast<char>(b);
    EXPECT_EQ(ZVTextOut(w, 0, 0, every_byte.c_str()), ZV_OK);
    EXPECT_EQ(ZVTextOut(w, INT_MIN, INT_MAX, "far away"), ZV_OK) << "clipped is drawn";
    ZVDestroyWindow(w);
}

// A string is UTF-8 when it is valid UTF-8, else Windows-1252, on every system: the same words
// written either way draw the same picture.
TEST(Text, Utf8AndWindows1252StringsDrawAlike) {
    int w = open_window();
    ZVSetFont(w, 14, 0.0, "DejaVu Sans");
    EXPECT_EQ(text_picture(w, 4, 5, 5, "caf\xC3\xA9"), text_picture(w, 4, 5, 5, "caf\xE9"));
    EXPECT_FALSE(text_picture(w, 4, 5, 5, "caf\xE9") == text_picture(w, 4, 5, 5, "cafe"));
    EXPECT_EQ(text_picture(w, 4, 5, 5, "5 \xE2\x82\xAC \xE2\x80\x9Cok\xE2\x80\x9D \xC5\xB8"),
              text_picture(w, 4, 5, 5, "5 \x80 \x93ok\x94 \x9F"))
        << "0x80 to 0x9F are Windows-1252's letters and signs, not controls";
    // One invalid sequence makes the whole string Windows-1252.
    EXPECT_EQ(text_picture(w, 4, 5, 5, "\xC3\xA9 \xFF"),
              text_picture(w, 4, 5, 5, "\xC3\x83\xC2\xA9 \xC3\xBF"));
    for (const char *odd : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82", "\x80\xBF",
                            "\xF0\x9F\x98\x80", "\xF8\x88\x80\x80\x80"})
        EXPECT_EQ(ZVTextOut(w, 5, 5, odd), ZV_OK);
    std::string long_text;
    for (int i = 0; i < 400; ++i) long_text += "\xC3\xA9"; // longer than the stack buffer
    EXPECT_EQ(ZVTextOut(w, 0, 50, long_text.c_str()), ZV_OK);
    ZVDestroyWindow(w);
}

// Alignment measures the characters drawn, not the bytes: five two-byte letters.
TEST(Text, AlignmentCentresUtf8TextOnItsDrawnWidth) {
    int w = open_window(240, 240);
    ZVSetFont(w, 14, 0.0, "DejaVu Sans");
    const char *word = "\xC3\xA9\xC3\xA8\xC3\xAA\xC3\xAB\xE2\x82\xAC";
    ink_box left = ink_of(text_picture(w, 4, 120, 60, word));
    ink_box centre = ink_of(text_picture(w, 5, 120, 60, word));
    ink_box right = ink_of(text_picture(w, 7, 120, 60, word));
    EXPECT_NEAR(left.left, 120, 2);
    EXPECT_NEAR((centre.left + centre.right) / 2, 120, 2);
    EXPECT_NEAR(right.right, 120, 2);
    EXPECT_EQ(centre.width(), left.width());
    ZVSetFont(w, 14, 90.0, "DejaVu Sans");
    ink_box up = ink_of(text_picture(w, 1, 120, 120, word));
    EXPECT_NEAR((up.top + up.bottom) / 2, 120, 2) << "turned, it centres along its run";
    ZVDestroyWindow(w);
}

TEST(Text, FontThePlatformCannotMakeKeepsTheCurrentOne) {
    int w = open_window();
    ASSERT_EQ(ZVSetFont(w, 20, 0.0, "DejaVu Serif"), ZV_OK);
    picture before = text_picture(w, 4, 5, 5, "Kept");
    ZVGetLastError();
    {
        gdi_objects_exhausted exhausted;
        if (!exhausted.exhausted)
            GTEST_SKIP() << "the platform hands out GDI objects without limit";
        EXPECT_EQ(ZVSetFont(w, 12, 0.0, "DejaVu Sans"), ZV_ERROR);
    }
    EXPECT_EQ(ZVGetLastError(), ZV_OK) << "the last error is untouched";
    EXPECT_EQ(text_picture(w, 4, 5, 5, "Kept"), before) << "drawn in the font kept";
    ZVDestroyWindow(w);
}

TEST(Text, BadWindowsAreReported) {
    for (int bad : {0, -1, 9000}) {
        EXPECT_EQ(ZVTextOut(bad, 0, 0, "x"), ZV_ERR_BAD_WINDOW);
        EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_WINDOW);
        EXPECT_EQ(ZVTextAlign(bad, 0), ZV_ERR_BAD_WINDOW);
        EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_WINDOW);
        EXPECT_EQ(ZVSetFont(bad, 12, 0.0, "DejaVu Sans"), ZV_ERR_BAD_WINDOW);
        EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_WINDOW);
        EXPECT_EQ(ZVGetTextWidth(bad, "x"), ZV_ERR_BAD_WINDOW);
        EXPECT_EQ(ZVGetTextHeight(bad, "x"), ZV_ERR_BAD_WINDOW);
    }
    int w = open_window();
    ZVGetLastError();
    ZVTextOut(w, 0, 0, "fine");
    ZVSetFont(w, 10, 0.0, "DejaVu Sans");
    ZVTextAlign(w, 3);
    EXPECT_EQ(ZVGetLastError(), ZV_OK) << "success leaves the last error alone";
    ZVDestroyWindow(w);
}

// The box a string is measured to holds what ZVTextOut draws, wherever the alignment puts it,
// and its width adds up by characters (the library neither kerns nor hints across them).
TEST(Text, MeasuredTextHoldsItsInkAndRightAlignsToAnEdge) {
    int w = open_window(300, 120);
    for (const char *face : {"DejaVu Sans", "DejaVu Serif"}) {
        ASSERT_EQ(ZVSetFont(w, 14, 0.0, face), ZV_OK);
        const char *text = "Score 907 \xD0\xB6\xCE\xBB"; // UTF-8 "ж" and "λ" at the end
        int width = ZVGetTextWidth(w, text), height = ZVGetTextHeight(w, text);
        EXPECT_EQ(width, ZVGetTextWidth(w, "Score 907 ") + ZVGetTextWidth(w, "\xD0\xB6") +
                             ZVGetTextWidth(w, "\xCE\xBB"));
        EXPECT_GT(ZVGetTextWidth(w, "WWW"), ZVGetTextWidth(w, "iii"));
        EXPECT_GT(height, 10);
        EXPECT_LT(height, 30);
        // Left from x = 40, right-aligned to x = 260: the ink stays inside the measured box.
        for (auto [code, left] : {std::pair<int, int>{4, 40}, {7, 260 - width}}) {
            ink_box ink = ink_of(text_picture(w, code, code == 4 ? 40 : 260, 30, text));
            EXPECT_GE(ink.left, left) << face << " code " << code;
            EXPECT_LE(ink.right, left + width) << face << " code " << code;
            EXPECT_GE(ink.top, 30);
            EXPECT_LE(ink.bottom, 30 + height);
            EXPECT_GT(ink.width(), width * 3 / 4) << "the box is not much wider than the text";
        }
    }
    EXPECT_EQ(ZVGetTextWidth(w, nullptr), ZV_ERROR);
    EXPECT_EQ(ZVGetTextHeight(w, nullptr), ZV_ERROR);
    ZVDestroyWindow(w);
}

// One thread changes the font and alignment of a window while another draws text into it,
// and two more draw into windows of their own.
TEST(Text, FontChangesAndDrawingOnSeveralThreads) {
    int shared = open_window();
    int own[2] = {open_window(), open_window()};
    std::atomic<bool> stop{false};
    std::atomic<int> failures{0};
    std::thread changer([&] {
        for (int i = 0; i < 200; ++i) {
            failures += ZVSetFont(shared, 8 + i % 10, (i % 4) * 30.0, "DejaVu Sans") != ZV_OK;
            failures += ZVTextAlign(shared, i % 12) != ZV_OK;
        }
        stop = true;
    });
    std::vector<std::thread> drawers;
    for (int w : {shared, own[0], own[1]})
        drawers.emplace_back([&, w] {
            while (!stop) failures += ZVTextOut(w, 100, 60, "Concurrent") != ZV_OK;
        });
    changer.join();
    for (std::thread &t : drawers) t.join();
    EXPECT_EQ(failures.load(), 0);
    for (int w : {shared, own[0], own[1]}) ZVDestroyWindow(w);
}
