// Text and fonts seen from inside: the buffer's dirty flag, and the fonts a window holds and
// deletes. What the text calls draw is in text_test.cpp.
#include "core/window_table.h"
#include "draw/drawing_state.h"
#include "text_support.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

HFONT font_of(int w) {
    window_ref window(w);
    return window->drawing->font;
}

} // namespace

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
