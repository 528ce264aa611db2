// BMP files loaded and saved through ZVLoadBitmap and ZVSaveBitmap.
#include "image_files.h"

#include <gtest/gtest.h>

TEST(BmpFiles, LoadAndSaveThroughTheApi) {
    scratch_folder dir;
    ZVGetLastError();
    EXPECT_EQ(ZVLoadBitmap(dir.path("missing.bmp").c_str()), 0);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_FILE_OPEN);
    bytes sixteen = with_bit_count(make_bmp(2, 2, 24), 16);
    EXPECT_EQ(ZVLoadBitmap(dir.write("16.bmp", sixteen).c_str()), 0);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_16BIT);

    bytes original = make_bmp(6, 5, 4).file();
    int bitmap = ZVLoadBitmap(dir.write("four.bmp", original).c_str());
    ASSERT_NE(bitmap, 0);
    EXPECT_EQ(ZVSaveBitmap(bitmap, dir.path("copy.bmp").c_str()), ZV_OK);
    EXPECT_EQ(dir.read("copy.bmp"), original);
    EXPECT_EQ(ZVSaveBitmap(bitmap, dir.path("none/copy.bmp").c_str()), ZV_ERR_FILE_OPEN);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_FILE_OPEN);
    EXPECT_EQ(ZVGetBitmapWidth(bitmap), 6); // a failed save keeps the bitmap
    EXPECT_EQ(ZVSaveBitmap(bitmap + 1, dir.path("x.bmp").c_str()), ZV_ERR_BAD_BITMAP);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_BITMAP);
    EXPECT_FALSE(dir.exists("x.bmp"));
}
