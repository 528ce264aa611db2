// The pointer hidden over a window, a bitmap as the window's icon, and which display the
// windows are on, as the headless screen sees them.
#include "headless_helpers.h"
#include "image_files.h"
#include "png_bytes.h"
#include "poll.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool cursor_hidden(int w) {
    return screen_state_of(w).cursor_hidden;
}

} // namespace

// Hidden at once where the pointer is, kept while it is away, and given back over the window
// alone: another window under the pointer shows it.
TEST(Pointer, HiddenOverItsWindowAloneUntilShownAgain) {
    int w = ZVCreateWindow(100, 100, 200, 150, "hide");
    int other = ZVCreateWindow(400, 100, 200, 150, "other");
    POINT inside = client_to_screen(w, 50, 50), elsewhere = client_to_screen(other, 20, 20);
    headless_test_move_pointer(inside.x, inside.y, 0);
    ASSERT_TRUE(flush_input(w));
    EXPECT_FALSE(cursor_hidden(w));
    EXPECT_EQ(ZVShowCursor(w, 0), ZV_OK);
    EXPECT_TRUE(cursor_hidden(w)) << "applied before the call returns";
    headless_test_move_pointer(elsewhere.x, elsewhere.y, 0);
    headless_test_move_pointer(inside.x + 5, inside.y, 0);
    ASSERT_TRUE(flush_input(other));
    ASSERT_TRUE(flush_input(w));
    EXPECT_FALSE(cursor_hidden(other));
    EXPECT_TRUE(cursor_hidden(w)) << "still hidden when the pointer comes back";
    EXPECT_EQ(ZVShowCursor(w, 1), ZV_OK);
    EXPECT_FALSE(cursor_hidden(w));
    EXPECT_EQ(ZVShowCursor(0, 0), ZV_ERR_BAD_WINDOW);
    ZVDestroyWindow(other);
    ZVDestroyWindow(w);
}

// A PNG's alpha reaches the icon as it is; a bitmap without alpha is opaque. A new icon
// replaces the old, and a bitmap too large or no bitmap at all changes nothing.
TEST(Icon, TheBitmapsPixelsAndAlphaBecomeTheIcon) {
    int w = ZVCreateWindow(100, 100, 64, 48, "icon");
    scratch_folder dir;
    png_layout layout;
    layout.width = 24;
    layout.height = 18;
    layout.colour_type = PNG_COLOR_TYPE_RGB_ALPHA;
    int sprite = ZVLoadBitmap(dir.write("icon.png", make_png(layout)).c_str());
    ASSERT_GT(sprite, 0);
    EXPECT_EQ(ZVSetIcon(w, sprite), ZV_OK);
    std::vector<uint32_t> icon;
    ASSERT_TRUE(headless_test_icon(hwnd_of(w), &icon));
    ASSERT_EQ(icon.size(), 24u * 18u);
    EXPECT_EQ(screen_state_of(w).icon_width, 24);
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 24; ++x)
            ASSERT_EQ(icon[static_cast<size_t>(y) * 24 + x], layout.expected(x, y))
                << x << "," << y;

    ZVSetForeground(w, ZVGetRGBColour(10, 20, 30));
    ZVSetFillColour(w, ZVGetRGBColour(10, 20, 30));
    ZVFillRectangle(w, 0, 0, 15, 15);
    int square = ZVCopyBitmap(w, 0, 0, 16, 16);
    ASSERT_GT(square, 0);
    EXPECT_EQ(ZVSetIcon(w, square), ZV_OK);
    ASSERT_TRUE(headless_test_icon(hwnd_of(w), &icon));
    ASSERT_EQ(icon.size(), 256u);
    EXPECT_EQ(icon[0], 0xFF0A141Eu) << "opaque, 0xAARRGGBB";

    EXPECT_EQ(ZVSetIcon(w, 99999), ZV_ERR_BAD_BITMAP);
    EXPECT_EQ(ZVSetIcon(0, square), ZV_ERR_BAD_WINDOW);
    int wide = ZVCreateWindow(10, 10, 1100, 20, "wide");
    int huge = ZVCopyBitmap(wide, 0, 0, 1100, 20);
    EXPECT_EQ(ZVSetIcon(w, huge), ZV_ERR_BAD_WIDTH);
    ASSERT_TRUE(headless_test_icon(hwnd_of(w), &icon));
    EXPECT_EQ(icon.size(), 256u) << "the icon before stays";
    for (int bitmap : {sprite, square, huge}) ZVDiscardBitmap(bitmap);
    ZVDestroyWindow(wide);
    ZVDestroyWindow(w);
}

TEST(Display, TheHeadlessScreenNamesItself) {
    const char *kind = ZVGetDisplayKind();
    EXPECT_STREQ(kind, "headless");
    EXPECT_EQ(ZVGetDisplayKind(), kind) << "a constant string";
}
