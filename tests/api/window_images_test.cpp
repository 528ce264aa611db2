// Window images: ZVLoadImage resizing the window (the platform's too) or leaving it as it was,
// and ZVSaveImage. The buffers and palette a load keeps are in window_images_inside_test.cpp.
#include "headless_on_posix.h"
#include "image_files.h"
#include "poll.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The size of the window's client area as the platform has it, in screen pixels: the library's
// own record of the size says nothing of whether the platform's window followed.
struct client_size {
    int width, height;
};

client_size platform_client_size(const char *title) {
#ifdef _WIN32
    RECT client{};
    GetClientRect(FindWindowA("ZelvanClass", title), &client);
    return client_size{client.right, client.bottom};
#else
    headless_test_window_info state{};
    headless_test_window_state(headless_test_find_window(title), &state);
    return client_size{state.client.right - state.client.left,
                       state.client.bottom - state.client.top};
#endif
}

#ifndef _WIN32
// True when the headless screen shows `image` in the window's client area, each pixel a block
// of scale x scale screen pixels.
bool screen_shows(const char *title, const bmp_image &image, int scale) {
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    if (!headless_test_read_client(headless_test_find_window(title), &pixels, &width, &height) ||
        width != image.width * scale || height != image.rows() * scale)
        return false;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint32_t bgrx = pixels[static_cast<size_t>(y) * width + x];
            ZVCOLOUR shown = (bgrx >> 16 & 0xFF) | (bgrx & 0xFF00) | (bgrx & 0xFF) << 16;
            if (shown != image.colour_at(x / scale, y / scale)) return false;
        }
    return true;
}
#endif

} // namespace

TEST(LoadImage, ResizesTheWindowToTheImageAndShowsIt) {
    scratch_folder dir;
    int w = ZVCreateWindow(30, 40, 640, 480, "load");
    int scale = ZVGetScale(w);
    // The second image has the size the first gave the window.
    for (const bmp_image &image : {make_bmp(200, 100, 24), make_bmp(200, 100, 4)}) {
        ASSERT_EQ(ZVLoadImage(w, dir.write("image.bmp", image.file()).c_str()), ZV_OK);
        EXPECT_TRUE(shows_whole_image(w, image)) << image.bits << " bits";
        client_size client = platform_client_size("load");
        EXPECT_EQ(client.width, 200 * scale);
        EXPECT_EQ(client.height, 100 * scale);
#ifndef _WIN32
        EXPECT_TRUE(poll_until([&] { return screen_shows("load", image, scale); }))
            << image.bits << " bits";
#endif
        EXPECT_EQ(ZVGetWindowX(w), 30);
        EXPECT_EQ(ZVGetWindowY(w), 40);
    }
}

TEST(LoadImage, AFailedLoadLeavesTheWindowAsItWas) {
    scratch_folder dir;
    int w = ZVCreateWindow(30, 40, 50, 40, "unchanged");
    draw_corner_scene(w);
    picture before(w);
    ZVGetLastError();
    EXPECT_EQ(ZVLoadImage(w, dir.write("16.bmp", with_bit_count(make_bmp(20, 10, 24), 16)).c_str()),
              ZV_ERR_16BIT);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_16BIT);
    bytes short_pixels = make_bmp(20, 10, 24).file();
    short_pixels.resize(short_pixels.size() - 1);
    short_pixels[2] = static_cast<uint8_t>(short_pixels.size());
    short_pixels[3] = static_cast<uint8_t>(short_pixels.size() >> 8);
    EXPECT_EQ(ZVLoadImage(w, dir.write("short.bmp", short_pixels).c_str()), ZV_ERR_BMP_CORRUPT);
    EXPECT_EQ(ZVLoadImage(w, dir.path("missing.bmp").c_str()), ZV_ERR_FILE_OPEN);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_FILE_OPEN);
    // No window buffer can hold the huge picture, so the resize fails, for the load as for the
    // show.
    std::string path = dir.write("huge.bmp", huge_rle_bmp());
    EXPECT_EQ(ZVLoadImage(w, path.c_str()), ZV_ERR_NO_MEMORY);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_NO_MEMORY);
    EXPECT_EQ(ZVShowBitmap(w, ZVLoadBitmap(path.c_str())), ZV_ERR_NO_MEMORY);
    EXPECT_TRUE(picture(w) == before); // the same size and pixels
    EXPECT_EQ(ZVLoadImage(9999, dir.path("16.bmp").c_str()), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_WINDOW);
}

TEST(LoadImage, GoesToTheDrawBufferWhileTheViewStays) {
    scratch_folder dir;
    int w = ZVCreateWindow(30, 40, 20, 20, "double");
    ZVSetDoubleBuffer(w, 1);
    ZVSwitchDrawBuffer(w);
    bmp_image image = make_bmp(20, 20, 24);
    ASSERT_EQ(ZVLoadImage(w, dir.write("d.bmp", image.file()).c_str()), ZV_OK);
    EXPECT_TRUE(shows_whole_image(w, image)); // ZVGetPixel reads the draw buffer
    ASSERT_EQ(ZVSaveImage(w, dir.path("view.bmp").c_str()), ZV_OK);
    bytes view = dir.read("view.bmp");
    ASSERT_EQ(view.size(), 54u + 20u * 60u);
    for (size_t i = 54; i < view.size(); ++i) ASSERT_EQ(view[i], 0xFF) << i; // still white
}

TEST(SaveImage, A101By50WindowMakesA15254ByteFile) {
    scratch_folder dir;
    int w = ZVCreateWindow(30, 40, 101, 50, "save");
    draw_corner_scene(w);
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
    draw_corner_scene(source);
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
