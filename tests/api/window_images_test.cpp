// Window images seen from inside: the screen geometry, buffers and palettes ZVLoadImage
// changes or keeps. The cases that need only the public API are in
// window_images_public_test.cpp.
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

TEST(LoadImage, ResizesTheWindowToTheImageAndShowsIt) {
    scratch_folder dir;
    bmp_image image = make_bmp(200, 100, 24);
    int w = ZVCreateWindow(30, 40, 640, 480, "load");
    ASSERT_EQ(ZVLoadImage(w, dir.write("image.bmp", image.file()).c_str()), ZV_OK);
    EXPECT_EQ(ZVGetWidth(w), 200);
    EXPECT_EQ(ZVGetHeight(w), 100);
    headless_test_window_info state = screen_state_of(w);
    EXPECT_EQ(state.client.left, 30);
    EXPECT_EQ(state.client.top, 40);
    EXPECT_EQ(state.client.right - state.client.left, 200);
    EXPECT_EQ(state.client.bottom - state.client.top, 100);
    EXPECT_TRUE(shows_whole_image(w, image));
}

TEST(LoadImage, AnImageOfTheWindowsSizeChangesNoGeometry) {
    scratch_folder dir;
    int w = ZVCreateWindow(30, 40, 64, 48, "same size");
    headless_test_window_info before = screen_state_of(w);
    HBITMAP buffer = draw_buffer_of(w);
    bmp_image image = make_bmp(64, 48, 4);
    ASSERT_EQ(ZVLoadImage(w, dir.write("same.bmp", image.file()).c_str()), ZV_OK);
    headless_test_window_info after = screen_state_of(w);
    EXPECT_EQ(memcmp(&before.frame, &after.frame, sizeof(RECT)), 0);
    EXPECT_EQ(draw_buffer_of(w), buffer);
    EXPECT_TRUE(shows_whole_image(w, image));
}

TEST(LoadImage, AFailedLoadLeavesTheWindowAsItWas) {
    scratch_folder dir;
    int w = ZVCreateWindow(30, 40, 50, 40, "unchanged");
    draw_corner_scene(w);
    picture before(w);
    HPALETTE palette = palette_of(w);
    bytes sixteen = make_bmp(20, 10, 24).file();
    sixteen[28] = 16;
    ZVGetLastError();
    EXPECT_EQ(ZVLoadImage(w, dir.write("16.bmp", sixteen).c_str()), ZV_ERR_16BIT);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_16BIT);
    bytes short_pixels = make_bmp(20, 10, 24).file();
    short_pixels.resize(short_pixels.size() - 1);
    short_pixels[2] = static_cast<uint8_t>(short_pixels.size());
    short_pixels[3] = static_cast<uint8_t>(short_pixels.size() >> 8);
    EXPECT_EQ(ZVLoadImage(w, dir.write("short.bmp", short_pixels).c_str()), ZV_ERR_BMP_CORRUPT);
    EXPECT_EQ(ZVLoadImage(w, dir.path("missing.bmp").c_str()), ZV_ERR_FILE_OPEN);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_FILE_OPEN);
    // A compressed 65535 x 65535 image of a few bytes: no window buffer can hold it, so the
    // resize fails, for the load as for the show.
    bmp_image huge = make_bmp(2, 2, 8, 16);
    huge.width = huge.height = 65535;
    huge.pixels = {0, 1}; // the end of the image at once
    bytes file = huge.file();
    file[30] = 1; // BI_RLE8
    std::string path = dir.write("huge.bmp", file);
    EXPECT_EQ(ZVLoadImage(w, path.c_str()), ZV_ERR_NO_MEMORY);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_NO_MEMORY);
    EXPECT_EQ(ZVShowBitmap(w, ZVLoadBitmap(path.c_str())), ZV_ERR_NO_MEMORY);
    EXPECT_TRUE(picture(w) == before); // the same size and pixels
    EXPECT_EQ(palette_of(w), palette);
    EXPECT_EQ(ZVLoadImage(9999, dir.path("16.bmp").c_str()), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_WINDOW);
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
}
