// Text and fonts seen from inside: the buffer's dirty flag, and the fonts a window holds and
// deletes. What the text calls draw is in text_test.cpp.
#include "core/wide_text.h"
#include "core/window_table.h"
#include "draw/draw_call.h"
#include "draw/drawing_state.h"
#include "text_support.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

HFONT font_of(int w) {
    window_ref window(w);
    return window->drawing->font;
}

// Draws `text` as ZVTextOut would at (x, y), but with the DC's opaque background box in black
// and the glyphs in white: on a white buffer only the box shows, not the ink that overhangs it.
void draw_opaque(int w, int x, int y, const char *text) {
    window_ref window(w);
    wide_text wide;
    ASSERT_TRUE(wide.convert_string(text));
    selected_buffer buffer(window.record, buffer_role::draw, true);
    SetBkMode(buffer.dc, OPAQUE);
    SetBkColor(buffer.dc, RGB(0, 0, 0));
    SetTextColor(buffer.dc, RGB(255, 255, 255));
    TextOutW(buffer.dc, x, y, wide.units, wide.length);
}

} // namespace

TEST(Text, MeasuredSizeIsTheBoxTheTextFillsForEveryFaceSizeAndAlignment) {
    int w = open_window(640, 160);
    const char *faces[] = {nullptr, "DejaVu Sans", "DejaVu Serif", "Liberation Mono",
                           "Nimbus Roman"};
    const char *strings[] = {"Score: 12345", "iiWW jq", "\xD0\xB6\xCE\xBB\xE2\x82\xAC ok"};
    for (const char *face : faces) {
        for (int size : {7, 12, 23}) {
            if (face) {
                ASSERT_EQ(ZVSetFont(w, size, 0.0, face), ZV_OK);
            }
            for (const char *text : strings) {
                int width = ZVGetTextWidth(w, text), height = ZVGetTextHeight(w, text);
                EXPECT_GT(width, 0);
                EXPECT_EQ(ZVGetTextHeight(w, ""), height) << "one line height for any text";
                for (int code : {0, 5, 7, 9, 11}) {
                    ZVClearDrawBuffer(w);
                    ZVTextAlign(w, code);
                    draw_opaque(w, 320, 80, text);
                    ink_box box = ink_of(picture(w));
                    EXPECT_EQ(box.width(), width) << (face ? face : "stock") << " " << size
                                                  << " code " << code << " " << text;
                    EXPECT_EQ(box.height(), height) << (face ? face : "stock") << " " << size;
                }
            }
            if (!face) break; // the stock font has one size
        }
    }
    EXPECT_EQ(ZVGetTextWidth(w, ""), 0);
    ZVDestroyWindow(w);
}

TEST(Text, EmptyStringMarksTheBufferAndNullTextIsAnError) {
    int w = open_window();
    // Draw into buffer 1 while buffer 0 is shown: painting clears only the shown one's flag.
    ASSERT_EQ(ZVSetDoubleBuffer(w, 1), 1);
    ASSERT_EQ(ZVSwitchDrawBuffer(w), 1);
    ZVClearDrawBuffer(w);
    picture before(w);
    std::atomic<int> *dirty = nullptr;
    {
        window_ref window(w);
        dirty = &window->buffer_dirty[1];
    }
    dirty->store(0);
    EXPECT_EQ(ZVTextOut(w, 10, 10, ""), ZV_OK);
    EXPECT_EQ(dirty->load(), 1);
    EXPECT_EQ(picture(w), before) << "nothing drawn";
    dirty->store(0);
    EXPECT_EQ(ZVTextOut(w, 10, 10, nullptr), ZV_ERROR);
    EXPECT_EQ(dirty->load(), 0) << "no string, no change";
    EXPECT_EQ(picture(w), before);
    ZVDestroyWindow(w);
}

TEST(Text, ReplacedFontsAreDeletedAndTheStockFontKept) {
    int w = open_window(), other = open_window();
    HFONT stock = font_of(w);
    EXPECT_EQ(stock, GetStockObject(SYSTEM_FONT));
    ZVSetFont(w, 12, 0.0, "DejaVu Sans");
    HFONT first = font_of(w);
    ZVSetFont(w, 14, 0.0, "DejaVu Serif");
    HFONT second = font_of(w);
    EXPECT_NE(first, second);
    EXPECT_FALSE(DeleteObject(first)) << "already deleted by the library";
    HDC probe = CreateCompatibleDC(nullptr);
    EXPECT_NE(SelectObject(probe, stock), nullptr) << "the stock font lives on";
    EXPECT_EQ(SelectObject(probe, first), nullptr);
    DeleteDC(probe);
    EXPECT_GT(ink_of(text_picture(other, 4, 5, 5, "Stock")).pixels, 30);
    ZVDestroyWindow(w);
    ZVDestroyWindow(other);
}
