// Text on a machine without fonts: fontconfig is pointed at a configuration that lists no
// font directory, so every font falls back to the built-in bitmap font. The configuration is
// set before the first font is drawn; this file holds only tests that want it.
#include "gdi_text_util.h"
#include "platform/posix/gdi/text/font_engine.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <set>
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

} // namespace

TEST(GdiTextFallback, BitmapFontDrawsWhenNoFaceIsInstalled) {
    use_no_fonts();
    HFONT font = make_font(16, 0, "DejaVu Sans");
    font_engine *engine = engine_of(font);
    ASSERT_NE(engine, nullptr);
    EXPECT_TRUE(engine->bitmap_font);
    text_canvas canvas(120, 40);
    EXPECT_TRUE(canvas.draw(font, TA_TOP | TA_LEFT, 0, 0, "HI"));
    ink_box ink = ink_of(canvas);
    EXPECT_EQ(ink.left, 0);
    EXPECT_EQ(ink.top, 0) << "capitals fill the ascent";
    EXPECT_EQ(ink.height(), engine->ascent) << "scaled by whole pixels";
    EXPECT_EQ(canvas.count(RGB(0, 0, 0)), ink.pixels) << "bitmap glyphs have no soft edges";

    // Alignment uses the same metrics as outline fonts.
    text_canvas baseline(120, 40);
    baseline.draw(font, TA_BASELINE | TA_RIGHT, 100, 30, "HI");
    EXPECT_EQ(ink_of(baseline).bottom, 30);
    EXPECT_LE(ink_of(baseline).right, 100);
    DeleteObject(font);
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
    DeleteObject(up);
}

TEST(GdiTextFallback, EveryPrintableCharacterHasAShapeOfItsOwn) {
    use_no_fonts();
    HFONT font = make_font(9); // one pixel per design cell
    std::set<std::vector<COLORREF>> shapes;
    for (char c = 0x21; c <= 0x7E; c++) {
        text_canvas canvas(8, 10);
        const char text[] = {c, 0};
        canvas.draw(font, TA_TOP | TA_LEFT, 0, 0, text);
        ink_box ink = ink_of(canvas);
        EXPECT_FALSE(ink.empty()) << c;
        EXPECT_LE(ink.right, 5) << c << " drawn one pixel per design cell";
        EXPECT_TRUE(shapes.insert(canvas.pixels()).second) << c << " looks like another character";
    }
    DeleteObject(font);
}
