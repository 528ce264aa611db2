// BMP files read and written through ZVLoadBitmap and ZVSaveBitmap, and window pictures saved
// as BMP files.
#include "image_files.h"

#include <gtest/gtest.h>

namespace {

// What ZVLoadBitmap makes of `file`: ZV_OK (the bitmap is discarded again) or its failure.
int load_code(const scratch_folder &dir, const bytes &file) {
    ZVGetLastError();
    int bitmap = ZVLoadBitmap(dir.write("probe.bmp", file).c_str());
    if (bitmap == 0) return ZVGetLastError();
    ZVDiscardBitmap(bitmap);
    return ZV_OK;
}

// `file` loaded and saved again; empty when either fails.
bytes saved_again(const scratch_folder &dir, const bytes &file) {
    int bitmap = ZVLoadBitmap(dir.write("in.bmp", file).c_str());
    bool saved = bitmap != 0 && ZVSaveBitmap(bitmap, dir.path("out.bmp").c_str()) == ZV_OK;
    ZVDiscardBitmap(bitmap);
    return saved ? dir.read("out.bmp") : bytes{};
}

} // namespace

TEST(BmpReader, ChecksComeInTheOrderOfItsSteps) {
    scratch_folder dir;
    bmp_image image = make_bmp(4, 3, 24);
    EXPECT_EQ(load_code(dir, image.file()), ZV_OK);
    ZVGetLastError();
    EXPECT_EQ(ZVLoadBitmap(dir.path("missing.bmp").c_str()), 0);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_FILE_OPEN);

    bmp_image wrong_type = image;
    wrong_type.type = 0x4D43;
    wrong_type.reserved1 = 1; // corrupt twice over: still one code
    bytes sized_wrong = wrong_type.file();
    sized_wrong.push_back(0);
    EXPECT_EQ(load_code(dir, sized_wrong), ZV_ERR_BMP_CORRUPT);
    bmp_image reserved = image;
    reserved.reserved1 = 1;
    EXPECT_EQ(load_code(dir, reserved.file()), ZV_ERR_BMP_CORRUPT);

    // A file both one byte too long and 16-bit reports the size first.
    bytes longer = with_bit_count(image, 16);
    longer.push_back(0);
    EXPECT_EQ(load_code(dir, longer), ZV_ERR_BMP_SIZE_MISMATCH);
    EXPECT_EQ(load_code(dir, with_bit_count(image, 16)), ZV_ERR_16BIT);
    EXPECT_EQ(load_code(dir, with_bit_count(image, 32)), ZV_ERR_32BIT);
    EXPECT_EQ(load_code(dir, with_bit_count(image, 0)), ZV_ERR_BMP_BITCOUNT);
    EXPECT_EQ(load_code(dir, with_bit_count(image, 2)), ZV_ERR_BMP_BITCOUNT);
}

TEST(BmpReader, FilesThatEndEarlyFailAsReads) {
    scratch_folder dir;
    EXPECT_EQ(load_code(dir, bytes{}), ZV_ERR_FILE_READ);
    EXPECT_EQ(load_code(dir, bytes{'B', 'M', 9, 0}), ZV_ERR_FILE_READ);
    bytes header_only = {'B', 'M', 16, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0};
    EXPECT_EQ(load_code(dir, header_only), ZV_ERR_FILE_READ); // the size field is cut short
}

// Every depth, header kind (core, info, v4, v5) and table length (biClrUsed, tables beside
// 24-bit pixels) is read whole: its size is right, and it is written back byte for byte.
TEST(BmpFiles, EveryDepthHeaderAndTableComesBackByteForByte) {
    scratch_folder dir;
    const bmp_image images[] = {
        make_bmp(9, 3, 1),         make_bmp(5, 4, 4),         make_bmp(6, 5, 4),
        make_bmp(6, 2, 8),         make_bmp(7, 5, 24),        make_bmp(5, 3, 8, 16),
        make_bmp(3, 3, 8, 20),     make_bmp(2, 2, 24, 3),     make_bmp(3, 2, 8, 0, 12),
        make_bmp(4, 2, 8, 0, 12),  make_bmp(3, 2, 24, 0, 12), make_bmp(2, 2, 4, 0, 108),
        make_bmp(3, 2, 4, 0, 124), make_bmp(3, -2, 24),       make_bmp(3, -4, 24)};
    for (const bmp_image &image : images) {
        bytes original = image.file();
        int bitmap = ZVLoadBitmap(dir.write("in.bmp", original).c_str());
        ASSERT_NE(bitmap, 0);
        EXPECT_EQ(ZVGetBitmapWidth(bitmap), image.width);
        EXPECT_EQ(ZVGetBitmapHeight(bitmap), image.rows()); // top-down rows count positively
        ASSERT_EQ(ZVSaveBitmap(bitmap, dir.path("out.bmp").c_str()), ZV_OK);
        EXPECT_EQ(dir.read("out.bmp"), original)
            << image.bits << " bits, " << image.height << " rows, header " << image.header_size
            << ", " << image.clr_used << " colours";
    }
}

TEST(BmpFiles, FailedLoadsAndSavesReportTheirCause) {
    scratch_folder dir;
    int bitmap = ZVLoadBitmap(dir.write("four.bmp", make_bmp(6, 5, 4).file()).c_str());
    ASSERT_NE(bitmap, 0);
    ZVGetLastError();
    EXPECT_EQ(ZVSaveBitmap(bitmap, dir.path("none/copy.bmp").c_str()), ZV_ERR_FILE_OPEN);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_FILE_OPEN);
    EXPECT_EQ(ZVGetBitmapWidth(bitmap), 6); // a failed save keeps the bitmap
    EXPECT_EQ(ZVSaveBitmap(bitmap + 1, dir.path("x.bmp").c_str()), ZV_ERR_BAD_BITMAP);
    EXPECT_EQ(ZVGetLastError(), ZV_ERR_BAD_BITMAP);
    EXPECT_FALSE(dir.exists("x.bmp"));
}

// The pixels start at bfOffBits when it lies between the table's end and the file's; a save
// writes them right after the table and its own offset there.
TEST(BmpReader, PixelsStartAtBfOffBitsWhenItLiesBetweenTheTableAndTheEnd) {
    scratch_folder dir;
    bmp_image image = make_bmp(4, 2, 8, 2);
    image.pixels.insert(image.pixels.begin(), {0xAB, 0xCD}); // two gap bytes
    for (uint32_t off_bits : {14 + 40 + 8 + 2, 14 + 40, 14 + 40 + 4, 200, 1000}) {
        image.off_bits = off_bits;
        bytes saved = saved_again(dir, image.file());
        ASSERT_GT(saved.size(), 62u) << off_bits;
        EXPECT_EQ(get32(saved, 10), 14u + 48u) << off_bits;
        // Before the table's end or past the file's, the pixels follow the table.
        bool skipped = off_bits == 14 + 40 + 8 + 2;
        EXPECT_EQ(saved.size(), 62u + (skipped ? 8u : 10u)) << off_bits;
        EXPECT_EQ(saved[62], skipped ? 1 : 0xAB) << off_bits; // (0, 1) is index 1
    }
}

TEST(BmpReader, ImpossibleShapesAreRefusedBeforeAnythingIsSizedFromThem) {
    scratch_folder dir;
    auto corrupt = [&](std::function<void(bytes &)> edit) {
        bytes file = make_bmp(4, 4, 8).file();
        edit(file);
        return load_code(dir, file);
    };
    auto set32 = [](bytes &file, size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(value >> (8 * i));
    };
    // Pixel rows the file does not hold: one byte short of four rows of 4 bytes.
    EXPECT_EQ(
        corrupt([&](bytes &f) { f.pop_back(), set32(f, 2, static_cast<uint32_t>(f.size())); }),
        ZV_ERR_BMP_CORRUPT);
    EXPECT_EQ(corrupt([&](bytes &f) { set32(f, 18, 0); }), ZV_ERR_BMP_CORRUPT);  // width 0
    EXPECT_EQ(corrupt([&](bytes &f) { set32(f, 22, 0); }), ZV_ERR_BMP_CORRUPT);  // height 0
    EXPECT_EQ(corrupt([&](bytes &f) { set32(f, 18, -4); }), ZV_ERR_BMP_CORRUPT); // negative width
    EXPECT_EQ(corrupt([&](bytes &f) { set32(f, 18, 0x40000000); }), ZV_ERR_BMP_CORRUPT);
    EXPECT_EQ(corrupt([&](bytes &f) { set32(f, 22, 0x80000000); }), ZV_ERR_BMP_CORRUPT);
    // Sides at the limit, whose rows (over 4 GB in all) the file does not hold.
    EXPECT_EQ(corrupt([&](bytes &f) { set32(f, 18, 65535), set32(f, 22, 65535); }),
              ZV_ERR_BMP_CORRUPT);
    // Colour tables and headers larger than the file.
    EXPECT_EQ(corrupt([&](bytes &f) { set32(f, 46, 0x40000001); }), ZV_ERR_BMP_CORRUPT);
    EXPECT_EQ(corrupt([&](bytes &f) { set32(f, 46, 300); }), ZV_ERR_BMP_CORRUPT);
    EXPECT_EQ(corrupt([&](bytes &f) { set32(f, 14, 0xFFFFFFF0); }), ZV_ERR_BMP_CORRUPT);
    EXPECT_EQ(corrupt([&](bytes &f) { set32(f, 14, 16); }), ZV_ERR_BMP_CORRUPT);
    EXPECT_EQ(corrupt([&](bytes &f) { set32(f, 14, 0); }), ZV_ERR_BMP_CORRUPT);
}

// A window saved as a 24-bit bottom-up file: rows padded to four bytes, no colour table.
TEST(BufferCapture, RowsArePaddedToFourBytes) {
    scratch_folder dir;
    for (int width : {5, 4}) { // 15 bytes a row, padded to 16; 12, which need no padding
        int w = ZVCreateWindow(10, 10, width, 3, "capture");
        ZVSetPixel(w, 0, 0, k_red);
        ZVSetPixel(w, width - 1, 2, k_blue);
        ASSERT_EQ(ZVSaveImage(w, dir.path("capture.bmp").c_str()), ZV_OK);
        bytes file = dir.read("capture.bmp");
        uint32_t stride = width == 5 ? 16 : 12;
        ASSERT_EQ(file.size(), 54 + 3 * stride) << width;
        EXPECT_EQ(get32(file, 10), 54u);
        EXPECT_EQ(get32(file, 14), 40u);
        EXPECT_EQ(get16(file, 28), 24u);
        EXPECT_EQ(get32(file, 34), 3 * stride);
        EXPECT_EQ(get32(file, 46), 0u);
        // The top-left red pixel is in the last row, the bottom-right blue one in the first,
        // each as blue, green, red bytes.
        EXPECT_EQ(get32(file, 54 + 2 * stride) & 0xFFFFFF, 0xFF0000u);
        EXPECT_EQ(get32(file, 54 + 3 * (width - 1)) & 0xFFFFFF, 0x0000FFu);
    }
}
