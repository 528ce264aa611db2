// PNG files read and written through the picture-file layer, with the records looked at
// directly; the files are made byte by byte and saved ones read back by libpng's simplified
// API, a decoder that is not the library's own code path.
#include "image/files/image_file.h"

#include "../resident_memory.h"
#include "image_files.h"
#include "png_bytes.h"

#include <gtest/gtest.h>

#include <png.h>

namespace {

struct read_result {
    bitmap_record *record = nullptr;
    int code;
    explicit read_result(const std::string &path) : code(image_read(path.c_str(), &record)) {}
    ~read_result() { bitmap_record_free(record); }
    // Pixel (x, y) from the top as 0xAARRGGBB (alpha 255 in a record without alpha).
    uint32_t at(int x, int y) const {
        int bits = record->has_alpha ? 32 : 24;
        const uint8_t *p =
            record->bits + row_bytes(record->width, bits) * (record->height - 1 - y) + x * bits / 8;
        uint32_t a = record->has_alpha ? p[3] : 255;
        return a << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
    }
};

// Every pixel of the record against what the file stores; the first difference is reported.
::testing::AssertionResult decodes_as_stored(const read_result &read, const png_layout &s) {
    if (read.code != ZV_OK) return ::testing::AssertionFailure() << "code " << read.code;
    if (read.record->width != s.width || read.record->height != s.height ||
        read.record->has_alpha != s.has_alpha())
        return ::testing::AssertionFailure() << "shape or alpha flag";
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            if (!near_colour(read.at(x, y), s.expected(x, y), s.bit_depth == 16 ? 1 : 0))
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << ": " << std::hex << read.at(x, y)
                       << " instead of " << s.expected(x, y);
    return ::testing::AssertionSuccess();
}

// `file` with IHDR's fields from byte `at` (0: the width) rewritten and its CRC made to match.
bytes with_header(bytes file, size_t at, std::initializer_list<uint8_t> fields) {
    std::copy(fields.begin(), fields.end(), file.begin() + static_cast<long>(16 + at));
    uint32_t crc = png_crc(&file[12], 17); // the chunk's type and fields
    for (int i = 0; i < 4; ++i) file[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    return file;
}

} // namespace

TEST(PngFiles, EveryColourTypeDepthInterlaceAndTransparencyDecodesAsStored) {
    scratch_folder dir;
    int files = 0;
    for (const png_layout &s : every_png_layout()) {
        // A name that says BMP: the signature decides.
        read_result read(dir.write("p" + std::to_string(files++) + ".bmp", make_png(s)));
        EXPECT_TRUE(decodes_as_stored(read, s)) << s.name();
    }
}

TEST(PngFiles, DamagedFilesAreRefusedWithoutARecord) {
    scratch_folder dir;
    png_layout s, wide;
    s.width = 40, s.height = 30;
    wide.width = 60000, wide.height = 1;
    const bytes good = make_png(s);
    ASSERT_EQ(read_result(dir.write("good.png", good)).code, ZV_OK);
    auto flipped = [&](size_t at, uint8_t bits) {
        bytes file = good;
        file[at] ^= bits;
        return file;
    };
    std::vector<std::pair<std::string, bytes>> damaged = {
        {"IHDR CRC", flipped(8 + 8 + 13, 1)},
        {"IDAT CRC", flipped(good.size() - 20, 0x55)}, // inside the last IDAT
        {"bit depth 3", with_header(good, 8, {3})},
        // 60000 x 60000 pixels claimed in a file of a few hundred bytes.
        {"more rows than the data", with_header(make_png(wide), 4, {0, 0, 0xEA, 0x60})},
    };
    for (size_t keep : {size_t{8}, size_t{20}, size_t{40}, good.size() / 2, good.size() - 13})
        damaged.push_back(
            {"cut to " + std::to_string(keep), bytes(good.begin(), good.begin() + long(keep))});
    for (const auto &[what, file] : damaged) {
        read_result read(dir.write("bad.png", file));
        EXPECT_TRUE(read.code == ZV_ERR_BMP_CORRUPT || read.code == ZV_ERR_FILE_READ)
            << what << ": " << read.code;
        EXPECT_EQ(read.record, nullptr) << what;
    }
    // A BMP still reads as BMP, and its refusals stay its own.
    EXPECT_EQ(read_result(dir.write("16.bmp", with_bit_count(make_bmp(2, 2, 24), 16))).code,
              ZV_ERR_16BIT);
}

// A saved bitmap with alpha, read by libpng's simplified reader: the same straight RGBA samples.
TEST(PngFiles, SavedAlphaReadsBackInAnotherDecoder) {
    scratch_folder dir;
    png_layout s;
    s.colour_type = PNG_COLOR_TYPE_RGB_ALPHA;
    s.width = 37, s.height = 23;
    int sprite = ZVLoadBitmap(dir.write("s.png", make_png(s)).c_str());
    ASSERT_NE(sprite, 0);
    ASSERT_EQ(ZVSaveBitmap(sprite, dir.path("copy.png").c_str()), ZV_OK);
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, dir.path("copy.png").c_str()));
    EXPECT_EQ(image.format & PNG_FORMAT_FLAG_ALPHA, PNG_FORMAT_FLAG_ALPHA);
    image.format = PNG_FORMAT_BGRA;
    std::vector<uint32_t> pixels(static_cast<size_t>(s.width) * s.height);
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
    int wrong = 0;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            wrong += pixels[static_cast<size_t>(y) * s.width + x] != s.expected(x, y);
    EXPECT_EQ(wrong, 0);
}

// Forty compressed text chunks of 4 MB each (under libpng's own cap for one chunk) in a file
// of 1 MB: kept, they would take 160 MB. Text is never used, so none of it is inflated; the
// picture around it decodes as stored.
TEST(PngFiles, CompressedTextIsSkippedUninflated) {
    if (!reset_peak_resident()) GTEST_SKIP() << "the kernel cannot reset the peak it reports";
    png_layout s;
    bytes plain = make_png(s), file(plain.begin(), plain.begin() + 33); // signature and IHDR
    for (int i = 0; i < 40; ++i) {
        bytes text = {'C', 'o', 'm', 'm', 'e', 'n', 't', 0};
        // zTXt: the method; iTXt: compressed, the method, no language, no translated keyword.
        text.insert(text.end(), i % 2 ? std::initializer_list<uint8_t>{1, 0, 0, 0}
                                      : std::initializer_list<uint8_t>{0});
        bytes packed = png_repeated_zlib('A', size_t{4} << 20);
        text.insert(text.end(), packed.begin(), packed.end());
        png_chunk(file, i % 2 ? "iTXt" : "zTXt", text);
    }
    file.insert(file.end(), plain.begin() + 33, plain.end());
    ASSERT_LT(file.size(), size_t{2} << 20);
    scratch_folder dir;
    std::string path = dir.write("text.png", file);
    ASSERT_TRUE(reset_peak_resident());
    long before = resident_bytes();
    {
        read_result read(path);
        EXPECT_TRUE(decodes_as_stored(read, s));
    }
    long growth = peak_resident_bytes() - before;
    EXPECT_LT(growth, 32L << 20) << "reading took " << (growth >> 20) << " MB more";
}

// A window that loads a picture takes no more than twice what it holds afterwards (its
// buffer, and the platform's copy of the window), however small the file.
TEST(PngFiles, LoadingAPictureIntoAWindowTakesAtMostTwiceWhatItKeeps) {
    if (!reset_peak_resident()) GTEST_SKIP() << "the kernel cannot reset the peak it reports";
    scratch_folder dir;
    // One bit a pixel, one colour: a file of 14 KB for a picture of 48 MB at 24 bits.
    std::string path = dir.write("flat.png", make_flat_png(4096, 4096, 1));
    int w = ZVCreateWindow(0, 0, 16, 16, "large picture");
    ASSERT_TRUE(reset_peak_resident());
    long before = resident_bytes();
    ASSERT_EQ(ZVLoadImage(w, path.c_str()), ZV_OK);
    long peak = peak_resident_bytes() - before, kept = resident_bytes() - before;
    EXPECT_EQ(ZVGetPixel(w, 4095, 4095), 0u);
    EXPECT_GE(kept, 4096L * 4096 * 4) << "the window does not hold its picture";
    EXPECT_LE(peak, 2 * kept) << "peak " << (peak >> 20) << " MB, kept " << (kept >> 20) << " MB";
    ZVDestroyWindow(w);
}
