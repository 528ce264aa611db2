// An 8-bit RGBA PNG file made byte by byte (deflate's stored blocks, no compression), for the
// tests that run on both platforms without libpng.
#ifndef ZELVAN_TESTS_PNG_BYTES_H
#define ZELVAN_TESTS_PNG_BYTES_H

#include <stdint.h>

#include <string>
#include <vector>

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

inline void png_chunk(std::vector<uint8_t> &out, const char *kind,
                      const std::vector<uint8_t> &data) {
    png_put_be32(out, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> typed(kind, kind + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    png_put_be32(out, png_crc(typed.data(), typed.size()));
}

// `argb` holds width x height pixels 0xAARRGGBB, rows from the top.
inline std::vector<uint8_t> rgba_png(const std::vector<uint32_t> &argb, int width, int height) {
    std::vector<uint8_t> raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < width; ++x) {
            uint32_t p = argb[static_cast<size_t>(y) * width + x];
            raw.insert(raw.end(), {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8),
                                   static_cast<uint8_t>(p), static_cast<uint8_t>(p >> 24)});
        }
    }
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
    std::vector<uint8_t> ihdr;
    png_put_be32(ihdr, static_cast<uint32_t>(width));
    png_put_be32(ihdr, static_cast<uint32_t>(height));
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    png_chunk(out, "IHDR", ihdr);
    png_chunk(out, "IDAT", z);
    png_chunk(out, "IEND", {});
    return out;
}

#endif
