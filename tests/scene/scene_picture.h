// The golden pictures: 24-bit bottom-up BMP files (54-byte header, rows padded to 4 bytes),
// held in memory as top-down rows of 0x00BBGGRR colours.
#ifndef ZELVAN_TESTS_SCENE_PICTURE_H
#define ZELVAN_TESTS_SCENE_PICTURE_H

#include <stdint.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct scene_picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels; // top-down rows

    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

namespace scene_detail {

inline uint32_t get_le(const std::vector<unsigned char> &b, size_t at, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; i--) value = value << 8 | b[at + i];
    return value;
}

inline void put_le(std::string &out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; i++) out.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

inline size_t row_bytes(int width) {
    return (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
}

} // namespace scene_detail

// Reads a 24-bit uncompressed BMP (bottom-up, or top-down with a negative height); false
// when the file is missing or not one.
inline bool read_scene_picture(const std::string &path, scene_picture *out) {
    using namespace scene_detail;
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), {});
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return false;
    if (get_le(b, 28, 2) != 24 || get_le(b, 30, 4) != 0) return false;
    uint32_t offset = get_le(b, 10, 4);
    auto width = static_cast<int32_t>(get_le(b, 18, 4));
    auto height = static_cast<int32_t>(get_le(b, 22, 4));
    bool top_down = height < 0;
    if (top_down) height = -height;
    if (width <= 0 || width > 1 << 16 || height <= 0 || height > 1 << 16) return false;
    size_t stride = row_bytes(width);
    if (b.size() < offset + stride * height) return false;
    out->width = width;
    out->height = height;
    out->pixels.clear();
    for (int y = 0; y < height; y++) {
        const unsigned char *row = &b[offset + stride * (top_down ? y : height - 1 - y)];
        for (int x = 0; x < width; x++, row += 3)
            out->pixels.push_back(row[2] | row[1] << 8 | static_cast<uint32_t>(row[0]) << 16);
    }
    return true;
}

// Writes the picture as a 24-bit bottom-up BMP; false when the file cannot be written.
inline bool write_scene_picture(const std::string &path, const scene_picture &p) {
    using namespace scene_detail;
    size_t stride = row_bytes(p.width);
    auto image_bytes = static_cast<uint32_t>(stride * p.height);
    std::string out = "BM";
    put_le(out, 54 + image_bytes, 4);
    put_le(out, 0, 4);  // reserved
    put_le(out, 54, 4); // offset of the rows
    put_le(out, 40, 4); // BITMAPINFOHEADER
    put_le(out, static_cast<uint32_t>(p.width), 4);
    put_le(out, static_cast<uint32_t>(p.height), 4);
    put_le(out, 1, 2);  // planes
    put_le(out, 24, 2); // bits per pixel
    put_le(out, 0, 4);  // BI_RGB
    put_le(out, image_bytes, 4);
    for (int i = 0; i < 4; i++) put_le(out, 0, 4); // resolution and colour table: none
    for (int y = p.height - 1; y >= 0; y--) {
        for (int x = 0; x < p.width; x++) {
            uint32_t c = p.at(x, y);
            out.push_back(static_cast<char>(c >> 16 & 0xFF));
            out.push_back(static_cast<char>(c >> 8 & 0xFF));
            out.push_back(static_cast<char>(c & 0xFF));
        }
        out.append(stride - static_cast<size_t>(p.width) * 3, '\0');
    }
    std::ofstream file(path, std::ios::binary);
    file << out;
    return static_cast<bool>(file.flush());
}

#endif
