// Compressed BMP files: RLE8 and RLE4 streams made byte by byte show, paste and copy as their
// uncompressed twins do; a gap before the pixels is skipped; other compressions are refused.
#include "clipboard_support.h"
#include "image_files.h"

#include <gtest/gtest.h>

namespace {

// `twin` with its pixels replaced by `stream`, flagged BI_RLE8 (1) or BI_RLE4 (2).
bytes rle_file(bmp_image twin, uint32_t compression, const bytes &stream) {
    twin.pixels = stream;
    bytes file = twin.file();
    for (int i = 0; i < 4; ++i) file[30 + i] = static_cast<uint8_t>(compression >> (8 * i));
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

TEST(CompressedBmp, RleFilesShowAsTheirUncompressedTwins) {
    scratch_folder dir;
    int w = ZVCreateWindow(10, 10, 30, 20, "rle");
    ASSERT_EQ(ZVLoadImage(w, dir.write("8.bmp", rle_file(k_twin8, 1, k_stream8)).c_str()), ZV_OK);
    EXPECT_TRUE(shows_whole_image(w, k_twin8));
    ASSERT_EQ(ZVLoadImage(w, dir.write("4.bmp", rle_file(k_twin4, 2, k_stream4)).c_str()), ZV_OK);
    EXPECT_TRUE(shows_whole_image(w, k_twin4));
    // Pasted part off the window and shown whole, the two bitmaps draw the same pixels.
    int twin = ZVLoadBitmap(dir.write("twin.bmp", k_twin8.file()).c_str());
    int rle = ZVLoadBitmap(dir.path("8.bmp").c_str());
    int a = ZVCreateWindow(50, 10, 10, 10, "rle"), b = ZVCreateWindow(70, 10, 10, 10, "twin");
    for (int x : {-2, 5}) {
        ZVPasteBitmap(a, rle, x, 1);
        ZVPasteBitmap(b, twin, x, 1);
        EXPECT_TRUE(picture(a) == picture(b)) << "pasted at " << x;
    }
    ASSERT_EQ(ZVShowBitmap(w, rle), ZV_OK);
    EXPECT_TRUE(shows_whole_image(w, k_twin8));
}

// Pixels the stream skips (a delta, an early end of line or of image) keep what the window
// had; a run past the right edge and a stream cut inside a command stop safely.
TEST(CompressedBmp, SkippedPixelsKeepTheWindowsPicture) {
    scratch_folder dir;
    const bmp_image grid = indexed(
        6, 8, {{3, 3, 3, 3, 3, 3}, {0, 0, 0, 2, 2, 2}, {0, 0, 0, 0, 0, 0}, {1, 1, 0, 0, 0, 0}});
    const std::vector<bytes> streams = {
        {2, 1, 0, 0, 0, 2, 3, 1, 3, 2, 0, 0, 8, 3, 0, 5, 4, 4}, // cut inside an absolute run
        {2, 1, 0, 1, 9, 9}};                                    // ends at the end of image
    for (size_t s = 0; s < streams.size(); ++s) {
        int w = ZVCreateWindow(10, 10, 6, 4, "skips");
        ASSERT_EQ(ZVLoadImage(w, dir.write("s.bmp", rle_file(grid, 1, streams[s])).c_str()), ZV_OK);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) {
                bool drawn = y == 3 ? x < 2 : s == 0 && (y == 0 || (y == 1 && x >= 3));
                EXPECT_EQ(ZVGetPixel(w, x, y), drawn ? grid.colour_at(x, y) : k_white)
                    << "stream " << s << " at " << x << "," << y;
            }
    }
}

TEST(CompressedBmp, TheClipboardGetsTheRecordAsItIs) {
    ASSERT_TRUE(use_readable_clipboard());
    scratch_folder dir;
    bytes file = rle_file(k_twin4, 2, k_stream4);
    int rle = ZVLoadBitmap(dir.write("4.bmp", file).c_str());
    ASSERT_EQ(ZVCopyBitmapToClipboard(rle), ZV_OK);
    EXPECT_EQ(clipboard_item(), bytes(file.begin() + 14, file.end()));
}

TEST(CompressedBmp, AGapBeforeThePixelsIsSkippedAndOtherCompressionsAreRefused) {
    scratch_folder dir;
    int w = ZVCreateWindow(10, 10, 30, 20, "gap");
    bmp_image gap = make_bmp(5, 3, 8, 16);
    gap.off_bits = 14 + 40 + 64 + 3;
    gap.pixels.insert(gap.pixels.begin(), {0xAB, 0xCD, 0xEF});
    ASSERT_EQ(ZVLoadImage(w, dir.write("gap.bmp", gap.file()).c_str()), ZV_OK);
    EXPECT_TRUE(shows_whole_image(w, make_bmp(5, 3, 8, 16)));
    // Bit fields or an unknown value at 8 and 24 bits, RLE at the wrong depth, top-down RLE,
    // an RLE stream longer than the file holds.
    const bytes refused[] = {rle_file(make_bmp(4, 2, 8), 3, make_bmp(4, 2, 8).pixels),
                             rle_file(make_bmp(4, 2, 24), 3, make_bmp(4, 2, 24).pixels),
                             rle_file(make_bmp(4, 2, 24), 9, make_bmp(4, 2, 24).pixels),
                             rle_file(k_twin4, 1, k_stream4),
                             rle_file(k_twin8, 2, k_stream8),
                             rle_file(make_bmp(6, -3, 8, 16), 1, k_stream8)};
    for (const bytes &file : refused) {
        EXPECT_EQ(ZVLoadImage(w, dir.write("bad.bmp", file).c_str()), ZV_ERR_BMP_CORRUPT);
    }
    bytes long_stream = rle_file(k_twin8, 1, k_stream8);
    long_stream[34] += 1; // biSizeImage one byte past the file's end
    EXPECT_EQ(ZVLoadImage(w, dir.write("long.bmp", long_stream).c_str()), ZV_ERR_BMP_CORRUPT);
    EXPECT_TRUE(shows_whole_image(w, make_bmp(5, 3, 8, 16)));
}
