// Window images: ZVLoadImage and ZVSaveImage.
#include "core/window_table.h"
#include "drawing_support.h"
#include "headless_helpers.h"
#include "image_files.h"

#include <gtest/gtest.h>

namespace {

bool shows_image(int w, const bmp_image &image) {
    picture seen(w);
    if (seen.width != image.width || seen.height != image.rows()) return false;
    for (int y = 0; y < image.rows(); ++y)
        for (int x = 0; x < image.width; ++x)
            if (seen.at(x, y) != image.colour_at(x, y)) return false;
    return true;
}

HPALETTE palette_of(int w) {
    window_ref window(w);
    return window->palette;
}

HBITMAP draw_buffer_of(int w) {
    window_ref window(w);
    return window->buffer_bitmap[window->draw_buffer];
}

// A little scene that differs in every corner.
void draw_scene(int w) {
    ZVSetFillStyle(w, 1);
    ZVSetFillColour(w, k_red);
    ZVFillRectangle(w, 0, 0, 20, 10);
    ZVSetForeground(w, k_blue);
    ZVLine(w, ZVGetWidth(w) - 1, ZVGetHeight(w) - 1);
    ZVSetPixel(w, ZVGetWidth(w) - 1, 0, k_green);
    ZVSetPixel(w, 0, ZVGetHeight(w) - 1, 0x123456);
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
    EXPECT_TRUE(shows_image(w, image));
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
    EXPECT_TRUE(shows_image(w, image));
}

TEST(LoadImage, AFailedLoadLeavesTheWindowAsItWas) {
    scratch_folder dir;
    int w = ZVCreateWindow(30, 40, 50, 40, "unchanged");
    draw_scene(w);
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
    EXPECT_TRUE(picture(w) == before);
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

TEST(LoadImage, GoesToTheDrawBufferWhileTheViewStays) {
    scratch_folder dir;
    int w = ZVCreateWindow(30, 40, 20, 20, "double");
    ZVSetDoubleBuffer(w, 1);
    ZVSwitchDrawBuffer(w);
    bmp_image image = make_bmp(20, 20, 24);
    ASSERT_EQ(ZVLoadImage(w, dir.write("d.bmp", image.file()).c_str()), ZV_OK);
    EXPECT_TRUE(shows_image(w, image)); // ZVGetPixel reads the draw buffer
    ASSERT_EQ(ZVSaveImage(w, dir.path("view.bmp").c_str()), ZV_OK);
    bytes view = dir.read("view.bmp");
    ASSERT_EQ(view.size(), 54u + 20u * 60u);
    for (size_t i = 54; i < view.size(); ++i) ASSERT_EQ(view[i], 0xFF) << i; // still white
}

TEST(SaveImage, A101By50WindowMakesA15254ByteFile) {
    scratch_folder dir;
    int w = ZVCreateWindow(30, 40, 101, 50, "save");
    draw_scene(w);
    ASSERT_EQ(ZVSaveImage(w, dir.path("saved.bmp").c_str()), ZV_OK);
    bytes file = dir.read("saved.bmp");
    ASSERT_EQ(file.size(), 15254u);
    EXPECT_EQ(get16(file, 0), 0x4D42u);
    EXPECT_EQ(get32(file, 2), 15254u);
    EXPECT_EQ(get32(file, 10), 54u);
    EXPECT_EQ(get32(file, 14), 40u);
    EXPECT_EQ(get32(file, 18), 101u);
    EXPECT_EQ(get32(file, 22), 50u);
    EXPECT_EQ(get16(file, 28), 24u);
    EXPECT_EQ(get32(file, 34), 50u * 304u);
    // The bottom-left pixel comes first: 0x123456 as blue, green, red bytes.
    EXPECT_EQ(file[54], 0x12);
    EXPECT_EQ(file[55], 0x34);
    EXPECT_EQ(file[56], 0x56);
}

TEST(SaveImage, SavedThenLoadedIntoAnotherWindowGivesTheSamePicture) {
    scratch_folder dir;
    int source = ZVCreateWindow(30, 40, 73, 41, "source");
    draw_scene(source);
    ASSERT_EQ(ZVSaveImage(source, dir.path("round.bmp").c_str()), ZV_OK);
    int target = ZVCreateWindow(200, 40, 300, 200, "target");
    ASSERT_EQ(ZVLoadImage(target, dir.path("round.bmp").c_str()), ZV_OK);
    EXPECT_EQ(ZVGetWidth(target), 73);
    EXPECT_EQ(ZVGetHeight(target), 41);
    EXPECT_TRUE(picture(target) == picture(source));
}

TEST(SaveImage, AFileThatCannotBeCreatedKeepsTheLastError) {
    scratch_folder dir;
    int w = ZVCreateWindow(30, 40, 20, 20, "nowhere");
    ZVGetLastError();
    EXPECT_EQ(ZVSaveImage(w, dir.path("no/such/folder.bmp").c_str()), ZV_ERR_FILE_OPEN);
    EXPECT_EQ(ZVGetLastError(), ZV_OK);
    EXPECT_EQ(ZVSaveImage(9999, dir.path("x.bmp").c_str()), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_WINDOW);
    EXPECT_FALSE(dir.exists("x.bmp"));
}
