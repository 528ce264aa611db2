// The clipboard's picture in the forms other programs ask for: a BMP file and a PNG file.
#include "platform/posix/display/x11/x11_internal.h"
#include "platform/posix/gdi/dib_format.h"
#include "platform/posix/gdi/dib_rgb24.h"
#include "platform/posix/gdi/dib_rle.h"

#include <png.h>

#include <algorithm>
#include <string.h>

namespace {

// A run-length picture is decoded for the PNG and BMP targets only up to this many pixels
// (256 MB decoded): a stream of a few bytes can describe 65535 x 65535 pixels.
const size_t k_max_decoded_pixels = size_t(1) << 26;

// Where the pixels start in a packed DIB and how many bytes they take; false when the
// header or the block's size do not add up. A run-length stream's size is the header's.
bool dib_layout(const std::vector<unsigned char> &dib, size_t *pixel_offset, size_t *pixel_bytes,
                bool *run_length = nullptr) {
    if (dib.size() < sizeof(BITMAPCOREHEADER)) return false;
    DWORD header_size;
    memcpy(&header_size, dib.data(), sizeof header_size);
    size_t offset = header_size;
    int bits, height;
    long width;
    size_t stream_bytes = 0;
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
        if (h.biCompression == BI_BITFIELDS && header_size == sizeof h) offset += 12;
        if (h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4) {
            stream_bytes = h.biSizeImage;
            if (stream_bytes == 0) return false;
        }
        // The table holds biClrUsed entries when that is set, even beyond what the depth
        // can index: the pixels follow all of them.
        size_t full = bits <= 8 ? size_t(1) << bits : 0;
        offset += 4 * (h.biClrUsed != 0 ? size_t(h.biClrUsed) : full);
    }
    if (bits <= 0 || bits > 32 || width <= 0 || width > 0x10000 || height <= 0 ||
        height > 0x10000) {
        return false;
    }
    size_t stride = ((size_t(width) * bits + 31) / 32) * 4;
    size_t bytes = stream_bytes != 0 ? stream_bytes : stride * height;
    if (offset > dib.size() || bytes > dib.size() - offset) return false;
    *pixel_offset = offset;
    *pixel_bytes = bytes;
    if (run_length) *run_length = stream_bytes != 0;
    return true;
}

// The picture as surface pixels (0x00RRGGBB), top row first; false when it cannot be read.
// Pixels a run-length stream skips are black, as in a fresh bitmap.
bool decode_picture(const std::vector<unsigned char> &dib, size_t offset, gdi_dib_format *format,
                    std::vector<uint32_t> *pixels) {
    if (!gdi_dib_read_format(reinterpret_cast<const BITMAPINFO *>(dib.data()), DIB_RGB_COLORS,
                             nullptr, format)) {
        return false;
    }
    size_t width = size_t(format->width), height = size_t(format->height);
    bool run_length = gdi_dib_is_run_length(format);
    if (run_length && width * height > k_max_decoded_pixels) return false;
    pixels->assign(width * height, 0);
    if (run_length) {
        gdi_rle_decode_picture(format, &dib[offset], pixels->data(), ptrdiff_t(width));
        return true;
    }
    ptrdiff_t stride = ptrdiff_t(format->stride);
    const unsigned char *top = &dib[offset + (format->top_down ? 0 : (height - 1) * stride)];
    gdi_dib_rows_to_pixels(format, top, format->top_down ? stride : -stride, 0, int(width),
                           int(height), pixels->data(), ptrdiff_t(width));
    return true;
}

// A BMP file: the 14-byte file header, then `dib`, whose pixels start `pixels_at` bytes in.
std::vector<unsigned char> bmp_file(const unsigned char *dib, size_t bytes, size_t pixels_at) {
    const size_t file_header = 14;
    size_t total = file_header + bytes;
    if (total > 0xFFFFFFFFu) return {};
    std::vector<unsigned char> bmp(file_header);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, uint32_t(total));
    put32(10, uint32_t(file_header + pixels_at));
    bmp.insert(bmp.end(), dib, dib + bytes);
    return bmp;
}

// A decoded picture as a plain 24-bit bottom-up DIB, for programs that read no compression.
std::vector<unsigned char> plain_dib(const std::vector<uint32_t> &pixels, int width, int height) {
    BITMAPINFOHEADER h = {};
    size_t stride = ((size_t(width) * 24 + 31) / 32) * 4;
    h.biSize = sizeof h;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = 24;
    h.biSizeImage = DWORD(stride * height);
    std::vector<unsigned char> dib(sizeof h + stride * height);
    memcpy(dib.data(), &h, sizeof h);
    for (int y = 0; y < height; ++y) {
        gdi_pixels_to_rgb24(&pixels[size_t(height - 1 - y) * width], width,
                            &dib[sizeof h + size_t(y) * stride], stride);
    }
    return dib;
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
    bool run_length;
    if (!dib_layout(dib, &offset, &bytes, &run_length)) return {};
    gdi_dib_format format;
    std::vector<uint32_t> pixels;
    // A run-length picture goes out decoded when it can be; one too large to decode goes out
    // as it is, which is a valid BMP file too.
    if (run_length && decode_picture(dib, offset, &format, &pixels)) {
        std::vector<unsigned char> plain = plain_dib(pixels, format.width, format.height);
        return bmp_file(plain.data(), plain.size(), sizeof(BITMAPINFOHEADER));
    }
    return bmp_file(dib.data(), offset + bytes, offset);
}

std::vector<unsigned char> x11_dib_to_png(const std::vector<unsigned char> &dib) {
    size_t offset, bytes;
    gdi_dib_format format;
    std::vector<uint32_t> pixels;
    if (!dib_layout(dib, &offset, &bytes) || !decode_picture(dib, offset, &format, &pixels))
        return {};
    int width = format.width, height = format.height;
    std::vector<unsigned char> rgb(size_t(width) * height * 3);
    for (size_t i = 0; i < pixels.size(); ++i) {
        rgb[3 * i] = static_cast<unsigned char>(pixels[i] >> 16);
        rgb[3 * i + 1] = static_cast<unsigned char>(pixels[i] >> 8);
        rgb[3 * i + 2] = static_cast<unsigned char>(pixels[i]);
    }
    std::vector<unsigned char> png;
    if (!encode_png(rgb, width, height, &png)) return {};
    return png;
}
