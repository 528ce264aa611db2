// Palette files written from bitmap colour tables and windows, checked byte by byte. How a
// window takes a palette is in palettes_inside_test.cpp.
#include "drawing_support.h"
#include "image_files.h"

#include <gtest/gtest.h>

namespace {

int load(const scratch_folder &dir, const bmp_image &image) {
    return ZVLoadBitmap(dir.write("palette-source.bmp", image.file()).c_str());
}

} // namespace

TEST(PaletteFiles, A256ColourPaletteFileIs1048Bytes) {
    scratch_folder dir;
    int bitmap = load(dir, make_bmp(4, 4, 8));
    ASSERT_EQ(ZVSaveBitmapPalette(bitmap, dir.path("full.pal").c_str()), ZV_OK);
    bytes file = dir.read("full.pal");
    ASSERT_EQ(file.size(), 1048u);
    EXPECT_EQ(bytes(file.begin(), file.begin() + 4), (bytes{'R', 'I', 'F', 'F'}));
    EXPECT_EQ(get32(file, 4), 1040u);
    EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 16), "PAL data");
    EXPECT_EQ(get32(file, 16), 1028u);
    EXPECT_EQ(get16(file, 20), 0x0300u);
    EXPECT_EQ(get16(file, 22), 256u);
    for (int i = 0; i < 256; ++i) {
        PALETTEENTRY e;
        memcpy(&e, file.data() + 24 + 4 * i, 4);
        ASSERT_TRUE(palette_entry_is(e, table_colour(i))) << i;
    }
}

TEST(PaletteFiles, EntriesFollowBiClrUsedAndCoreTables) {
    scratch_folder dir;
    int twenty = load(dir, make_bmp(4, 4, 8, 20));
    ASSERT_EQ(ZVSaveBitmapPalette(twenty, dir.path("twenty.pal").c_str()), ZV_OK);
    bytes file = dir.read("twenty.pal");
    EXPECT_EQ(file.size(), 24u + 80u);
    EXPECT_EQ(get16(file, 22), 20u);

    int core = load(dir, make_bmp(3, 3, 4, 0, 12)); // RGBTRIPLE entries
    ASSERT_EQ(ZVSaveBitmapPalette(core, dir.path("core.pal").c_str()), ZV_OK);
    file = dir.read("core.pal");
    ASSERT_EQ(file.size(), 24u + 64u);
    for (int i = 0; i < 16; ++i) {
        PALETTEENTRY e;
        memcpy(&e, file.data() + 24 + 4 * i, 4);
        EXPECT_TRUE(palette_entry_is(e, table_colour(i))) << i;
    }
}

TEST(PaletteFiles, ImagesWithoutATableWriteNoFile) {
    scratch_folder dir;
    int true_colour = load(dir, make_bmp(4, 4, 24));
    bytes existing = {'k', 'e', 'e', 'p'};
    dir.write("kept.pal", existing);
    ZVGetLastError();
    EXPECT_EQ(ZVSaveBitmapPalette(true_colour, dir.path("kept.pal").c_str()),
              ZV_ERR_NO_DIB_PALETTE);
    EXPECT_EQ(ZVSaveBitmapPalette(true_colour, dir.path("new.pal").c_str()), ZV_ERR_NO_DIB_PALETTE);
    EXPECT_EQ(ZVGetLastError(), ZV_OK); // not kept as the last error
    EXPECT_EQ(dir.read("kept.pal"), existing);
    EXPECT_FALSE(dir.exists("new.pal"));

    // A table of more entries than a palette can hold is refused, not cut short.
    int oversized = load(dir, make_bmp(1, 1, 1, 70000));
    ASSERT_NE(oversized, 0);
    EXPECT_EQ(ZVSaveBitmapPalette(oversized, dir.path("big.pal").c_str()), ZV_ERR_DIB_PALETTE_SIZE);
    EXPECT_FALSE(dir.exists("big.pal"));

    int w = ZVCreateWindow(10, 10, 30, 30, "deep");
    EXPECT_EQ(ZVSaveWindowPalette(w, dir.path("window.pal").c_str()), ZV_ERR_NO_DIB_PALETTE);
    EXPECT_FALSE(dir.exists("window.pal"));
    EXPECT_EQ(ZVSaveWindowPalette(9999, dir.path("window.pal").c_str()), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVSaveBitmapPalette(9999, dir.path("none.pal").c_str()), ZV_ERR_BAD_BITMAP);
    EXPECT_EQ(
        ZVSaveBitmapPalette(load(dir, make_bmp(2, 2, 8)), dir.path("missing/folder.pal").c_str()),
        ZV_ERR_FILE_OPEN);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_FILE_OPEN);
}
