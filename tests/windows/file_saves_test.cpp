// Files on Windows: a save whose final rename is refused keeps the old file byte for byte and
// leaves no temporary file; devices are refused by every reader and writer.
#include "image_files.h"

#include <gtest/gtest.h>
#include <windows.h>

// Another program holding the file open without delete sharing stops the rename only after
// the whole new file has been written: the failure path of every save. NUL and CON are no
// files to read or replace.
TEST(WindowsFiles, ASaveThatCannotReplaceTheFileKeepsItAndDevicesAreRefused) {
    scratch_folder dir;
    const bytes old_bmp = make_bmp(3, 3, 24).file(), old_pal = make_riff(2, 2);
    std::string bmp = dir.write("keep.bmp", old_bmp), pal = dir.write("keep.pal", old_pal);
    int bitmap = ZVLoadBitmap(dir.write("new.bmp", make_bmp(9, 9, 8).file()).c_str());
    int w = ZVCreateWindow(0, 0, 20, 20, "saves");
    HANDLE held[2];
    for (int i = 0; i < 2; ++i)
        held[i] =
            CreateFileA((i ? pal : bmp).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(ZVSaveBitmap(bitmap, bmp.c_str()), ZV_ERR_FILE_WRITE);
    EXPECT_EQ(ZVSaveImage(w, bmp.c_str()), ZV_ERR_FILE_WRITE);
    EXPECT_EQ(ZVSaveBitmapPalette(bitmap, pal.c_str()), ZV_ERR_FILE_WRITE);
    for (HANDLE h : held) CloseHandle(h);
    EXPECT_EQ(dir.read("keep.bmp"), old_bmp);
    EXPECT_EQ(dir.read("keep.pal"), old_pal);
    auto files = std::filesystem::directory_iterator(dir.root);
    EXPECT_EQ(std::distance(begin(files), end(files)), 3); // no temporary file left behind
    EXPECT_EQ(ZVSaveBitmap(bitmap, bmp.c_str()), ZV_OK);
    EXPECT_EQ(dir.read("keep.bmp"), dir.read("new.bmp"));
    for (const char *device : {"NUL", "CON"}) {
        EXPECT_EQ(ZVLoadBitmap(device), 0);
        EXPECT_EQ(ZVLoadImage(w, device), ZV_ERR_FILE_OPEN);
        EXPECT_EQ(ZVLoadRIFFPalette(w, device), ZV_ERR_FILE_OPEN);
        EXPECT_EQ(ZVSaveBitmap(bitmap, device), ZV_ERR_FILE_OPEN);
        EXPECT_EQ(ZVSaveBitmapPalette(bitmap, device), ZV_ERR_FILE_OPEN);
    }
}
