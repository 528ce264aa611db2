// BMP and RIFF palette files written byte by byte for the image tests, a scratch folder to
// keep them in, and checks of what a window shows against them. Public API only.
#ifndef ZELVAN_TESTS_IMAGE_FILES_H
#define ZELVAN_TESTS_IMAGE_FILES_H

#include "drawing_support.h"
#include "zelvan.h"

#include <stdint.h>
#include <string.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

using bytes = std::vector<uint8_t>;

inline void put16(bytes &out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

inline void put32(bytes &out, uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

inline uint32_t get32(const bytes &in, size_t at) {
    return in[at] | in[at + 1] << 8 | in[at + 2] << 16 | static_cast<uint32_t>(in[at + 3]) << 24;
}

inline uint32_t get16(const bytes &in, size_t at) {
    return in[at] | in[at + 1] << 8;
}

inline int row_bytes(int width, int bits) {
    return (width * bits + 31) / 32 * 4;
}

// The colour of table entry i in every test image, as a ZVCOLOUR (0x00BBGGRR).
inline ZVCOLOUR table_colour(int i) {
    return static_cast<ZVCOLOUR>((i * 3 & 0xFF) | (255 - (i & 0xFF)) << 8 | (i * 5 & 0xFF) << 16);
}

// True when a palette entry (or a RIFF file's entry) holds `colour` with no flags.
inline bool palette_entry_is(const PALETTEENTRY &e, ZVCOLOUR colour) {
    return e.peRed == (colour & 0xFF) && e.peGreen == (colour >> 8 & 0xFF) &&
           e.peBlue == (colour >> 16 & 0xFF) && e.peFlags == 0;
}

// A BMP file in parts. `paint` gives each pixel (x, y from the top-left): a ZVCOLOUR at 24
// bits, a colour-table index below that.
struct bmp_image {
    int width;
    int height; // as stored: negative for top-down
    int bits;
    int header_size = 40;
    uint32_t clr_used = 0;
    uint16_t type = 0x4D42;
    uint16_t reserved1 = 0;
    uint32_t off_bits = 0; // 0: the true offset
    bytes table;
    bytes pixels;
    std::function<uint32_t(int, int)> paint;

    int rows() const { return height < 0 ? -height : height; }
    int entries() const {
        if (clr_used) return static_cast<int>(clr_used);
        return bits <= 8 ? 1 << bits : 0;
    }
    // The colour ZVGetPixel should see at (x, y) once the image is drawn.
    ZVCOLOUR colour_at(int x, int y) const {
        uint32_t value = paint(x, y);
        return bits == 24 ? value : table_colour(static_cast<int>(value));
    }

    void build() {
        bool core = header_size == 12;
        table.clear();
        for (int i = 0; i < entries(); ++i) {
            ZVCOLOUR c = table_colour(i);
            table.push_back(static_cast<uint8_t>(c >> 16)); // blue, green, red
            table.push_back(static_cast<uint8_t>(c >> 8));
            table.push_back(static_cast<uint8_t>(c));
            if (!core) table.push_back(0);
        }
        int stride = row_bytes(width, bits);
        pixels.assign(static_cast<size_t>(stride) * rows(), 0);
        for (int y = 0; y < rows(); ++y) {
            int stored = height < 0 ? y : rows() - 1 - y;
            uint8_t *row = pixels.data() + static_cast<size_t>(stored) * stride;
            for (int x = 0; x < width; ++x) put_pixel(row, x, paint(x, y));
        }
    }

    void put_pixel(uint8_t *row, int x, uint32_t value) const {
        if (bits == 24) {
            row[3 * x] = static_cast<uint8_t>(value >> 16);
            row[3 * x + 1] = static_cast<uint8_t>(value >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(value);
            return;
        }
        int per_byte = 8 / bits;
        row[x / per_byte] |= static_cast<uint8_t>(value << (8 - bits * (x % per_byte + 1)));
    }

    bytes info() const {
        bytes out;
        if (header_size == 12) {
            put32(out, 12);
            put16(out, static_cast<uint32_t>(width));
            put16(out, static_cast<uint32_t>(height));
            put16(out, 1);
            put16(out, static_cast<uint32_t>(bits));
        } else {
            put32(out, static_cast<uint32_t>(header_size));
            put32(out, static_cast<uint32_t>(width));
            put32(out, static_cast<uint32_t>(height));
            put16(out, 1);
            put16(out, static_cast<uint32_t>(bits));
            put32(out, 0);
            put32(out, static_cast<uint32_t>(pixels.size()));
            put32(out, 2835);
            put32(out, 2835);
            put32(out, clr_used);
            put32(out, 0);
            out.resize(static_cast<size_t>(header_size), 0);
        }
        out.insert(out.end(), table.begin(), table.end());
        return out;
    }

    bytes file() const {
        bytes head = info(), out;
        put16(out, type);
        put32(out, static_cast<uint32_t>(14 + head.size() + pixels.size()));
        put16(out, reserved1);
        put16(out, 0);
        put32(out, off_bits ? off_bits : static_cast<uint32_t>(14 + head.size()));
        out.insert(out.end(), head.begin(), head.end());
        out.insert(out.end(), pixels.begin(), pixels.end());
        return out;
    }
};

// A built image with a pattern that differs in every row and column.
inline bmp_image make_bmp(int width, int height, int bits, uint32_t clr_used = 0,
                          int header_size = 40) {
    bmp_image image;
    image.width = width;
    image.height = height;
    image.bits = bits;
    image.header_size = header_size;
    image.clr_used = clr_used;
    int entries = image.entries();
    if (bits == 24) {
        image.paint = [](int x, int y) {
            return static_cast<uint32_t>((x * 40 & 0xFF) | (y * 30 & 0xFF) << 8 |
                                         ((x + y) * 17 & 0xFF) << 16);
        };
    } else {
        image.paint = [entries](int x, int y) {
            return static_cast<uint32_t>((x + 3 * y) % entries);
        };
    }
    image.build();
    return image;
}

// The file of `image` with another bit count written into its header.
inline bytes with_bit_count(const bmp_image &image, int bits) {
    bytes file = image.file();
    file[28] = static_cast<uint8_t>(bits);
    file[29] = static_cast<uint8_t>(bits >> 8);
    return file;
}

// A compressed 65535 x 65535 picture of a few bytes: no window buffer can hold it.
inline bytes huge_rle_bmp() {
    bmp_image huge = make_bmp(2, 2, 8, 16);
    huge.width = huge.height = 65535;
    huge.pixels = {0, 1}; // the end of the image at once
    bytes file = huge.file();
    file[30] = 1; // BI_RLE8
    return file;
}

// A RIFF palette file of `entries` entries whose data block says `stated` entries.
inline bytes make_riff(int entries, int stated) {
    bytes data;
    put16(data, 0x0300);
    put16(data, static_cast<uint32_t>(stated));
    for (int i = 0; i < entries; ++i) {
        data.push_back(static_cast<uint8_t>(i));
        data.push_back(static_cast<uint8_t>(i * 2));
        data.push_back(static_cast<uint8_t>(i * 3));
        data.push_back(0);
    }
    bytes out = {'R', 'I', 'F', 'F'};
    put32(out, static_cast<uint32_t>(data.size() + 12));
    for (char c : std::string("PAL data")) out.push_back(static_cast<uint8_t>(c));
    put32(out, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

// A folder of its own for one test, removed with everything in it at the end. The name is
// random and the folder is made only if it is new, so tests running side by side in other
// processes never share one.
struct scratch_folder {
    std::filesystem::path root;
    scratch_folder() {
        std::random_device seed;
        std::mt19937_64 names(static_cast<uint64_t>(seed()) << 32 ^ seed());
        std::error_code failed;
        for (int attempt = 0; attempt < 100; ++attempt) {
            root = std::filesystem::temp_directory_path() /
                   ("zelvan-images-" + std::to_string(names()));
            if (std::filesystem::create_directory(root, failed)) return;
        }
        throw std::runtime_error("no scratch folder could be made in " +
                                 std::filesystem::temp_directory_path().string());
    }
    ~scratch_folder() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    std::string path(const std::string &name) const { return (root / name).string(); }
    std::string write(const std::string &name, const bytes &content) const {
        std::ofstream out(path(name), std::ios::binary);
        out.write(reinterpret_cast<const char *>(content.data()),
                  static_cast<std::streamsize>(content.size()));
        return path(name);
    }
    bytes read(const std::string &name) const { return read_path(path(name)); }
    static bytes read_path(const std::string &file) {
        std::ifstream in(file, std::ios::binary);
        return bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool exists(const std::string &name) const { return std::filesystem::exists(path(name)); }
};

// True when the window's draw buffer shows `image` with its top-left corner at (x, y),
// clipped to the buffer.
inline bool shows_image_at(int w, const bmp_image &image, int x, int y) {
    picture seen(w);
    for (int row = 0; row < image.rows(); ++row)
        for (int column = 0; column < image.width; ++column) {
            int px = x + column, py = y + row;
            if (px < 0 || py < 0 || px >= seen.width || py >= seen.height) continue;
            if (seen.at(px, py) != image.colour_at(column, row)) return false;
        }
    return true;
}

// True when the draw buffer is exactly `image`, size included.
inline bool shows_whole_image(int w, const bmp_image &image) {
    return ZVGetWidth(w) == image.width && ZVGetHeight(w) == image.rows() &&
           shows_image_at(w, image, 0, 0);
}

// A little scene that differs in every corner.
inline void draw_corner_scene(int w) {
    ZVSetFillStyle(w, 1);
    ZVSetFillColour(w, k_red);
    ZVFillRectangle(w, 0, 0, 20, 10);
    ZVSetForeground(w, k_blue);
    ZVLine(w, ZVGetWidth(w) - 1, ZVGetHeight(w) - 1);
    ZVSetPixel(w, ZVGetWidth(w) - 1, 0, k_green);
    ZVSetPixel(w, 0, ZVGetHeight(w) - 1, 0x123456);
}

#endif
