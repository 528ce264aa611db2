// Window images seen from inside: the screen geometry, buffers and palettes ZVLoadImage
// changes or keeps, and a capture refused. What the window's own calls show is in
// window_images_test.cpp.
#include "image/files/bmp_file.h"

#include "core/window_table.h"
#include "draw/drawing_state.h"
#include "headless_helpers.h"
#include "image_files.h"

#include <gtest/gtest.h>

namespace {

HPALETTE palette_of(int w) {
    window_ref window(w);
    return window->drawing->palette;
}

HBITMAP draw_buffer_of(int w) {
    window_ref window(w);
    return window->buffer_bitmap[window->drawing->draw_buffer];
}

} // namespace

TEST(LoadImage, TheScreenTakesTheImagesSizeAndAnEqualSizeKeepsTheBuffers) {
    scratch_folder dir;
    int w = ZVCreateWindow(30, 40, 640, 480, "load");
    ASSERT_EQ(ZVLoadImage(w, dir.write("image.bmp", make_bmp(200, 100, 24).file()).c_str()), ZV_OK);
    headless_test_window_info before = screen_state_of(w);
    EXPECT_EQ(before.client.left, 30);
    EXPECT_EQ(before.client.top, 40);
    EXPECT_EQ(before.client.right - before.client.left, 200);
    EXPECT_EQ(before.client.bottom - before.client.top, 100);
    HBITMAP buffer = draw_buffer_of(w);
    ASSERT_EQ(ZVLoadImage(w, dir.write("same.bmp", make_bmp(200, 100, 4).file()).c_str()), ZV_OK);
    headless_test_window_info after = screen_state_of(w);
    EXPECT_EQ(memcmp(&before.frame, &after.frame, sizeof(RECT)), 0);
    EXPECT_EQ(draw_buffer_of(w), buffer);
}

TEST(LoadImage, IndexedImagesBringTheirPaletteAndTrueColourKeepsTheWindows) {
    scratch_folder dir;
    int w = ZVCreateWindow(30, 40, 50, 40, "palettes");
    HPALETTE stock = palette_of(w);
    ASSERT_EQ(ZVLoadImage(w, dir.write("24.bmp", make_bmp(10, 10, 24).file()).c_str()), ZV_OK);
    EXPECT_EQ(palette_of(w), stock);
    ASSERT_EQ(ZVLoadImage(w, dir.write("8.bmp", make_bmp(10, 10, 8, 16).file()).c_str()), ZV_OK);
    HPALETTE from_image = palette_of(w);
    EXPECT_NE(from_image, stock);
    EXPECT_EQ(GetPaletteEntries(from_image, 0, 0, nullptr), 16u);
    ASSERT_EQ(ZVLoadImage(w, dir.write("24b.bmp", make_bmp(12, 9, 24, 4).file()).c_str()), ZV_OK);
    EXPECT_EQ(palette_of(w), from_image);
    // Loads and shows that fail keep the palette too, even with an indexed image whose size no
    // buffer can hold.
    EXPECT_EQ(ZVLoadImage(w, dir.write("16.bmp", with_bit_count(make_bmp(2, 2, 24), 16)).c_str()),
              ZV_ERR_16BIT);
    std::string path = dir.write("huge.bmp", huge_rle_bmp());
    EXPECT_EQ(ZVLoadImage(w, path.c_str()), ZV_ERR_NO_MEMORY);
    EXPECT_EQ(ZVShowBitmap(w, ZVLoadBitmap(path.c_str())), ZV_ERR_NO_MEMORY);
    EXPECT_EQ(palette_of(w), from_image);
}

TEST(BufferCapture, ABitmapThePlatformCannotDescribeIsAnError) {
    int w = ZVCreateWindow(10, 10, 20, 20, "capture");
    window_ref window(w);
    ZVGetLastError();
    int failure = ZV_OK;
    EXPECT_EQ(capture_bitmap(window.record, nullptr, &failure), nullptr);
    EXPECT_EQ(failure, ZV_ERROR);
    EXPECT_EQ(ZVGetLastError(), ZV_ERROR);
}
