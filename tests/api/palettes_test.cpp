// Palettes: RIFF palette files read and written, and bitmap colour tables as window palettes.
#include "core/window_table.h"
#include "drawing_support.h"
#include "image_files.h"

#include <gtest/gtest.h>

namespace {

// The entries of the palette the window currently owns.
std::vector<PALETTEENTRY> window_palette(int w) {
    window_ref window(w);
    EnterCriticalSection(&window->lock);
    HPALETTE palette = window->palette;
    UINT count = GetPaletteEntries(palette, 0, 0, nullptr);
    std::vector<PALETTEENTRY> entries(count);
    GetPaletteEntries(palette, 0, count, entries.data());
    LeaveCriticalSection(&window->lock);
    return entries;
}

bool entry_is(const PALETTEENTRY &e, ZVCOLOUR colour) {
    return e.peRed == (colour & 0xFF) && e.peGreen == (colour >> 8 & 0xFF) &&
           e.peBlue == (colour >> 16 & 0xFF) && e.peFlags == 0;
}

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
        ASSERT_TRUE(entry_is(e, table_colour(i))) << i;
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
        EXPECT_TRUE(entry_is(e, table_colour(i))) << i;
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
    for (int i = 0; i < 16; ++i) EXPECT_TRUE(entry_is(entries[i], table_colour(i)));
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
    EXPECT_TRUE(entry_is(entries[15], table_colour(15)));

    int core = load(dir, make_bmp(2, 2, 1, 0, 12));
    ASSERT_EQ(ZVUseBitmapPalette(w, core), ZV_OK);
    entries = window_palette(w);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(entry_is(entries[1], table_colour(1)));

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
