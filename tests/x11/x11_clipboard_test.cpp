// The clipboard picture as other X programs paste it (xclip): the targets offered, the PNG and
// BMP forms, and an item large enough to need the INCR protocol.
#include "x11_session.h"

#include "platform/posix/display/display.h"
#include "platform/posix/display/x11/x11_internal.h"
#include "zelvan.h"

#include <png.h>
#include <string.h>
#include <sys/resource.h>

#include <string>
#include <thread>

using namespace x11_session;

extern const display_driver display_x11_driver;

namespace {

// A packed DIB and the 0x00RRGGBB colours of its pixels, top row first.
struct test_dib {
    std::vector<unsigned char> bytes;
    std::vector<uint32_t> pixels;
    int width;
    int height;
};

uint32_t noise(uint32_t *seed) {
    *seed = *seed * 1664525u + 1013904223u;
    return *seed >> 8 & 0xFFFFFF;
}

void put_header(std::vector<unsigned char> *out, int width, int height, int bits, int colours) {
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = width;
    h.biHeight = height; // bottom-up, as the library's captures are
    h.biPlanes = 1;
    h.biBitCount = WORD(bits);
    h.biClrUsed = DWORD(colours);
    const unsigned char *p = reinterpret_cast<const unsigned char *>(&h);
    out->insert(out->end(), p, p + sizeof h);
}

// A 24-bit DIB of the given pixels.
test_dib make_24_bit(std::vector<uint32_t> pixels, int width, int height) {
    test_dib dib{{}, std::move(pixels), width, height};
    put_header(&dib.bytes, width, height, 24, 0);
    size_t stride = (size_t(width) * 3 + 3) / 4 * 4;
    for (int y = height - 1; y >= 0; --y) {
        std::vector<unsigned char> row(stride, 0);
        for (int x = 0; x < width; ++x) {
            uint32_t c = dib.pixels[size_t(y) * width + x];
            row[3 * x] = c & 0xFF; // blue, green, red
            row[3 * x + 1] = c >> 8 & 0xFF;
            row[3 * x + 2] = c >> 16 & 0xFF;
        }
        dib.bytes.insert(dib.bytes.end(), row.begin(), row.end());
    }
    return dib;
}

// A 24-bit DIB of noise, which no compressor shrinks much.
test_dib make_24_bit(int width, int height, uint32_t seed) {
    std::vector<uint32_t> pixels(size_t(width) * height);
    for (uint32_t &p : pixels) p = noise(&seed);
    return make_24_bit(std::move(pixels), width, height);
}

// An 8-bit DIB whose colour table holds only the 16 colours it uses.
test_dib make_8_bit(int width, int height) {
    test_dib dib{{}, std::vector<uint32_t>(size_t(width) * height), width, height};
    put_header(&dib.bytes, width, height, 8, 16);
    uint32_t seed = 7, table[16];
    for (uint32_t &c : table) {
        c = noise(&seed);
        unsigned char quad[4] = {(unsigned char)(c & 0xFF), (unsigned char)(c >> 8 & 0xFF),
                                 (unsigned char)(c >> 16 & 0xFF), 0};
        dib.bytes.insert(dib.bytes.end(), quad, quad + 4);
    }
    size_t stride = (size_t(width) + 3) / 4 * 4;
    for (int y = height - 1; y >= 0; --y) {
        std::vector<unsigned char> row(stride, 0);
        for (int x = 0; x < width; ++x) {
            row[x] = (unsigned char)((x / 3 + y) % 16);
            dib.pixels[size_t(y) * width + x] = table[row[x]];
        }
        dib.bytes.insert(dib.bytes.end(), row.begin(), row.end());
    }
    return dib;
}

// Like the library's clipboard code, the export comes from a thread that is not the GUI thread,
// once the library has opened its display (a window is made and closed to be sure).
void export_from_host_thread(const test_dib &dib) {
    static bool display_open = false;
    if (!display_open) {
        ZVDestroyWindow(ZVCreateWindow(0, 0, 10, 10, "opens the display"));
        display_open = true;
    }
    std::thread host(
        [&] { display_x11_driver.clipboard_export(dib.bytes.data(), dib.bytes.size()); });
    host.join();
}

std::string paste(const char *target, int *status) {
    return run({"xclip", "-selection", "clipboard", "-t", target, "-o"}, status);
}

struct png_reader {
    const std::string *data;
    size_t at;
};

void read_bytes(png_structp png, png_bytep out, png_size_t length) {
    png_reader *r = static_cast<png_reader *>(png_get_io_ptr(png));
    if (r->at + length > r->data->size()) png_error(png, "truncated");
    memcpy(out, r->data->data() + r->at, length);
    r->at += length;
}

// Decodes a PNG a row at a time, giving `row` each row's 0x00RRGGBB pixels; false if it is
// not an 8-bit RGB(A) picture.
template <typename Row>
bool decode_png_rows(const std::string &file, int *width, int *height, Row row_seen) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_reader reader{&file, 0};
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &reader, read_bytes);
    png_read_info(png, info);
    *width = int(png_get_image_width(png, info));
    *height = int(png_get_image_height(png, info));
    int channels = png_get_channels(png, info);
    if (png_get_bit_depth(png, info) != 8 || channels < 3) longjmp(png_jmpbuf(png), 1);
    std::vector<unsigned char> row(size_t(*width) * channels);
    std::vector<uint32_t> pixels(static_cast<size_t>(*width));
    for (int y = 0; y < *height; ++y) {
        png_read_row(png, row.data(), nullptr);
        for (int x = 0; x < *width; ++x) {
            const unsigned char *p = &row[size_t(x) * channels];
            pixels[size_t(x)] = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
        }
        row_seen(y, pixels);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool decode_png(const std::string &file, int *width, int *height, std::vector<uint32_t> *out) {
    out->clear();
    return decode_png_rows(file, width, height, [&](int, const std::vector<uint32_t> &row) {
        out->insert(out->end(), row.begin(), row.end());
    });
}

std::string as_bmp_file(const test_dib &dib, size_t pixel_offset) {
    std::string file = "BM";
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) file += char(v >> (8 * i) & 0xFF);
    };
    put32(uint32_t(14 + dib.bytes.size()));
    put32(0);
    put32(uint32_t(14 + pixel_offset));
    file.append(dib.bytes.begin(), dib.bytes.end());
    return file;
}

void expect_pastes_as(const test_dib &dib, size_t pixel_offset) {
    int status = -1;
    std::string png = paste("image/png", &status);
    EXPECT_EQ(status, 0);
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(decode_png(png, &width, &height, &pixels))
        << "not a PNG: " << png.size() << " bytes";
    EXPECT_EQ(width, dib.width);
    EXPECT_EQ(height, dib.height);
    EXPECT_TRUE(pixels == dib.pixels) << "the pasted PNG shows another picture";
    std::string bmp = paste("image/bmp", &status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(bmp == as_bmp_file(dib, pixel_offset)) << "the pasted BMP differs";
}

} // namespace

TEST(X11Clipboard, OffersItsTargetsAndPastesAsPngAndBmp) {
    if (!run_in_child()) return;
    ASSERT_TRUE(have_program("xclip")) << "xclip is needed on the X server";
    test_dib dib = make_24_bit(37, 23, 1);
    export_from_host_thread(dib);
    int status = -1;
    std::string targets;
    EXPECT_TRUE(poll_until([&] {
        targets = paste("TARGETS", &status);
        return status == 0 && targets.find("image/png") != std::string::npos;
    })) << "targets offered: "
        << targets;
    EXPECT_NE(targets.find("image/bmp"), std::string::npos);
    EXPECT_NE(targets.find("TARGETS"), std::string::npos);
    expect_pastes_as(dib, sizeof(BITMAPINFOHEADER));

    // A palette picture keeps its colours; a new export replaces the old one.
    test_dib palette = make_8_bit(50, 20);
    export_from_host_thread(palette);
    EXPECT_TRUE(poll_until(
        [&] { return paste("image/bmp", &status).size() == 14 + palette.bytes.size(); }));
    expect_pastes_as(palette, sizeof(BITMAPINFOHEADER) + 16 * 4);
}

// A run-length picture pastes decoded, as the same picture stored plainly at 24 bits.
TEST(X11Clipboard, RunLengthPicturesPasteDecoded) {
    if (!run_in_child()) return;
    ASSERT_TRUE(have_program("xclip")) << "xclip is needed on the X server";
    // make_8_bit's picture as runs of three pixels, bottom row first.
    test_dib palette = make_8_bit(20, 4);
    std::vector<unsigned char> rle(palette.bytes.begin(), palette.bytes.begin() + 40 + 64);
    for (int y = 3; y >= 0; --y) {
        for (int x = 0; x < 20; x += 3) {
            rle.push_back(x < 18 ? 3 : 2);
            rle.push_back((unsigned char)((x / 3 + y) % 16));
        }
        rle.insert(rle.end(), {0, 0});
    }
    rle[16] = 1;                                     // BI_RLE8
    rle[20] = (unsigned char)(rle.size() - 40 - 64); // biSizeImage: the stream's length
    export_from_host_thread({rle, {}, 20, 4});
    test_dib twin = make_24_bit(palette.pixels, 20, 4);
    twin.bytes[20] = 4 * 60; // the decoded file states its image size
    int status = -1;
    EXPECT_TRUE(
        poll_until([&] { return paste("image/bmp", &status).size() == 14 + twin.bytes.size(); }));
    expect_pastes_as(twin, sizeof(BITMAPINFOHEADER));
}

TEST(X11Clipboard, LargePicturesArriveWhole) {
    if (!run_in_child()) return;
    ASSERT_TRUE(have_program("xclip")) << "xclip is needed on the X server";
    // About 1.2 MB, far above the 256 KB a single request may carry: it goes by INCR.
    test_dib dib = make_24_bit(640, 640, 99);
    ASSERT_GT(dib.bytes.size(), size_t(XMaxRequestSize(display())) * 4);
    export_from_host_thread(dib);
    int status = -1;
    EXPECT_TRUE(poll_until(
        [&] { return paste("TARGETS", &status).find("image/bmp") != std::string::npos; }));
    expect_pastes_as(dib, sizeof(BITMAPINFOHEADER));
}

TEST(X11Clipboard, AMalformedPictureEmptiesTheClipboard) {
    if (!run_in_child()) return;
    ASSERT_TRUE(have_program("xclip")) << "xclip is needed on the X server";
    test_dib good = make_24_bit(8, 8, 3);
    export_from_host_thread(good);
    int status = -1;
    ASSERT_TRUE(
        poll_until([&] { return paste("image/bmp", &status).size() == 14 + good.bytes.size(); }));
    test_dib cut = make_24_bit(30, 30, 5);
    cut.bytes.resize(cut.bytes.size() / 2); // rows missing: nobody could read it
    export_from_host_thread(cut);
    EXPECT_TRUE(poll_until([&] {
        std::string targets = paste("TARGETS", &status);
        return status != 0 || targets.find("image/bmp") == std::string::npos;
    })) << "the picture before the malformed one is still offered";
    EXPECT_TRUE(paste("image/bmp", &status).empty());
}

// A 1-bit picture, white on black, whose stripes change width from row to row; at 8000 x 8000
// its converted forms once took more than 400 MB of arrays at once.
bool stripe(int x, int y) {
    return ((x >> (y % 5 + 1)) ^ (y >> 3)) & 1;
}

test_dib make_1_bit_stripes(int size) {
    test_dib dib{{}, {}, size, size};
    put_header(&dib.bytes, size, size, 1, 2);
    unsigned char table[8] = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0};
    dib.bytes.insert(dib.bytes.end(), table, table + 8);
    size_t stride = (size_t(size) + 31) / 32 * 4;
    for (int y = size - 1; y >= 0; --y) {
        std::vector<unsigned char> row(stride, 0);
        for (int x = 0; x < size; ++x)
            if (stripe(x, y)) row[size_t(x) / 8] |= (unsigned char)(0x80 >> (x % 8));
        dib.bytes.insert(dib.bytes.end(), row.begin(), row.end());
    }
    return dib;
}

// Bounds the child's address space to what it uses now and 320 MB more: a conversion of the
// whole picture at once would not fit and end the process. Sanitizers reserve far more.
void limit_memory(void) {
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    unsigned long pages = 0;
    FILE *statm = fopen("/proc/self/statm", "r");
    ASSERT_TRUE(statm && fscanf(statm, "%lu", &pages) == 1);
    fclose(statm);
    rlim_t bytes = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (rlim_t(320) << 20);
    rlimit limit = {bytes, bytes};
    ASSERT_EQ(setrlimit(RLIMIT_AS, &limit), 0);
#endif
}

TEST(X11Clipboard, AHugePictureIsConvertedOnlyWhileItIsPasted) {
    if (!run_in_child()) return;
    ASSERT_TRUE(have_program("xclip")) << "xclip is needed on the X server";
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    const int size = 3000;
#else
    const int size = 8000;
#endif
    test_dib dib = make_1_bit_stripes(size);
    export_from_host_thread(test_dib{{0}, {}, 0, 0}); // opens the display before the limit
    limit_memory();
    export_from_host_thread(dib);
    int status = -1;
    ASSERT_TRUE(poll_until(
        [&] { return paste("TARGETS", &status).find("image/png") != std::string::npos; }));
    std::string png = paste("image/png", &status);
    EXPECT_EQ(status, 0);
    int width = 0, height = 0;
    long wrong = 0;
    ASSERT_TRUE(decode_png_rows(png, &width, &height,
                                [&](int y, const std::vector<uint32_t> &row) {
                                    for (int x = 0; x < int(row.size()); ++x)
                                        wrong += row[size_t(x)] != (stripe(x, y) ? 0xFFFFFFu : 0u);
                                }))
        << "not a PNG: " << png.size() << " bytes";
    EXPECT_EQ(width, size);
    EXPECT_EQ(height, size);
    EXPECT_EQ(wrong, 0);
    png.clear();
    png.shrink_to_fit();
    std::string bmp = paste("image/bmp", &status);
    EXPECT_TRUE(bmp == as_bmp_file(dib, sizeof(BITMAPINFOHEADER) + 8)) << bmp.size() << " bytes";
}

// Made in bands of a few bytes, each form is the file made in one go, and the PNG shows the
// picture: a plain 24-bit one, a palette one and a run-length one.
TEST(X11ClipboardForms, BandsMakeTheSameFileAsTheWhole) {
    test_dib palette = make_8_bit(13, 7);
    std::vector<unsigned char> rle(palette.bytes.begin(), palette.bytes.begin() + 40 + 64);
    for (int y = 6; y >= 0; --y) {
        for (int x = 0; x < 13; ++x)
            rle.insert(rle.end(), {1, palette.bytes[104 + (6 - y) * 16 + x]});
        rle.insert(rle.end(), {0, 0});
    }
    rle.insert(rle.end(), {0, 1});
    rle[16] = 1;                                     // BI_RLE8
    rle[20] = (unsigned char)(rle.size() - 40 - 64); // biSizeImage: the stream's length
    for (const test_dib &dib :
         {make_24_bit(29, 11, 4), palette, test_dib{rle, palette.pixels, 13, 7}}) {
        auto kept = std::make_shared<const std::vector<unsigned char>>(dib.bytes);
        for (picture_form form : {PICTURE_PNG, PICTURE_BMP}) {
            std::vector<unsigned char> whole, banded;
            picture_stream *one = picture_stream_open(kept, form);
            picture_stream *bands = picture_stream_open(kept, form);
            ASSERT_TRUE(one && bands);
            EXPECT_TRUE(picture_stream_fill(one, &whole, SIZE_MAX));
            EXPECT_TRUE(picture_stream_done(one));
            for (int band = 0; band < 100000 && !picture_stream_done(bands); ++band)
                ASSERT_TRUE(picture_stream_fill(bands, &banded, banded.size() + 5));
            EXPECT_TRUE(whole == banded) << form;
            picture_stream_close(one);
            picture_stream_close(bands);
            if (form != PICTURE_PNG) continue;
            int width = 0, height = 0;
            std::vector<uint32_t> pixels;
            ASSERT_TRUE(
                decode_png(std::string(whole.begin(), whole.end()), &width, &height, &pixels));
            EXPECT_EQ(width, dib.width);
            EXPECT_TRUE(pixels == dib.pixels);
        }
    }
}
