// PNG files for the tests, made byte by byte (deflate's stored blocks, no compression) so that
// the same files are made on both platforms without libpng: any colour type, bit depth,
// interlace and tRNS, with samples that differ in every row and column (an 8-bit alpha of
// 24 x 18 pixels or more takes all 256 values) and the colour each pixel must decode to; and
// the exact blend of such a pixel that the sprite pastes are held to.
#ifndef ZELVAN_TESTS_PNG_BYTES_H
#define ZELVAN_TESTS_PNG_BYTES_H

#include <stdint.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

// The colour types and their bits, as a PNG header states them (libpng's names and values,
// which stand when <png.h> came first).
#ifndef PNG_COLOR_TYPE_GRAY
enum { PNG_COLOR_MASK_PALETTE = 1, PNG_COLOR_MASK_COLOR = 2, PNG_COLOR_MASK_ALPHA = 4 };
enum { PNG_COLOR_TYPE_GRAY = 0, PNG_COLOR_TYPE_PALETTE = 3, PNG_COLOR_TYPE_RGB = 2 };
enum { PNG_COLOR_TYPE_GRAY_ALPHA = 4, PNG_COLOR_TYPE_RGB_ALPHA = 6 };
#endif

struct png_layout {
    int width = 7, height = 5;
    int colour_type = PNG_COLOR_TYPE_RGB;
    int bit_depth = 8;
    bool interlaced = false;
    bool trns = false;

    int channels() const {
        static const int k_channels[7] = {1, 0, 3, 1, 2, 0, 4}; // by colour type
        return k_channels[colour_type];
    }
    bool covers(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
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
    // Palette entry i as 0x00RRGGBB.
    uint32_t palette_rgb(int i) const {
        return static_cast<uint32_t>((i * 7 & 255) << 16 | (255 - i) << 8 | (i * 13 & 255));
    }
    uint8_t palette_alpha(int i) const { return static_cast<uint8_t>(i * 37); }
    bool has_alpha() const { return (colour_type & PNG_COLOR_MASK_ALPHA) || trns; }

    uint8_t to8(uint32_t v) const {
        return static_cast<uint8_t>((v * 255 + static_cast<uint32_t>(max_sample()) / 2) /
                                    static_cast<uint32_t>(max_sample()));
    }
    // The pixel (x, y) as 0xAARRGGBB; alpha 255 for a picture without alpha.
    uint32_t expected(int x, int y) const {
        if (colour_type == PNG_COLOR_TYPE_PALETTE) {
            int i = static_cast<int>(sample(x, y, 0));
            return (trns ? palette_alpha(i) : 255u) << 24 | palette_rgb(i);
        }
        int colours = colour_type & PNG_COLOR_MASK_COLOR ? 3 : 1; // grey stands for all three
        uint32_t rgb = 0;
        bool keyed = trns;
        for (int c = 0; c < 3; ++c) rgb = rgb << 8 | to8(sample(x, y, c % colours));
        for (int c = 0; c < colours; ++c) keyed = keyed && sample(x, y, c) == trns_sample();
        uint32_t a = colour_type & PNG_COLOR_MASK_ALPHA ? to8(sample(x, y, colours)) : 255u;
        return (keyed ? 0 : a) << 24 | rgb;
    }
    std::string name() const {
        return "type " + std::to_string(colour_type) + " depth " + std::to_string(bit_depth) +
               (interlaced ? " interlaced" : "") + (trns ? " tRNS" : "");
    }
};

// Every layout PNG allows: each colour type at each of its depths, plain and interlaced, with
// and without tRNS where it may have one; 13 x 11, so that Adam7 passes are partly empty.
inline std::vector<png_layout> every_png_layout() {
    const std::pair<int, std::vector<int>> depths[] = {
        {PNG_COLOR_TYPE_GRAY, {1, 2, 4, 8, 16}}, {PNG_COLOR_TYPE_PALETTE, {1, 2, 4, 8}},
        {PNG_COLOR_TYPE_RGB, {8, 16}},           {PNG_COLOR_TYPE_GRAY_ALPHA, {8, 16}},
        {PNG_COLOR_TYPE_RGB_ALPHA, {8, 16}},
    };
    std::vector<png_layout> layouts;
    for (const auto &[colour_type, allowed] : depths)
        for (int depth : allowed)
            for (bool interlaced : {false, true})
                for (bool trns : {false, true}) {
                    if (trns && (colour_type & PNG_COLOR_MASK_ALPHA)) continue;
                    png_layout s;
                    s.colour_type = colour_type, s.bit_depth = depth;
                    s.interlaced = interlaced, s.trns = trns;
                    s.width = 13, s.height = 11;
                    layouts.push_back(s);
                }
    return layouts;
}

inline uint32_t png_crc(const uint8_t *bytes, size_t n, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) {
        crc ^= bytes[i];
        for (int k = 0; k < 8; ++k) crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

inline void png_put_be32(std::vector<uint8_t> &out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

inline void png_put_be16(std::vector<uint8_t> &out, uint32_t v) {
    out.insert(out.end(), {static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)});
}

inline void png_chunk(std::vector<uint8_t> &out, const char *kind,
                      const std::vector<uint8_t> &data) {
    png_put_be32(out, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> typed(kind, kind + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    png_put_be32(out, png_crc(typed.data(), typed.size()));
}

// A zlib stream holding `raw` in stored blocks.
inline std::vector<uint8_t> png_stored_zlib(const std::vector<uint8_t> &raw) {
    std::vector<uint8_t> z = {0x78, 0x01};
    for (size_t i = 0; i < raw.size() || i == 0; i += 65535) {
        size_t n = std::min<size_t>(65535, raw.size() - i);
        z.insert(z.end(), {static_cast<uint8_t>(i + n == raw.size()), static_cast<uint8_t>(n),
                           static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(~n),
                           static_cast<uint8_t>(~n >> 8)});
        z.insert(z.end(), raw.begin() + static_cast<long>(i),
                 raw.begin() + static_cast<long>(i + n));
    }
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) a = (a + byte) % 65521, b = (b + a) % 65521;
    png_put_be32(z, b << 16 | a);
    return z;
}

// A zlib stream of `count` copies of `byte` in one block of deflate's fixed codes: the byte,
// then copies of 258 bytes from one back, 13 bits each, then the rest as literals. It
// inflates to about 160 times its size: for files that hold far more than they take.
inline std::vector<uint8_t> png_repeated_zlib(uint8_t byte, size_t count) {
    std::vector<uint8_t> z = {0x78, 0x01};
    int used = 8; // bits of z's last byte in use
    // Huffman codes go into the stream from their top bit, other fields from their bottom bit.
    auto code = [&](uint32_t bits, int length) {
        for (int i = length - 1; i >= 0; --i) {
            if (used == 8) z.push_back(0), used = 0;
            z.back() |= static_cast<uint8_t>((bits >> i & 1) << used++);
        }
    };
    auto literal = [&] { byte < 144 ? code(0x30u + byte, 8) : code(0x190u + byte - 144, 9); };
    code(0x6, 3); // the last block, fixed codes: its bits 1, then 1, 0 read from the bottom
    size_t left = count;
    if (left > 0) literal(), --left;
    for (; left >= 258; left -= 258) code(0xC5, 8), code(0, 5); // length 258, distance 1
    for (; left > 0; --left) literal();
    code(0, 7); // end of block
    uint64_t a = (1 + uint64_t{byte} * count) % 65521;
    uint64_t b = (count + uint64_t{byte} * (uint64_t{count} * (count + 1) / 2 % 65521)) % 65521;
    png_put_be32(z, static_cast<uint32_t>(b << 16 | a));
    return z;
}

// The rows of the picture, each behind filter byte 0, in the seven Adam7 passes (x, y, step x,
// step y) when interlaced; a pass with no columns has no rows at all.
inline std::vector<uint8_t> png_scanlines(const png_layout &s) {
    static const int adam7[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                    {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    static const int whole[4] = {0, 0, 1, 1};
    std::vector<uint8_t> raw;
    for (int pass = 0; pass < (s.interlaced ? 7 : 1); ++pass) {
        const int *p = s.interlaced ? adam7[pass] : whole;
        for (int y = p[1]; y < s.height && p[0] < s.width; y += p[3]) {
            raw.push_back(0);
            int bit = 0;
            for (int x = p[0]; x < s.width; x += p[2])
                for (int c = 0; c < s.channels(); ++c) {
                    uint32_t v = s.sample(x, y, c);
                    if (s.bit_depth == 16) {
                        png_put_be16(raw, v);
                    } else if (s.bit_depth == 8) {
                        raw.push_back(static_cast<uint8_t>(v));
                    } else {
                        if (bit % 8 == 0) raw.push_back(0);
                        raw.back() |= static_cast<uint8_t>(v << (8 - s.bit_depth - bit % 8));
                        bit += s.bit_depth;
                    }
                }
        }
    }
    return raw;
}

// The file `s` lays out.
inline std::vector<uint8_t> make_png(const png_layout &s) {
    std::vector<uint8_t> ihdr;
    png_put_be32(ihdr, static_cast<uint32_t>(s.width));
    png_put_be32(ihdr, static_cast<uint32_t>(s.height));
    ihdr.insert(ihdr.end(), {static_cast<uint8_t>(s.bit_depth), static_cast<uint8_t>(s.colour_type),
                             0, 0, static_cast<uint8_t>(s.interlaced)});
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    png_chunk(out, "IHDR", ihdr);
    std::vector<uint8_t> palette, trns;
    if (s.colour_type == PNG_COLOR_TYPE_PALETTE) {
        for (int i = 0; i < s.palette_size(); ++i) {
            uint32_t rgb = s.palette_rgb(i);
            for (int shift = 16; shift >= 0; shift -= 8)
                palette.push_back(static_cast<uint8_t>(rgb >> shift));
            trns.push_back(s.palette_alpha(i));
        }
        png_chunk(out, "PLTE", palette);
    } else {
        for (int c = 0; c < (s.colour_type & PNG_COLOR_MASK_COLOR ? 3 : 1); ++c)
            png_put_be16(trns, s.trns_sample());
    }
    if (s.trns) png_chunk(out, "tRNS", trns);
    png_chunk(out, "IDAT", png_stored_zlib(png_scanlines(s)));
    png_chunk(out, "IEND", {});
    return out;
}

// A grey picture of one colour (every sample 0), its rows packed by png_repeated_zlib.
inline std::vector<uint8_t> make_flat_png(uint32_t width, uint32_t height, int bit_depth) {
    std::vector<uint8_t> ihdr, out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    png_put_be32(ihdr, width);
    png_put_be32(ihdr, height);
    ihdr.insert(ihdr.end(), {static_cast<uint8_t>(bit_depth), PNG_COLOR_TYPE_GRAY, 0, 0, 0});
    png_chunk(out, "IHDR", ihdr);
    size_t row = (size_t{width} * bit_depth + 7) / 8 + 1;
    png_chunk(out, "IDAT", png_repeated_zlib(0, row * height));
    png_chunk(out, "IEND", {});
    return out;
}

// A straight-alpha pixel (alpha in the top byte) laid over an opaque one of the same channel
// order, exactly rounded.
inline uint32_t blend_over(uint32_t top, uint32_t under) {
    uint32_t a = top >> 24, out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        uint32_t s = top >> shift & 255, d = under >> shift & 255;
        out |= static_cast<uint32_t>((s * a + d * (255 - a)) / 255.0 + 0.5) << shift;
    }
    return out;
}

// True when no byte of `a` and `b` differs by more than `tolerance`.
inline bool near_colour(uint32_t a, uint32_t b, int tolerance) {
    for (int shift = 0; shift < 32; shift += 8) {
        int d = static_cast<int>(a >> shift & 255) - static_cast<int>(b >> shift & 255);
        if (d > tolerance || -d > tolerance) return false;
    }
    return true;
}

#endif
