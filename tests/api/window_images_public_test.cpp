// Window images through the public API: ZVLoadImage into a double-buffered window, and
// ZVSaveImage.
#include "image_files.h"

#include <gtest/gtest.h>

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
