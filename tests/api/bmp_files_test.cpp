// The BMP reader, writer and buffer capture, called directly. Loading and saving through
// ZVLoadBitmap and ZVSaveBitmap is in bmp_files_public_test.cpp.
#include "image/bmp_file.h"

#include "core/window_table.h"
#include "drawing_support.h"
#include "image_files.h"

#include <gtest/gtest.h>

namespace {

// Reads a file into a record that frees itself.
struct read_result {
    bitmap_record *record = nullptr; // declared first: the reader sets it while `code` is made
    int code;
    explicit read_result(const std::string &path) : code(bmp_read(path.c_str(), &record)) {}
    ~read_result() { bitmap_record_free(record); }
    bytes info() const { return bytes(record->info, record->info + record->info_bytes); }
    bytes bits() const { return bytes(record->bits, record->bits + record->bits_bytes); }
};

int read_code(const scratch_folder &dir, const bytes &file) {
    read_result result(dir.write("probe.bmp", file));
    EXPECT_EQ(result.record == nullptr, result.code != ZV_OK);
    return result.code;
}

} // namespace

TEST(BmpReader, ChecksComeInTheOrderOfItsSteps) {
    scratch_folder dir;
    bmp_image image = make_bmp(4, 3, 24);
    EXPECT_EQ(read_code(dir, image.file()), ZV_OK);
    bitmap_record *none = nullptr;
    EXPECT_EQ(bmp_read(dir.path("missing.bmp").c_str(), &none), ZV_ERR_FILE_OPEN);
    EXPECT_EQ(none, nullptr);

    bmp_image wrong_type = image;
    wrong_type.type = 0x4D43;
    wrong_type.reserved1 = 1; // corrupt twice over: still one code
    bytes sized_wrong = wrong_type.file();
    sized_wrong.push_back(0);
    EXPECT_EQ(read_code(dir, sized_wrong), ZV_ERR_BMP_CORRUPT);
    bmp_image reserved = image;
    reserved.reserved1 = 1;
    EXPECT_EQ(read_code(dir, reserved.file()), ZV_ERR_BMP_CORRUPT);

    // A file both one byte too long and 16-bit reports the size first.
    bytes longer = with_bit_count(image, 16);
    longer.push_back(0);
    EXPECT_EQ(read_code(dir, longer), ZV_ERR_BMP_SIZE_MISMATCH);
    EXPECT_EQ(read_code(dir, with_bit_count(image, 16)), ZV_ERR_16BIT);
    EXPECT_EQ(read_code(dir, with_bit_count(image, 32)), ZV_ERR_32BIT);
    EXPECT_EQ(read_code(dir, with_bit_count(image, 0)), ZV_ERR_BMP_BITCOUNT);
    EXPECT_EQ(read_code(dir, with_bit_count(image, 2)), ZV_ERR_BMP_BITCOUNT);
}

TEST(BmpReader, FilesThatEndEarlyFailAsReads) {
    scratch_folder dir;
    EXPECT_EQ(read_code(dir, bytes{}), ZV_ERR_FILE_READ);
    EXPECT_EQ(read_code(dir, bytes{'B', 'M', 9, 0}), ZV_ERR_FILE_READ);
    bytes header_only = {'B', 'M', 16, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0};
    EXPECT_EQ(read_code(dir, header_only), ZV_ERR_FILE_READ); // the size field is cut short
}

TEST(BmpReader, ColourTablesFollowTheHeaderKind) {
    scratch_folder dir;
    read_result used16(dir.write("a.bmp", make_bmp(5, 3, 8, 16).file()));
    ASSERT_EQ(used16.code, ZV_OK);
    EXPECT_EQ(used16.record->info_bytes, 40 + 64);
    EXPECT_EQ(used16.record->bits_offset, 104); // pixels at file offset 118
    EXPECT_EQ(used16.record->bits_bytes, 3 * 8);

    bmp_image true_colour = make_bmp(7, 5, 24);
    bytes file = true_colour.file();
    read_result plain(dir.write("b.bmp", file));
    ASSERT_EQ(plain.code, ZV_OK);
    EXPECT_EQ(plain.record->info_bytes, 40);
    EXPECT_EQ(plain.record->bits_bytes, static_cast<int>(file.size()) - 54);

    read_result core(dir.write("c.bmp", make_bmp(3, 2, 8, 0, 12).file()));
    ASSERT_EQ(core.code, ZV_OK);
    EXPECT_EQ(core.record->header_size, 12);
    EXPECT_EQ(core.record->info_bytes, 12 + 768);
    EXPECT_EQ(core.record->width, 3);
    EXPECT_EQ(core.record->height, 2);

    read_result core24(dir.write("d.bmp", make_bmp(3, 2, 24, 0, 12).file()));
    ASSERT_EQ(core24.code, ZV_OK);
    EXPECT_EQ(core24.record->info_bytes, 12);

    read_result long_header(dir.write("e.bmp", make_bmp(3, 2, 4, 0, 124).file()));
    ASSERT_EQ(long_header.code, ZV_OK);
    EXPECT_EQ(long_header.record->info_bytes, 124 + 64);

    read_result table24(dir.write("f.bmp", make_bmp(2, 2, 24, 3).file()));
    ASSERT_EQ(table24.code, ZV_OK);
    EXPECT_EQ(table24.record->info_bytes, 40 + 12);
}

TEST(BmpReader, PixelsStartAtBfOffBitsWhenItLiesBetweenTheTableAndTheEnd) {
    scratch_folder dir;
    bmp_image image = make_bmp(4, 2, 8, 2);
    image.pixels.insert(image.pixels.begin(), {0xAB, 0xCD}); // two gap bytes
    for (uint32_t off_bits : {14 + 40 + 8 + 2, 14 + 40, 14 + 40 + 4, 1000}) {
        image.off_bits = off_bits;
        read_result result(dir.write("gap.bmp", image.file()));
        ASSERT_EQ(result.code, ZV_OK);
        EXPECT_EQ(result.record->bits_offset, 48);
        // Before the table's end or past the file's, the pixels follow the table.
        bool skipped = off_bits == 14 + 40 + 8 + 2;
        EXPECT_EQ(result.record->bits_bytes, skipped ? 8 : 10) << off_bits;
        EXPECT_EQ(result.record->bits[0], skipped ? 1 : 0xAB) << off_bits; // (0, 1) is index 1
    }
}

TEST(BmpReader, ImpossibleShapesAreRefusedBeforeAnythingIsSizedFromThem) {
    scratch_folder dir;
    auto corrupt = [&](std::function<void(bytes &)> edit) {
        bytes file = make_bmp(4, 4, 8).file();
        edit(file);
        return read_code(dir, file);
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

TEST(BmpReader, TopDownImagesCountTheirRowsPositively) {
    scratch_folder dir;
    bmp_image image = make_bmp(3, -4, 24);
    read_result result(dir.write("top.bmp", image.file()));
    ASSERT_EQ(result.code, ZV_OK);
    EXPECT_EQ(result.record->height, 4);
    int32_t stored;
    memcpy(&stored, result.record->info + 8, 4);
    EXPECT_EQ(stored, -4); // the header keeps the file's own value
}

TEST(BmpWriter, RecordsOfEveryDepthComeBackIdentical) {
    scratch_folder dir;
    const bmp_image images[] = {make_bmp(9, 3, 1),         make_bmp(5, 4, 4),
                                make_bmp(6, 2, 8),         make_bmp(7, 3, 24),
                                make_bmp(3, 3, 8, 20),     make_bmp(4, 2, 8, 0, 12),
                                make_bmp(2, 2, 4, 0, 108), make_bmp(3, -2, 24)};
    for (const bmp_image &image : images) {
        bytes original = image.file();
        read_result first(dir.write("in.bmp", original));
        ASSERT_EQ(first.code, ZV_OK);
        ASSERT_EQ(bmp_write(first.record, dir.path("out.bmp").c_str()), ZV_OK);
        bytes written = dir.read("out.bmp");
        EXPECT_EQ(written, original) << image.bits << " bits, header " << image.header_size;
        read_result second(dir.path("out.bmp"));
        ASSERT_EQ(second.code, ZV_OK);
        EXPECT_EQ(second.info(), first.info());
        EXPECT_EQ(second.bits(), first.bits());
        EXPECT_EQ(second.record->bits_offset, first.record->bits_offset);
    }
}

TEST(BmpWriter, WritesItsOwnOffsetAndReportsFilesItCannotCreate) {
    scratch_folder dir;
    bmp_image image = make_bmp(4, 2, 8, 2);
    image.pixels.insert(image.pixels.begin(), {1, 2});
    image.off_bits = 200;
    read_result result(dir.write("odd.bmp", image.file()));
    ASSERT_EQ(result.code, ZV_OK);
    ASSERT_EQ(bmp_write(result.record, dir.path("fixed.bmp").c_str()), ZV_OK);
    EXPECT_EQ(get32(dir.read("fixed.bmp"), 10), 14u + 48u);
    EXPECT_EQ(bmp_write(result.record, dir.path("no/such/folder.bmp").c_str()), ZV_ERR_FILE_OPEN);
}

TEST(BufferCapture, RowsArePaddedToFourBytes) {
    int w = ZVCreateWindow(10, 10, 5, 3, "capture");
    ASSERT_GT(w, 0);
    ZVSetPixel(w, 0, 0, k_red);
    ZVSetPixel(w, 4, 2, k_blue);
    window_ref window(w);
    bitmap_record *capture = capture_view_buffer(window.record);
    ASSERT_NE(capture, nullptr);
    EXPECT_EQ(capture->header_size, 40);
    EXPECT_EQ(capture->info_bytes, 40);
    EXPECT_EQ(capture->bits_bytes, 3 * 16); // 15 bytes a row, padded to 16
    BITMAPINFOHEADER header;
    memcpy(&header, capture->info, sizeof header);
    EXPECT_EQ(header.biBitCount, 24);
    EXPECT_EQ(header.biSizeImage, 48u);
    EXPECT_EQ(header.biClrUsed, 0u);
    // Bottom-up: the top-left red pixel is in the last row, the bottom-right blue one first.
    const uint8_t *top = capture->bits + 2 * 16;
    EXPECT_EQ(top[0] | top[1] << 8 | top[2] << 16, 0xFF0000);     // blue, green, red bytes
    EXPECT_EQ(capture->bits[12] | capture->bits[14] << 16, 0xFF); // blue at x = 4, y = 2
    bitmap_record_free(capture);

    int narrow = ZVCreateWindow(10, 10, 4, 2, "narrow");
    window_ref narrow_window(narrow);
    capture = capture_view_buffer(narrow_window.record);
    ASSERT_NE(capture, nullptr);
    EXPECT_EQ(capture->bits_bytes, 2 * 12);
    bitmap_record_free(capture);
}

TEST(BufferCapture, ABitmapThePlatformCannotDescribeIsAnError) {
    int w = ZVCreateWindow(10, 10, 20, 20, "capture");
    window_ref window(w);
    ZVGetLastError();
    int failure = ZV_OK;
    EXPECT_EQ(capture_bitmap(window.record, nullptr, &failure), nullptr);
    EXPECT_EQ(failure, ZV_ERROR);
    EXPECT_EQ(ZVGetLastError(), ZV_ERROR);
}
