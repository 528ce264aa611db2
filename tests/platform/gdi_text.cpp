// Text through GDI: alignment, rotation, the glyph cache, colours and background modes, and
// arguments that must neither crash nor allocate without bound. Measured by ink.
#include "gdi_text_util.h"
#include "platform/posix/gdi/text/font_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <thread>

namespace {

font_engine *engine_of(HFONT font) {
    return font_engine_of(reinterpret_cast<gdi_font *>(gdi_handle_get(font, GDI_OBJ_FONT)));
}

} // namespace

TEST(GdiText, StockFontPutsTopLeftInkNearThePoint) {
    text_canvas canvas(120, 40);
    EXPECT_TRUE(canvas.draw(static_cast<HFONT>(GetStockObject(SYSTEM_FONT)), TA_TOP | TA_LEFT, 0, 0,
                            "Hello"));
    ink_box ink = ink_of(canvas);
    ASSERT_FALSE(ink.empty());
    EXPECT_LE(ink.left, 2);
    EXPECT_LE(ink.top, 5) << "the cell's internal leading only";
    EXPECT_GE(ink.height(), 9) << "a 16-pixel face";
    EXPECT_LE(ink.height(), 16);
}

TEST(GdiText, VerticalAlignmentPlacesTheBaseline) {
    HFONT font = make_font(20);
    font_engine *engine = engine_of(font);
    ASSERT_NE(engine, nullptr);
    text_canvas baseline(200, 120), bottom(200, 120), top(200, 120);
    baseline.draw(font, TA_BASELINE | TA_LEFT, 10, 60, "HHH");
    bottom.draw(font, TA_BOTTOM | TA_LEFT, 10, 60, "HHH");
    top.draw(font, TA_TOP | TA_LEFT, 10, 60, "HHH");
    EXPECT_NEAR(ink_of(baseline).bottom, 60, 1);
    EXPECT_NEAR(ink_of(bottom).bottom, 60 - engine->descent, 1);
    EXPECT_EQ(ink_of(top).top - ink_of(baseline).top, engine->ascent);
    EXPECT_EQ(ink_of(top).left, ink_of(baseline).left);
    DeleteObject(font);
}

TEST(GdiText, RightAndCentreAlignmentFollowTheAdvance) {
    HFONT font = make_font(18);
    const char *word = "Wide";
    int advance = advance_of(font, word);
    EXPECT_GT(advance, 30);
    text_canvas left(300, 60), right(300, 60), centre(300, 60);
    left.draw(font, TA_TOP | TA_LEFT, 50, 10, word);
    right.draw(font, TA_TOP | TA_RIGHT, 50 + advance, 10, word);
    centre.draw(font, TA_TOP | TA_CENTER, 50 + advance / 2, 10, word);
    EXPECT_EQ(right.pixels(), left.pixels()) << "right alignment is a shift by the advance";
    ink_box l = ink_of(left), c = ink_of(centre), r = ink_of(right);
    EXPECT_NEAR(c.left, l.left, 1);
    EXPECT_NEAR(r.right, 50 + advance, 2) << "the ink ends at the given x";
    EXPECT_EQ(c.width(), l.width());
    DeleteObject(font);
}

TEST(GdiText, UpdateCpMovesThePositionPastTheText) {
    HFONT font = make_font(16);
    int advance = advance_of(font, "abc");
    text_canvas canvas(200, 40);
    SelectObject(canvas.dc, font);
    SetTextAlign(canvas.dc, TA_UPDATECP | TA_RIGHT);
    MoveToEx(canvas.dc, 150, 5, nullptr);
    EXPECT_TRUE(text_out(canvas.dc, 0, 0, u"abc")) << "x and y are ignored";
    POINT after;
    MoveToEx(canvas.dc, 0, 0, &after);
    EXPECT_EQ(after.x, 150 - advance);
    EXPECT_EQ(after.y, 5);
    EXPECT_NEAR(ink_of(canvas).right, 150, 2);
    SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
}

TEST(GdiText, GlyphsAreRenderedOncePerFont) {
    HFONT font = make_font(24), other = make_font(24);
    text_canvas canvas(300, 60);
    canvas.draw(font, TA_TOP, 0, 0, "cache me");
    font_engine *engine = engine_of(font);
    const font_glyph *c = font_glyph_cached(engine, 'c');
    size_t cached = engine->cached_bytes;
    ASSERT_NE(c, nullptr);
    EXPECT_GT(cached, 0u);
    EXPECT_EQ(font_glyph_cached(engine, 'x'), nullptr) << "only what was drawn";
    std::vector<COLORREF> first = canvas.pixels();
    canvas.clear(RGB(255, 255, 255));
    canvas.draw(font, TA_TOP, 0, 0, "cache me");
    EXPECT_EQ(font_glyph_cached(engine, 'c'), c) << "the same glyph, not rendered again";
    EXPECT_EQ(engine->cached_bytes, cached);
    EXPECT_EQ(canvas.pixels(), first);
    canvas.draw(other, TA_TOP, 0, 30, "c");
    EXPECT_NE(font_glyph_cached(engine_of(other), 'c'), c) << "each font has its own cache";
    DeleteObject(font);
    DeleteObject(other);
}

TEST(GdiText, EscapementTurnsTheStringCounterClockwise) {
    HFONT up = make_font(16, 900), rising = make_font(24, 450), down = make_font(16, 1800);
    text_canvas vertical(200, 200), diagonal(300, 300), reversed(200, 60);
    vertical.draw(up, TA_BASELINE | TA_LEFT, 100, 180, "Upwards text");
    ink_box v = ink_of(vertical);
    EXPECT_GT(v.height(), 3 * v.width()) << "taller than wide";
    EXPECT_NEAR(v.bottom, 180, 3) << "runs upwards from its point";
    EXPECT_LE(v.right, 100 + 6) << "only the descenders cross to the right of the baseline";

    diagonal.draw(rising, TA_BASELINE | TA_LEFT, 20, 280, "Rising at 45");
    ink_box d = ink_of(diagonal);
    EXPECT_NEAR(d.width(), d.height(), d.width() / 5);
    // Along a rising diagonal the ink near the left edge sits low, near the right edge high.
    ink_box left_part = d, right_part = d;
    for (int y = d.top; y < d.bottom; y++) {
        if (diagonal.at(d.left + 5, y) != RGB(255, 255, 255)) left_part.top = y;
        if (diagonal.at(d.right - 5, y) != RGB(255, 255, 255)) right_part.bottom = y;
    }
    EXPECT_GT(left_part.top, right_part.bottom);

    reversed.draw(down, TA_BASELINE | TA_LEFT, 150, 30, "upside");
    ink_box r = ink_of(reversed);
    EXPECT_LE(r.right, 152) << "180 degrees runs to the left";
    EXPECT_GE(r.top, 27) << "and hangs below the baseline";
    for (HFONT f : {up, rising, down}) DeleteObject(f);
}

TEST(GdiText, Latin1BytesDrawTheirCharacters) {
    HFONT font = make_font(32);
    text_canvas plain(60, 60), accented(60, 60), control(60, 60);
    plain.draw(font, TA_TOP, 10, 5, "e");
    accented.draw(font, TA_TOP, 10, 5, "\xE9");
    control.draw(font, TA_TOP, 10, 5, "\x01");
    ink_box e = ink_of(plain), e_acute = ink_of(accented);
    ASSERT_FALSE(e_acute.empty());
    EXPECT_LT(e_acute.top, e.top - 3) << "the accent stands above the e";
    EXPECT_NE(accented.pixels(), control.pixels()) << "a character, not the missing glyph";
    DeleteObject(font);
}

TEST(GdiText, ColourBlendingAndBackgroundModes) {
    HFONT font = make_font(20);
    text_canvas canvas(200, 50);
    canvas.clear(RGB(0, 255, 0));
    SetTextColor(canvas.dc, RGB(255, 0, 0));
    canvas.draw(font, TA_TOP, 5, 5, "Colour");
    int red = 0, blended = 0, white = 0;
    for (COLORREF c : canvas.pixels()) {
        red += c == RGB(255, 0, 0);
        white += c == RGB(255, 255, 255);
        blended += GetBValue(c) == 0 && c != RGB(255, 0, 0) && c != RGB(0, 255, 0);
    }
    EXPECT_GT(red, 20);
    EXPECT_GT(blended, 20) << "edges mix the text colour into what was there";
    EXPECT_EQ(white, 0) << "a transparent background changes no other pixel";

    SetBkMode(canvas.dc, OPAQUE);
    SetBkColor(canvas.dc, RGB(0, 0, 255));
    canvas.clear(RGB(255, 255, 255));
    canvas.draw(font, TA_TOP, 5, 5, "Colour");
    // The box of pure background colour: glyphs may overhang it, and blend at its edges.
    ink_box box;
    box.left = box.top = INT_MAX;
    for (int y = 0; y < canvas.height; y++)
        for (int x = 0; x < canvas.width; x++) {
            if (canvas.at(x, y) != RGB(0, 0, 255)) continue;
            box.left = std::min(box.left, x);
            box.top = std::min(box.top, y);
            box.right = std::max(box.right, x + 1);
            box.bottom = std::max(box.bottom, y + 1);
        }
    font_engine *engine = engine_of(font);
    EXPECT_EQ(box.left, 5);
    EXPECT_EQ(box.top, 5);
    EXPECT_EQ(box.width(), advance_of(font, "Colour"));
    EXPECT_EQ(box.height(), engine->ascent + engine->descent);
    EXPECT_EQ(canvas.at(6, 6), RGB(0, 0, 255));
    DeleteObject(font);
}

TEST(GdiText, DeviceCapsAndTextState) {
    gdi_canvas canvas(4, 4);
    EXPECT_EQ(GetDeviceCaps(canvas.dc, LOGPIXELSY), 96);
    EXPECT_EQ(SetTextAlign(canvas.dc, TA_BASELINE | TA_CENTER), 0u) << "a fresh DC is top-left";
    EXPECT_EQ(SetTextAlign(canvas.dc, TA_BOTTOM), (UINT)(TA_BASELINE | TA_CENTER));
    EXPECT_EQ(SetTextAlign(nullptr, TA_TOP), GDI_ERROR);
    EXPECT_EQ(SetBkMode(canvas.dc, TRANSPARENT), OPAQUE);
    EXPECT_EQ(SetBkMode(canvas.dc, 7), 0) << "no such mode";
    EXPECT_EQ(SetBkMode(canvas.dc, OPAQUE), TRANSPARENT);
}

TEST(GdiText, OddArgumentsNeverCrash) {
    HFONT font = make_font(16);
    text_canvas canvas(50, 30);
    SelectObject(canvas.dc, font);
    EXPECT_FALSE(TextOutW(nullptr, 0, 0, u"x", 1));
    EXPECT_FALSE(TextOutW(canvas.dc, 0, 0, u"x", -1));
    EXPECT_FALSE(TextOutW(canvas.dc, 0, 0, nullptr, 3));
    EXPECT_TRUE(TextOutW(canvas.dc, 0, 0, nullptr, 0));
    EXPECT_EQ(ink_of(canvas).pixels, 0);
    // Far outside the surface, on every side, and every Latin-1 character including controls,
    // lone and swapped surrogates, characters beyond the Basic Multilingual Plane and ones
    // no face has.
    std::u16string every;
    for (char16_t c = 1; c < 256; c++) every += c;
    every += u"\xD800x\xDC00\xDC00\xD800\U0001F600\U0010FFFF\xE000\xFFFF\xD83D";
    for (int x : {INT_MIN, -1000, 0, 1000, INT_MAX})
        for (int y : {INT_MIN, -30, 10, INT_MAX}) EXPECT_TRUE(text_out(canvas.dc, x, y, every));
    EXPECT_TRUE(text_out(canvas.dc, 0, 0, u"a\nb\tc\r\x7f"));
    EXPECT_TRUE(TextOutW(canvas.dc, 0, 0, u"a\0b", 3)) << "a NUL inside the count is a glyph";
    SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
}

TEST(GdiText, HugeZeroAndNegativeSizesStayBounded) {
    text_canvas zero(120, 40), sixteen(120, 40), cell(120, 40);
    HFONT zero_font = make_font(0), sixteen_font = make_font(16);
    zero.draw(zero_font, TA_TOP, 0, 0, "Size");
    sixteen.draw(sixteen_font, TA_TOP, 0, 0, "Size");
    EXPECT_EQ(zero.pixels(), sixteen.pixels()) << "height 0 is the default 16 pixels";
    // A positive height asks for the cell: the same face drawn smaller.
    HFONT cell_font = CreateFontA(16, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans");
    cell.draw(cell_font, TA_TOP, 0, 0, "Size");
    EXPECT_LT(ink_of(cell).height(), ink_of(sixteen).height());

    for (int height : {INT_MIN, -5000000, INT_MAX}) {
        HFONT huge = CreateFontA(height, 0, 450, 450, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0x30, "");
        text_canvas canvas(300, 300);
        EXPECT_TRUE(canvas.draw(huge, TA_TOP, 0, 0, "W")) << height;
        EXPECT_GT(ink_of(canvas).pixels, 300 * 300 / 20) << "drawn at the largest size";
        DeleteObject(huge);
    }
    // Many different glyphs at the largest size: the cache stops at its budget, and glyphs
    // beyond it are still drawn.
    HFONT huge = make_font(INT_MAX);
    text_canvas canvas(400, 400);
    const char *letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    canvas.draw(huge, TA_TOP, 0, 0, letters);
    EXPECT_LE(engine_of(huge)->cached_bytes, font_cache_budget_bytes);
    EXPECT_EQ(font_glyph_cached(engine_of(huge), 'z')->coverage, nullptr) << "over the budget";
    // Right-aligned, the last glyph lands where it does alone, the rest far to its left.
    text_canvas alone(400, 400), beyond(400, 400);
    alone.draw(huge, TA_TOP | TA_RIGHT, 300, 0, "z");
    beyond.draw(huge, TA_TOP | TA_RIGHT, 300, 0, letters);
    EXPECT_GT(ink_of(alone).pixels, 1000);
    EXPECT_EQ(alone.pixels(), beyond.pixels());
    for (HFONT f : {zero_font, sixteen_font, cell_font, huge}) DeleteObject(f);
}

// Several threads draw at once with fonts none of them has used yet, the shared stock font
// among them: each font's engine is set up once and every thread gets the same picture, with
// a character from a fallback face and one beyond the Basic Multilingual Plane in it.
TEST(GdiText, ThreadsShareFontsSafely) {
    HFONT shared = make_font(15, 300, "DejaVu Serif");
    HFONT stock = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    constexpr int thread_count = 4;
    std::vector<std::vector<COLORREF>> shared_pictures(thread_count), own_pictures(thread_count);
    std::vector<std::thread> threads;
    for (int t = 0; t < thread_count; t++)
        threads.emplace_back([&, t] {
            HFONT own = make_font(12 + t);
            text_canvas canvas(160, 80);
            for (int round = 0; round < 20; round++) {
                canvas.clear(RGB(255, 255, 255));
                canvas.draw(shared, TA_BASELINE, 10, 60, u"Shared \u2603 \U0001F600");
                canvas.draw(stock, TA_TOP, 0, 0, "Stock");
            }
            shared_pictures[t] = canvas.pixels();
            canvas.clear(RGB(255, 255, 255));
            canvas.draw(own, TA_TOP, 0, 0, "Own font");
            own_pictures[t] = canvas.pixels();
            DeleteObject(own);
        });
    for (std::thread &thread : threads) thread.join();
    for (int t = 1; t < thread_count; t++) {
        EXPECT_EQ(shared_pictures[t], shared_pictures[0]) << t;
        EXPECT_NE(own_pictures[t], own_pictures[0]) << "sizes differ: " << t;
    }
    DeleteObject(shared);
}
