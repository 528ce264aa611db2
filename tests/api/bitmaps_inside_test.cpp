// Bitmaps seen from inside: the screen a shown bitmap resizes, and a record's life while it is
// held. What the bitmap calls show is in bitmaps_test.cpp.
#include "image/bitmap_list.h"

#include "headless_helpers.h"
#include "image_files.h"
#include "poll.h"

#include <gtest/gtest.h>

TEST(Bitmaps, ShowResizesTheScreenToTheImage) {
    scratch_folder dir;
    bmp_image image = make_bmp(320, 200, 8);
    int bitmap = ZVLoadBitmap(dir.write("b.bmp", image.file()).c_str());
    int w = ZVCreateWindow(20, 20, 640, 480, "show");
    ASSERT_EQ(ZVShowBitmap(w, bitmap), ZV_OK);
    headless_test_window_info state = screen_state_of(w);
    EXPECT_EQ(state.client.right - state.client.left, 320);
    EXPECT_EQ(state.client.bottom - state.client.top, 200);
    // The screen catches up at the next refresh.
    HWND hwnd = hwnd_of(w);
    EXPECT_TRUE(poll_until([&] {
        std::vector<uint32_t> pixels;
        int width = 0, height = 0;
        headless_test_read_client(hwnd, &pixels, &width, &height);
        if (width != 320 || height != 200) return false;
        uint32_t bgrx = pixels[199 * 320 + 319];
        ZVCOLOUR expected = image.colour_at(319, 199);
        return ((bgrx >> 16 & 0xFF) | (bgrx & 0xFF00) | (bgrx & 0xFF) << 16) == expected;
    }));
}

TEST(BitmapList, ADiscardedBitmapInUseLivesUntilItIsGivenBack) {
    scratch_folder dir;
    bmp_image image = make_bmp(8, 8, 24);
    int bitmap = ZVLoadBitmap(dir.write("b.bmp", image.file()).c_str());
    bitmap_record *held = bitmap_find(bitmap);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(ZVDiscardBitmap(bitmap), ZV_OK);
    EXPECT_EQ(ZVGetBitmapWidth(bitmap), ZV_ERR_BAD_BITMAP); // gone from the list at once
    // ...but the holder still reads a whole record, pixels as in the file (AddressSanitizer
    // also sees any read of freed memory).
    EXPECT_EQ(held->width, 8);
    ASSERT_EQ(held->bits_bytes, static_cast<int>(image.pixels.size()));
    EXPECT_EQ(bytes(held->bits, held->bits + held->bits_bytes), image.pixels);
    bitmap_give_back(held);
}
