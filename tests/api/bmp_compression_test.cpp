// Compressed BMP files: RLE8 and RLE4 streams made byte by byte show, paste and copy as their
// uncompressed twins do; other compressions are refused.
#include "clipboard_support.h"
#include "image_files.h"

#include <gtest/gtest.h>

namespace {

// `twin` with its pixels replaced by `stream`, flagged BI_RLE8 (1) or BI_RLE4 (2).
bytes rle_file(bmp_image twin, uint8_t compression, const bytes &stream) {
    twin.pixels = stream;
    bytes file = twin.file();
    file[30] = compression;
    return file;
}

// A twin whose pixels are the colour-table indices `rows`, top row first.
bmp_image indexed(int width, int bits, std::vector<std::vector<int>> rows) {
    bmp_image image = make_bmp(width, static_cast<int>(rows.size()), bits, 16);
    image.paint = [rows](int x, int y) { return static_cast<uint32_t>(rows[y][x]); };
    image.build();
    return image;
}

const bmp_image k_twin8 =
    indexed(6, 8, {{7, 8, 9, 9, 9, 9}, {5, 5, 5, 5, 5, 5}, {1, 1, 1, 2, 3, 4}});
// Runs, absolute runs of odd length with their padding, ends of line and the end of image.
const bytes k_stream8 = {3, 1, 0, 3, 2, 3, 4, 0, 0, 0, 6, 5, 0, 0, 0, 3, 7, 8, 9, 0, 3, 9, 0, 1};
const bmp_image k_twin4 = indexed(5, 4, {{8, 9, 8, 10, 11}, {3, 4, 5, 6, 7}, {1, 2, 1, 2, 1}});
const bytes k_stream4 = {5, 0x12, 0, 0,    0, 5,    0x34, 0x56, 0x70, 0,
                         0, 0,    3, 0x89, 1, 0xA0, 1,    0xB0, 0,    1};

} // namespace

TEST(CompressedBmp, RleFilesShowPasteAndCopyAsTheirUncompressedTwins) {
    ASSERT_TRUE(use_readable_clipboard());
    scratch_folder dir;
    int w = ZVCreateWindow(10, 10, 30, 20, "rle");
    bytes file4 = rle_file(k_twin4, 2, k_stream4);
    ASSERT_EQ(ZVLoadImage(w, dir.write("4.bmp", file4).c_str()), ZV_OK);
    EXPECT_TRUE(shows_whole_image(w, k_twin4));
    ASSERT_EQ(ZVLoadImage(w, dir.write("8.bmp", rle_file(k_twin8, 1, k_stream8)).c_str()), ZV_OK);
    EXPECT_TRUE(shows_whole_image(w, k_twin8));
    // Pasted part off the window and shown whole, the two bitmaps draw the same pixels.
    int twin = ZVLoadBitmap(dir.write("twin.bmp", k_twin8.file()).c_str());
    int rle = ZVLoadBitmap(dir.path("8.bmp").c_str());
    int a = ZVCreateWindow(50, 10, 10, 10, "rle"), b = ZVCreateWindow(70, 10, 10, 10, "twin");
    for (int x : {-2, 5}) {
        ZVPasteBitmap(a, rle, x, 1);
        ZVPasteBitmap(b, twin, x, 1);
        EXPECT_TRUE(picture(a) == picture(b)) << "pasted at " << x;
    }
    ASSERT_EQ(ZVShowBitmap(a, rle), ZV_OK);
    EXPECT_TRUE(shows_whole_image(a, k_twin8));
    // The clipboard gets the record as it is, compressed.
    ASSERT_EQ(ZVCopyBitmapToClipboard(ZVLoadBitmap(dir.path("4.bmp").c_str())), ZV_OK);
    EXPECT_EQ(clipboard_item(), bytes(file4.begin() + 14, file4.end()));
}

// Pixels the stream skips (a delta, an early end of line or of image) keep what the window
// had, and runs past the right edge are cut there. A stream that ends or is cut inside a
// command loses the runs after its last end of line, end of image or delta.
TEST(CompressedBmp, SkippedPixelsKeepTheWindowsPicture) {
    scratch_folder dir;
    const bmp_image grid = indexed(
        6, 8, {{3, 3, 3, 3, 3, 3}, {0, 0, 0, 2, 2, 2}, {0, 0, 0, 0, 0, 0}, {1, 1, 0, 0, 0, 0}});
    const std::pair<bytes, std::string> cases[] = {
        // '#' where the stream draws, top row first
        {{2, 1, 0, 0, 0, 2, 3, 1, 3, 2, 0, 0, 8, 3, 0, 0}, "######...###......##...."},
        {{2, 1, 0, 1, 9, 9}, "..................##...."},
        {{2, 1, 0, 0, 3, 2, 0, 5, 4, 4}, "..................##...."}};
    for (const auto &[stream, drawn] : cases) {
        int w = ZVCreateWindow(10, 10, 6, 4, "skips");
        ASSERT_EQ(ZVLoadImage(w, dir.write("s.bmp", rle_file(grid, 1, stream)).c_str()), ZV_OK);
        for (int i = 0; i < 24; ++i)
            EXPECT_EQ(ZVGetPixel(w, i % 6, i / 6),
                      drawn[i] == '#' ? grid.colour_at(i % 6, i / 6) : k_white)
                << drawn << " at " << i % 6 << "," << i / 6;
    }
}

// Bit fields or unknown values at 8 and 24 bits, RLE at the wrong depth, a top-down RLE file
// and an RLE stream longer than the file are refused, and leave the window as it was.
TEST(CompressedBmp, OtherCompressionsAreRefused) {
    scratch_folder dir;
    int w = ZVCreateWindow(10, 10, 30, 20, "refused");
    const std::pair<bmp_image, uint8_t> refused[] = {
        {make_bmp(4, 2, 8), 3}, {make_bmp(4, 2, 24), 3},    {make_bmp(4, 2, 24), 9}, {k_twin4, 1},
        {k_twin8, 2},           {make_bmp(6, -3, 8, 16), 1}};
    for (const auto &[image, compression] : refused) {
        bytes file = rle_file(image, compression, k_stream8);
        EXPECT_EQ(ZVLoadImage(w, dir.write("bad.bmp", file).c_str()), ZV_ERR_BMP_CORRUPT);
    }
    bytes long_stream = rle_file(k_twin8, 1, k_stream8);
    long_stream[34] += 1; // biSizeImage one byte past the file's end
    EXPECT_EQ(ZVLoadImage(w, dir.write("long.bmp", long_stream).c_str()), ZV_ERR_BMP_CORRUPT);
    EXPECT_EQ(ZVGetWidth(w), 30);
}
