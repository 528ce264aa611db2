// PNG files made with libpng's writer for the PNG tests: any colour type, bit depth,
// interlace and tRNS, with samples that differ in every row and column, and the colour each
// pixel must decode to.
#ifndef ZELVAN_TESTS_PNG_WRITER_H
#define ZELVAN_TESTS_PNG_WRITER_H

#include <png.h>
#include <stdint.h>

#include <vector>

struct png_layout {
    int width = 7, height = 5;
    int colour_type = PNG_COLOR_TYPE_RGB;
    int bit_depth = 8;
    bool interlaced = false;
    bool trns = false;

    int channels() const {
        switch (colour_type) {
        case PNG_COLOR_TYPE_GRAY:
        case PNG_COLOR_TYPE_PALETTE:
            return 1;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            return 2;
        case PNG_COLOR_TYPE_RGB:
            return 3;
        default:
            return 4;
        }
    }
    int max_sample() const { return (1 << bit_depth) - 1; }
    // The stored sample of channel c at (x, y).
    uint32_t sample(int x, int y, int c) const {
        uint32_t v = static_cast<uint32_t>(x * 2654435761u + y * 40503u + c * 977u) >> 7;
        if (colour_type == PNG_COLOR_TYPE_PALETTE) return v % palette_size();
        // Every fourth pixel repeats the tRNS colour, so that it really occurs.
        if (trns && (x + y) % 4 == 0) return trns_sample();
        return v & static_cast<uint32_t>(max_sample());
    }
    int palette_size() const { return bit_depth == 8 ? 200 : 1 << bit_depth; }
    uint32_t trns_sample() const { return static_cast<uint32_t>(max_sample() / 3); }
    png_color palette_entry(int i) const {
        return {static_cast<png_byte>(i * 7), static_cast<png_byte>(255 - i),
                static_cast<png_byte>(i * 13)};
    }
    uint8_t palette_alpha(int i) const { return static_cast<uint8_t>(i * 37); }
    bool has_alpha() const { return (colour_type & PNG_COLOR_MASK_ALPHA) || trns; }

    uint8_t to8(uint32_t v) const {
        return static_cast<uint8_t>((v * 255 + static_cast<uint32_t>(max_sample()) / 2) /
                                    static_cast<uint32_t>(max_sample()));
    }
    // The pixel (x, y) as 0xAARRGGBB; alpha 255 for a picture without alpha.
    uint32_t expected(int x, int y) const {
        uint32_t r, g, b, a = 255;
        if (colour_type == PNG_COLOR_TYPE_PALETTE) {
            int i = static_cast<int>(sample(x, y, 0));
            png_color e = palette_entry(i);
            r = e.red, g = e.green, b = e.blue;
            if (trns) a = palette_alpha(i);
        } else if (colour_type & PNG_COLOR_MASK_COLOR) {
            r = to8(sample(x, y, 0)), g = to8(sample(x, y, 1)), b = to8(sample(x, y, 2));
            if (colour_type & PNG_COLOR_MASK_ALPHA) a = to8(sample(x, y, 3));
            bool keyed = sample(x, y, 0) == trns_sample() && sample(x, y, 1) == trns_sample() &&
                         sample(x, y, 2) == trns_sample();
            if (trns && keyed) a = 0;
        } else {
            r = g = b = to8(sample(x, y, 0));
            if (colour_type & PNG_COLOR_MASK_ALPHA) a = to8(sample(x, y, 1));
            if (trns && sample(x, y, 0) == trns_sample()) a = 0;
        }
        return a << 24 | r << 16 | g << 8 | b;
    }
};

inline void png_test_append(png_structp png, png_bytep data, size_t length) {
    auto *out = static_cast<std::vector<uint8_t> *>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
inline void png_test_flush(png_structp) {}

// The file `s` lays out, written by libpng.
inline std::vector<uint8_t> make_png(const png_layout &s) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    int channels = s.channels(), bytes_per = s.bit_depth == 16 ? 2 : 1;
    size_t row_bytes = (static_cast<size_t>(s.width) * channels * s.bit_depth + 7) / 8;
    std::vector<std::vector<png_byte>> rows(s.height, std::vector<png_byte>(row_bytes));
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            for (int c = 0; c < channels; ++c) {
                uint32_t v = s.sample(x, y, c);
                if (s.bit_depth >= 8) {
                    size_t at = (static_cast<size_t>(x) * channels + c) * bytes_per;
                    if (bytes_per == 2) rows[y][at++] = static_cast<png_byte>(v >> 8);
                    rows[y][at] = static_cast<png_byte>(v);
                } else {
                    size_t bit = static_cast<size_t>(x) * s.bit_depth;
                    int shift = 8 - s.bit_depth - static_cast<int>(bit % 8);
                    rows[y][bit / 8] |= static_cast<png_byte>(v << shift);
                }
            }
    std::vector<png_bytep> pointers;
    for (auto &row : rows) pointers.push_back(row.data());
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, png_test_append, png_test_flush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(s.width), static_cast<png_uint_32>(s.height),
                 s.bit_depth, s.colour_type,
                 s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    std::vector<png_byte> alphas;
    if (s.colour_type == PNG_COLOR_TYPE_PALETTE) {
        for (int i = 0; i < s.palette_size(); ++i) {
            palette.push_back(s.palette_entry(i));
            alphas.push_back(s.palette_alpha(i));
        }
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    }
    if (s.trns) {
        png_color_16 key = {};
        key.gray = key.red = key.green = key.blue = static_cast<png_uint_16>(s.trns_sample());
        png_set_tRNS(png, info, alphas.empty() ? nullptr : alphas.data(),
                     static_cast<int>(alphas.size()), &key);
    }
    png_write_info(png, info);
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

#endif
