// Window palettes seen from inside: RIFF palette files and bitmap colour tables that become a
// window's palette, checked against the palette the window holds. Writing palette files is in
// palettes_test.cpp.
#include "core/window_table.h"
#include "draw/drawing_state.h"
#include "drawing_support.h"
#include "image_files.h"

#include <gtest/gtest.h>

namespace {

// The entries of the palette the window currently owns.
std::vector<PALETTEENTRY> window_palette(int w) {
    window_ref window(w);
    EnterCriticalSection(&window->lock);
    HPALETTE palette = window->drawing->palette;
    UINT count = GetPaletteEntries(palette, 0, 0, nullptr);
    std::vector<PALETTEENTRY> entries(count);
    GetPaletteEntries(palette, 0, count, entries.data());
    LeaveCriticalSection(&window->lock);
    return entries;
}

int load(const scratch_folder &dir, const bmp_image &image) {
    return ZVLoadBitmap(dir.write("palette-source.bmp", image.file()).c_str());
}

} // namespace

TEST(LoadRIFFPalette, AWrittenFileLoadsAtOnceAndBecomesTheWindowsPalette) {
    scratch_folder dir;
    int bitmap = load(dir, make_bmp(4, 4, 4));
    std::string path = dir.path("sixteen.pal");
    ASSERT_EQ(ZVSaveBitmapPalette(bitmap, path.c_str()), ZV_OK);
    int w = ZVCreateWindow(10, 10, 30, 30, "palette");
    EXPECT_EQ(window_palette(w).size(), 20u); // the stock palette
    ASSERT_EQ(ZVLoadRIFFPalette(w, path.c_str()), ZV_OK);
    std::vector<PALETTEENTRY> entries = window_palette(w);
    ASSERT_EQ(entries.size(), 16u);
    for (int i = 0; i < 16; ++i) EXPECT_TRUE(palette_entry_is(entries[i], table_colour(i)));
    // Written again straight away: the file was closed after each use.
    EXPECT_EQ(ZVSaveBitmapPalette(bitmap, path.c_str()), ZV_OK);
    EXPECT_EQ(ZVLoadRIFFPalette(w, path.c_str()), ZV_OK);
    // The window still draws and its colours are untouched on a true-colour display.
    EXPECT_EQ(ZVSetPixel(w, 3, 3, k_red), k_red);
    EXPECT_EQ(ZVGetPixel(w, 3, 3), k_red);
}

TEST(LoadRIFFPalette, BadFilesFailInTheOrderOfTheChecksAndKeepThePalette) {
    scratch_folder dir;
    int w = ZVCreateWindow(10, 10, 30, 30, "palette");
    ASSERT_EQ(ZVLoadRIFFPalette(w, dir.write("good.pal", make_riff(8, 8)).c_str()), ZV_OK);
    auto fails = [&](const bytes &file, int code) {
        ZVGetLastError();
        EXPECT_EQ(ZVLoadRIFFPalette(w, dir.write("bad.pal", file).c_str()), code);
        EXPECT_EQ(ZVGetLastError(), code);
        EXPECT_EQ(window_palette(w).size(), 8u);
    };
    bytes good = make_riff(8, 8);
    bytes longer = good;
    longer.push_back(0);
    fails(longer, ZV_ERR_BMP_SIZE_MISMATCH);
    bytes lower = good;
    memcpy(lower.data(), "riff", 4);
    fails(lower, ZV_ERR_NOT_RIFF);
    bytes not_pal = good;
    not_pal[8] = 'p';
    fails(not_pal, ZV_ERR_NO_PAL_DATA);
    fails(bytes(good.begin(), good.begin() + 6), ZV_ERR_FILE_READ);
    fails(bytes{}, ZV_ERR_FILE_READ);
    // More entries stated than the data holds, a data size beyond the file, or none at all.
    fails(make_riff(8, 9), ZV_ERR_FILE_PALETTE_SIZE);
    fails(make_riff(8, 0), ZV_ERR_FILE_PALETTE_SIZE);
    bytes beyond = good;
    beyond[16] = 0xFF, beyond[17] = 0xFF, beyond[18] = 0xFF, beyond[19] = 0x7F;
    fails(beyond, ZV_ERR_FILE_PALETTE_SIZE);
    bytes old_version = good;
    old_version[21] = 0x02;
    fails(old_version, ZV_ERR_PAL_VERSION);
    fails(bytes{'R', 'I', 'F', 'F'}, ZV_ERR_FILE_READ);
    ZVGetLastError();
    EXPECT_EQ(ZVLoadRIFFPalette(w, dir.path("missing.pal").c_str()), ZV_ERR_FILE_OPEN);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_FILE_OPEN);
    EXPECT_EQ(ZVLoadRIFFPalette(9999, dir.path("good.pal").c_str()), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_WINDOW);
}

TEST(UseBitmapPalette, MakesTheColourTableTheWindowsPalette) {
    scratch_folder dir;
    int w = ZVCreateWindow(10, 10, 30, 30, "palette");
    int four = load(dir, make_bmp(4, 4, 4));
    ASSERT_EQ(ZVUseBitmapPalette(w, four), ZV_OK);
    std::vector<PALETTEENTRY> entries = window_palette(w);
    ASSERT_EQ(entries.size(), 16u);
    EXPECT_TRUE(palette_entry_is(entries[15], table_colour(15)));

    int core = load(dir, make_bmp(2, 2, 1, 0, 12));
    ASSERT_EQ(ZVUseBitmapPalette(w, core), ZV_OK);
    entries = window_palette(w);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(palette_entry_is(entries[1], table_colour(1)));

    int true_colour = load(dir, make_bmp(4, 4, 24, 5)); // a table the palette routine ignores
    ZVGetLastError();
    EXPECT_EQ(ZVUseBitmapPalette(w, true_colour), ZV_ERR_NO_DIB_PALETTE);
    EXPECT_EQ(ZVGetLastError(), ZV_OK);
    EXPECT_EQ(window_palette(w).size(), 2u);
    EXPECT_EQ(ZVUseBitmapPalette(9999, 9999), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_WINDOW);
    EXPECT_EQ(ZVUseBitmapPalette(w, 9999), ZV_ERR_BAD_BITMAP);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_BITMAP);
}
