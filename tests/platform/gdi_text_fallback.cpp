// Text on a machine without fonts: fontconfig is pointed at a configuration that lists no
// font directory, so every font falls back to the built-in bitmap font. The configuration is
// set before the first font is drawn; this file holds only tests that want it.
#include "gdi_text_util.h"
#include "platform/posix/gdi/text/bitmap_font_design.h"
#include "platform/posix/gdi/text/font_engine.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

namespace {

// Writes an empty fontconfig configuration and points fontconfig at it.
void use_no_fonts() {
    static char path[] = "/tmp/zelvan-no-fonts-XXXXXX";
    static bool done = false;
    if (done) return;
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    const char config[] = "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n";
    ASSERT_EQ(write(fd, config, sizeof(config) - 1), (ssize_t)(sizeof(config) - 1));
    close(fd);
    setenv("FONTCONFIG_FILE", path, 1);
    atexit([] { unlink(path); });
    done = true;
}

font_engine *engine_of(HFONT font) {
    return font_engine_of(reinterpret_cast<gdi_font *>(gdi_handle_get(font, GDI_OBJ_FONT)));
}

// Every character the font has a shape for: printable ASCII and the rest of Windows-1252
// (but the no-break space and the soft hyphen, which look like the space and the hyphen).
std::u16string font_characters() {
    std::u16string all;
    for (char16_t c = 0x21; c < 0x7F; c++) all += c;
    return all + u"€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ¡¢£¤¥¦§¨©ª«¬®¯°±²³´µ¶·¸¹º»¼½¾¿"
                 u"ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖ×ØÙÚÛÜÝÞßàáâãäåæçèéêëìíîïðñòóôõö÷øùúûüýþÿ";
}

std::string code_name(char16_t c) {
    char name[16];
    snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(c));
    return name;
}

// One character drawn at the top left of a canvas one cell large.
struct cell_drawing {
    std::vector<COLORREF> pixels;
    ink_box ink;
};

cell_drawing draw_in_cell(HFONT font, char16_t c, int margin = 0) {
    font_engine *engine = engine_of(font);
    int advance = 0, ascent = 0, descent = 0;
    bitmap_font_metrics(engine->bitmap_scale, &ascent, &descent, &advance);
    text_canvas canvas(advance + 2 * margin, ascent + descent + 2 * margin);
    canvas.draw(font, TA_TOP | TA_LEFT, margin, margin, std::u16string(1, c));
    return {canvas.pixels(), ink_of(canvas)};
}

} // namespace

TEST(GdiTextFallback, BitmapFontDrawsWhenNoFaceIsInstalled) {
    use_no_fonts();
    HFONT font = make_font(16, 0, "DejaVu Sans");
    font_engine *engine = engine_of(font);
    ASSERT_NE(engine, nullptr);
    EXPECT_TRUE(engine->bitmap_font);
    int scale = engine->bitmap_scale;
    text_canvas canvas(120, 40);
    EXPECT_TRUE(canvas.draw(font, TA_TOP | TA_LEFT, 0, 0, "HI"));
    ink_box ink = ink_of(canvas);
    EXPECT_EQ(ink.left, 0);
    EXPECT_EQ(ink.bottom, engine->ascent) << "capitals stand on the baseline";
    EXPECT_EQ(ink.height(), bitmap_font_cap_height * scale) << "scaled by whole pixels";
    EXPECT_EQ(canvas.count(RGB(0, 0, 0)), ink.pixels) << "bitmap glyphs have no soft edges";
    EXPECT_EQ(advance_of(font, u"Mi\u2014"), 3 * bitmap_font_columns * scale) << "one advance";

    // Alignment uses the same metrics as outline fonts.
    text_canvas baseline(120, 40);
    baseline.draw(font, TA_BASELINE | TA_RIGHT, 100, 30, "HI");
    EXPECT_EQ(ink_of(baseline).bottom, 30);
    EXPECT_LE(ink_of(baseline).right, 100);
    DeleteObject(font);
}

// Negative heights ask for the character height, positive ones for the cell, as with outline
// faces; the font takes the nearest whole scale of its design.
TEST(GdiTextFallback, HeightsChooseTheNearestWholeScale) {
    use_no_fonts();
    const struct {
        int height, cell;
    } cases[] = {{-9, 12}, {-13, 12}, {-14, 24}, {-27, 36}, {-1, 12}, {12, 12},
                 {17, 12}, {18, 24},  {29, 24},  {0, 24}}; // 0: the default 16-pixel font
    for (const auto &c : cases) {
        HFONT font =
            CreateFontA(c.height, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Sans");
        font_engine *engine = engine_of(font);
        EXPECT_EQ(engine->ascent + engine->descent, c.cell) << "height " << c.height;
        text_canvas canvas(20, 50);
        canvas.draw(font, TA_TOP, 0, 0, "g");
        EXPECT_EQ(ink_of(canvas).bottom, c.cell) << "height " << c.height;
        DeleteObject(font);
    }
}

TEST(GdiTextFallback, StockFontAndTurnedTextStillShow) {
    use_no_fonts();
    text_canvas stock(120, 40);
    EXPECT_TRUE(
        stock.draw(static_cast<HFONT>(GetStockObject(SYSTEM_FONT)), TA_TOP, 2, 2, "Text \x01\xE9"));
    EXPECT_GT(ink_of(stock).pixels, 50) << "letters, and boxes for what the font lacks";

    HFONT up = make_font(16, 900);
    text_canvas vertical(60, 200);
    vertical.draw(up, TA_BASELINE | TA_LEFT, 30, 180, "Upwards");
    ink_box v = ink_of(vertical);
    EXPECT_GT(v.height(), 3 * v.width());
    EXPECT_NEAR(v.bottom, 180, 1);
    EXPECT_LE(v.right, 30 + engine_of(up)->descent);
    EXPECT_EQ(vertical.count(RGB(0, 0, 0)), v.pixels) << "a quarter turn keeps hard edges";
    DeleteObject(up);

    HFONT rising = make_font(16, 450);
    text_canvas slanted(120, 120);
    slanted.draw(rising, TA_BASELINE | TA_LEFT, 10, 110, "Rising");
    ink_box s = ink_of(slanted);
    EXPECT_NEAR(s.width(), s.height(), s.width() / 4) << "the line runs at 45 degrees";
    int solid = slanted.count(RGB(0, 0, 0));
    EXPECT_GT(solid, s.pixels / 4);
    EXPECT_LT(solid, s.pixels) << "turned edges are blended";
    DeleteObject(rising);
}

TEST(GdiTextFallback, EveryCharacterHasAShapeOfItsOwnWithinItsCell) {
    use_no_fonts();
    HFONT font = make_font(bitmap_font_em); // one pixel per design pixel
    ASSERT_EQ(engine_of(font)->bitmap_scale, 1);
    const int margin = 3; // ink outside the cell would show here
    std::map<std::vector<COLORREF>, char16_t> shapes;
    shapes.emplace(draw_in_cell(font, 0x01, margin).pixels, 0x01); // the box of what it lacks
    for (char16_t c : font_characters()) {
        cell_drawing drawn = draw_in_cell(font, c, margin);
        ink_box ink = drawn.ink;
        EXPECT_FALSE(ink.empty()) << code_name(c);
        EXPECT_GE(ink.left, margin) << code_name(c);
        EXPECT_GE(ink.top, margin) << code_name(c);
        EXPECT_LE(ink.bottom, margin + bitmap_font_rows) << code_name(c);
        // The last column is the space between characters; only the em dash, which joins the
        // next, runs into it.
        int room = c == u'\u2014' ? bitmap_font_columns : bitmap_font_columns - 1;
        EXPECT_LE(ink.right, margin + room) << code_name(c);
        auto added = shapes.emplace(drawn.pixels, c);
        EXPECT_TRUE(added.second) << code_name(c) << " looks like "
                                  << code_name(added.first->second);
    }
    DeleteObject(font);
}

TEST(GdiTextFallback, LettersStandOnTheBaselineAndDescendersGoBelowIt) {
    use_no_fonts();
    HFONT font = make_font(2 * bitmap_font_em);
    font_engine *engine = engine_of(font);
    const int scale = 2, baseline = 30;
    ASSERT_EQ(engine->bitmap_scale, scale);
    const struct {
        const char *letters;
        int top, bottom; // design rows above the baseline (negative: below)
    } groups[] = {
        {"ABHMZbdhkl", bitmap_font_cap_height, 0},
        {"acemnorsuvwxz", bitmap_font_x_height, 0},
        {"gpqy", bitmap_font_x_height, -bitmap_font_descent},
        {"j", bitmap_font_cap_height, -bitmap_font_descent},
    };
    for (const auto &group : groups)
        for (const char *letter = group.letters; *letter; letter++) {
            text_canvas canvas(20, 40);
            const char text[] = {*letter, 0};
            canvas.draw(font, TA_BASELINE | TA_LEFT, 0, baseline, text);
            ink_box ink = ink_of(canvas);
            EXPECT_EQ(ink.top, baseline - group.top * scale) << *letter;
            EXPECT_EQ(ink.bottom, baseline - group.bottom * scale) << *letter;
        }
    EXPECT_EQ(engine->descent, bitmap_font_descent * scale) << "descenders fill the descent";
    DeleteObject(font);
}

// Each accented letter keeps its base letter whole and adds its mark above it, with a row of
// air between; only the ring of Å sits on the apex.
TEST(GdiTextFallback, AccentedLettersAreTheirBaseWithAMarkAbove) {
    use_no_fonts();
    HFONT font = make_font(bitmap_font_em);
    const struct {
        char16_t base;
        const char16_t *letters;
    } families[] = {
        {u'A', u"ÀÁÂÃÄÅ"}, {u'E', u"ÈÉÊË"}, {u'I', u"ÌÍÎÏ"}, {u'N', u"Ñ"},     {u'O', u"ÒÓÔÕÖ"},
        {u'U', u"ÙÚÛÜ"},   {u'Y', u"ÝŸ"},   {u'S', u"Š"},    {u'Z', u"Ž"},     {u'a', u"àáâãäå"},
        {u'e', u"èéêë"},   {u'ı', u"ìíîï"}, {u'n', u"ñ"},    {u'o', u"òóôõö"}, {u'u', u"ùúûü"},
        {u'y', u"ýÿ"},     {u's', u"š"},    {u'z', u"ž"},
    };
    const COLORREF paper = RGB(255, 255, 255);
    for (const auto &family : families) {
        cell_drawing base = draw_in_cell(font, family.base);
        for (const char16_t *letter = family.letters; *letter; letter++) {
            cell_drawing accented = draw_in_cell(font, *letter);
            int mark_bottom = 0; // the row below the mark's lowest pixel
            for (size_t i = 0; i < base.pixels.size(); i++) {
                if (base.pixels[i] != paper)
                    EXPECT_NE(accented.pixels[i], paper) << code_name(*letter) << " lost ink";
                else if (accented.pixels[i] != paper)
                    mark_bottom = static_cast<int>(i) / bitmap_font_columns + 1;
            }
            EXPECT_GT(mark_bottom, 0) << code_name(*letter) << " has no mark";
            int air = *letter == u'Å' ? 0 : 1;
            EXPECT_LE(mark_bottom + air, base.ink.top) << code_name(*letter);
        }
    }
    DeleteObject(font);
}
