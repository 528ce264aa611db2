// The clipboard's picture in the forms other programs ask for: a BMP file and a PNG file.
#include "platform/posix/display/x11/x11_internal.h"
#include "platform/posix/gdi/dib_format.h"

#include <png.h>

#include <algorithm>
#include <string.h>

namespace {

const DWORD k_bi_bitfields = 3;

// Where the pixels start in a packed DIB and how many bytes they take; false when the
// header or the block's size do not add up.
bool dib_layout(const std::vector<unsigned char> &dib, size_t *pixel_offset, size_t *pixel_bytes) {
    if (dib.size() < sizeof(BITMAPCOREHEADER)) return false;
    DWORD header_size;
    memcpy(&header_size, dib.data(), sizeof header_size);
    size_t offset = header_size;
    int bits, height;
    long width;
    if (header_size == sizeof(BITMAPCOREHEADER)) {
        BITMAPCOREHEADER core;
        memcpy(&core, dib.data(), sizeof core);
        bits = core.bcBitCount;
        width = core.bcWidth;
        height = core.bcHeight;
        if (bits <= 8) offset += 3 * (size_t(1) << bits);
    } else {
        BITMAPINFOHEADER h;
        if (header_size < sizeof h || header_size > dib.size()) return false;
        memcpy(&h, dib.data(), sizeof h);
        bits = h.biBitCount;
        width = h.biWidth;
        height = h.biHeight == INT32_MIN ? 0 : std::abs(int(h.biHeight));
        if (h.biCompression == k_bi_bitfields && header_size == sizeof h) offset += 12;
        size_t full = bits <= 8 ? size_t(1) << bits : 0;
        size_t used = h.biClrUsed;
        size_t colours = bits <= 8 ? (used != 0 && used < full ? used : full) : used;
        if (colours > 256) return false;
        offset += 4 * colours;
    }
    if (bits <= 0 || bits > 32 || width <= 0 || width > 0x10000 || height <= 0 ||
        height > 0x10000) {
        return false;
    }
    size_t stride = ((size_t(width) * bits + 31) / 32) * 4;
    if (offset > dib.size() || stride * height > dib.size() - offset) return false;
    *pixel_offset = offset;
    *pixel_bytes = stride * height;
    return true;
}

void append_bytes(png_structp png, png_bytep data, png_size_t length) {
    auto *out = static_cast<std::vector<unsigned char> *>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flush_nothing(png_structp) {}

// Writes `rows` (RGB) as a PNG into `out`; libpng reports errors by longjmp, kept in here.
bool encode_png(const std::vector<unsigned char> &rgb, int width, int height,
                std::vector<unsigned char> *out) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    std::vector<png_const_bytep> rows(height);
    for (int y = 0; y < height; ++y) rows[y] = &rgb[size_t(y) * width * 3];
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, append_bytes, flush_nothing);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 1); // pasting should not wait for the best compression
    png_write_info(png, info);
    png_write_rows(png, const_cast<png_bytepp>(rows.data()), height);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

std::vector<unsigned char> x11_dib_to_bmp(const std::vector<unsigned char> &dib) {
    size_t offset, bytes;
    if (!dib_layout(dib, &offset, &bytes)) return {};
    const size_t file_header = 14;
    size_t total = file_header + offset + bytes;
    if (total > 0xFFFFFFFFu) return {};
    std::vector<unsigned char> bmp(file_header);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, uint32_t(total));
    put32(10, uint32_t(file_header + offset));
    bmp.insert(bmp.end(), dib.begin(), dib.begin() + offset + bytes);
    return bmp;
}

std::vector<unsigned char> x11_dib_to_png(const std::vector<unsigned char> &dib) {
    size_t offset, bytes;
    if (!dib_layout(dib, &offset, &bytes)) return {};
    gdi_dib_format format;
    if (!gdi_dib_read_format(reinterpret_cast<const BITMAPINFO *>(dib.data()), DIB_RGB_COLORS,
                             nullptr, &format)) {
        return {};
    }
    int width = format.width, height = format.height;
    std::vector<uint32_t> row(width);
    std::vector<unsigned char> rgb(size_t(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        int source_row = format.top_down ? y : height - 1 - y;
        gdi_dib_row_to_pixels(&format, &dib[offset + size_t(source_row) * format.stride], 0, width,
                              row.data());
        unsigned char *out = &rgb[size_t(y) * width * 3];
        for (int x = 0; x < width; ++x) {
            out[3 * x] = static_cast<unsigned char>(row[x] >> 16);
            out[3 * x + 1] = static_cast<unsigned char>(row[x] >> 8);
            out[3 * x + 2] = static_cast<unsigned char>(row[x]);
        }
    }
    std::vector<unsigned char> png;
    if (!encode_png(rgb, width, height, &png)) return {};
    return png;
}
