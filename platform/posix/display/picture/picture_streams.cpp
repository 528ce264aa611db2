// The clipboard's picture in the forms other programs ask for, a BMP file and a PNG file,
// made a band at a time while a program reads them: a picture of 65535 x 65535 pixels is
// never converted whole.
#include "platform/posix/display/picture/picture_streams.h"
#include "platform/posix/gdi/dib/dib_format.h"
#include "platform/posix/gdi/dib/dib_rgb24.h"
#include "platform/posix/gdi/dib/dib_rle.h"

#include <png.h>

#include <algorithm>
#include <new>
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

// A run-length picture as surface pixels (0x00RRGGBB), top row first; false when it cannot
// be read or is too large to decode. Pixels the stream skips are black, as in a fresh bitmap.
bool decode_picture(const std::vector<unsigned char> &dib, size_t offset, gdi_dib_format *format,
                    std::vector<uint32_t> *pixels) {
    if (!gdi_dib_read_format(reinterpret_cast<const BITMAPINFO *>(dib.data()), DIB_RGB_COLORS,
                             nullptr, format) ||
        !gdi_dib_is_run_length(format)) {
        return false;
    }
    size_t width = size_t(format->width), height = size_t(format->height);
    if (width * height > k_max_decoded_pixels) return false;
    pixels->assign(width * height, 0);
    gdi_rle_decode_picture(format, &dib[offset], pixels->data(), ptrdiff_t(width));
    return true;
}

const size_t k_file_header = 14;

void put32(unsigned char *at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

} // namespace

struct picture_stream {
    shared_picture dib;
    picture_form form = PICTURE_BMP;
    gdi_dib_format format = {};
    size_t pixel_offset = 0;
    size_t pixel_bytes = 0;
    std::vector<uint32_t> decoded;   // a run-length picture, whole (it is bounded); else empty
    std::vector<uint32_t> row;       // the current row's pixels
    std::vector<unsigned char> line; // the current row as the form stores it
    std::vector<unsigned char> head; // a BMP's headers, before the rows
    size_t head_sent = 0;
    bool plain_copy = false; // a BMP that is the kept DIB behind a file header
    size_t raw_sent = 0;     // of a plain copy: the DIB's bytes handed out
    int rows_done = 0;       // rows converted so far, in the form's order
    png_structp png = nullptr;
    png_infop info = nullptr;
    bool png_started = false;
    std::vector<unsigned char> *out = nullptr; // where libpng writes during a fill
    bool out_failed = false;
    bool done = false;
};

namespace {

// Fills stream->row with picture row `y`, counted from the top.
void pixel_row(picture_stream *s, int y) {
    const gdi_dib_format &f = s->format;
    if (!s->decoded.empty()) {
        const uint32_t *from = &s->decoded[size_t(y) * size_t(f.width)];
        std::copy(from, from + f.width, s->row.begin());
        return;
    }
    size_t stored = f.top_down ? size_t(y) : size_t(f.height - 1 - y);
    const unsigned char *bits = s->dib->data() + s->pixel_offset + stored * f.stride;
    gdi_dib_rows_to_pixels(&f, bits, ptrdiff_t(f.stride), 0, f.width, 1, s->row.data(), f.width);
}

void append_png_bytes(png_structp png, png_bytep data, png_size_t length) {
    picture_stream *s = static_cast<picture_stream *>(png_get_io_ptr(png));
    try {
        s->out->insert(s->out->end(), data, data + length);
    } catch (...) {
        s->out_failed = true;
    }
    // Outside the handler: libpng leaves by longjmp, which must not cross a live exception.
    if (s->out_failed) png_error(png, "out of memory");
}

void flush_nothing(png_structp) {}

// The PNG's next rows until `want` bytes wait in `out`. libpng reports errors by longjmp to
// here, so this frame holds nothing that needs destroying.
bool png_rows(picture_stream *s, std::vector<unsigned char> *out, size_t want) {
    s->out = out;
    if (setjmp(png_jmpbuf(s->png))) return false;
    if (!s->png_started) {
        png_write_info(s->png, s->info);
        s->png_started = true;
    }
    while (out->size() < want && s->rows_done < s->format.height) {
        pixel_row(s, s->rows_done++);
        for (int x = 0; x < s->format.width; ++x) {
            uint32_t c = s->row[size_t(x)];
            s->line[3 * size_t(x)] = static_cast<unsigned char>(c >> 16);
            s->line[3 * size_t(x) + 1] = static_cast<unsigned char>(c >> 8);
            s->line[3 * size_t(x) + 2] = static_cast<unsigned char>(c);
        }
        png_write_row(s->png, s->line.data());
    }
    if (s->rows_done == s->format.height && out->size() < want) {
        png_write_end(s->png, s->info);
        s->done = true;
    }
    return true;
}

// A BMP's next bytes: the file header (and for a decoded picture a plain 24-bit info
// header), then rows, bottom row first.
void bmp_bytes(picture_stream *s, std::vector<unsigned char> *out, size_t want) {
    if (s->head_sent < s->head.size()) {
        size_t count = std::min(s->head.size() - s->head_sent, want - std::min(want, out->size()));
        out->insert(out->end(), s->head.begin() + ptrdiff_t(s->head_sent),
                    s->head.begin() + ptrdiff_t(s->head_sent + count));
        s->head_sent += count;
    }
    if (s->plain_copy) {
        size_t total = s->pixel_offset + s->pixel_bytes;
        size_t count = std::min(total - s->raw_sent, want - std::min(want, out->size()));
        const unsigned char *from = s->dib->data() + s->raw_sent;
        out->insert(out->end(), from, from + count);
        s->raw_sent += count;
        s->done = s->head_sent == s->head.size() && s->raw_sent == total;
        return;
    }
    const gdi_dib_format &f = s->format;
    while (out->size() < want && s->rows_done < f.height) {
        pixel_row(s, f.height - 1 - s->rows_done++);
        gdi_pixels_to_rgb24(s->row.data(), f.width, s->line.data(), s->line.size());
        out->insert(out->end(), s->line.begin(), s->line.end());
    }
    s->done = s->head_sent == s->head.size() && s->rows_done == f.height;
}

// The file and info headers of a BMP that holds the decoded picture at 24 bits.
void plain_bmp_head(picture_stream *s) {
    const gdi_dib_format &f = s->format;
    size_t stride = ((size_t(f.width) * 24 + 31) / 32) * 4;
    BITMAPINFOHEADER h = {};
    h.biSize = sizeof h;
    h.biWidth = f.width;
    h.biHeight = f.height;
    h.biPlanes = 1;
    h.biBitCount = 24;
    h.biSizeImage = DWORD(stride * size_t(f.height));
    s->head.assign(k_file_header + sizeof h, 0);
    s->head[0] = 'B';
    s->head[1] = 'M';
    memcpy(&s->head[k_file_header], &h, sizeof h);
    put32(&s->head[2], uint32_t(s->head.size() + stride * size_t(f.height)));
    put32(&s->head[10], uint32_t(k_file_header + sizeof h));
    s->line.assign(stride, 0);
}

bool start_png(picture_stream *s) {
    s->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    s->info = s->png != nullptr ? png_create_info_struct(s->png) : nullptr;
    if (s->info == nullptr || setjmp(png_jmpbuf(s->png))) return false;
    png_set_write_fn(s->png, s, append_png_bytes, flush_nothing);
    png_set_IHDR(s->png, s->info, png_uint_32(s->format.width), png_uint_32(s->format.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(s->png, 1); // pasting should not wait for the best compression
    return true;
}

// A BMP that is the kept DIB as it is, behind a file header.
bool start_plain_copy(picture_stream *s) {
    size_t total = k_file_header + s->pixel_offset + s->pixel_bytes;
    if (total > 0xFFFFFFFFu) return false;
    s->plain_copy = true;
    s->head.assign(k_file_header, 0);
    s->head[0] = 'B';
    s->head[1] = 'M';
    put32(&s->head[2], uint32_t(total));
    put32(&s->head[10], uint32_t(k_file_header + s->pixel_offset));
    return true;
}

// What picture_stream_open does; may throw std::bad_alloc, which the caller turns into
// a refusal.
bool open_stream(picture_stream *s) {
    const std::vector<unsigned char> &dib = *s->dib;
    if (s->form == PICTURE_FILE) { // handed out like a plain copy with no header of ours
        s->plain_copy = true;
        s->pixel_bytes = dib.size();
        return true;
    }
    bool run_length = false;
    if (!dib_layout(dib, &s->pixel_offset, &s->pixel_bytes, &run_length)) return false;
    bool readable = run_length
                        ? decode_picture(dib, s->pixel_offset, &s->format, &s->decoded)
                        : gdi_dib_read_format(reinterpret_cast<const BITMAPINFO *>(dib.data()),
                                              DIB_RGB_COLORS, nullptr, &s->format);
    // A run-length picture goes out decoded when it can be; one too large to decode goes out
    // as it is, which is a valid BMP file too.
    if (s->form == PICTURE_BMP && !(run_length && readable)) return start_plain_copy(s);
    if (!readable) return false;
    s->row.assign(size_t(s->format.width), 0);
    if (s->form == PICTURE_PNG) {
        s->line.assign(3 * size_t(s->format.width), 0);
        return start_png(s);
    }
    plain_bmp_head(s);
    return true;
}

} // namespace

bool picture_forms(const std::vector<unsigned char> &dib, bool *bmp, bool *png) {
    size_t offset, bytes;
    bool run_length;
    *bmp = *png = false;
    if (!dib_layout(dib, &offset, &bytes, &run_length)) return false;
    gdi_dib_format format;
    bool readable = gdi_dib_read_format(reinterpret_cast<const BITMAPINFO *>(dib.data()),
                                        DIB_RGB_COLORS, nullptr, &format);
    *png = readable &&
           (!run_length || size_t(format.width) * size_t(format.height) <= k_max_decoded_pixels);
    size_t plain_bytes = ((size_t(format.width) * 24 + 31) / 32) * 4 * size_t(format.height);
    size_t decoded_file = k_file_header + sizeof(BITMAPINFOHEADER) + plain_bytes;
    size_t file = *png && run_length ? decoded_file : k_file_header + offset + bytes;
    *bmp = file <= 0xFFFFFFFFu;
    return *bmp || *png;
}

picture_stream *picture_stream_open(const shared_picture &dib, picture_form form) {
    picture_stream *s = nullptr;
    try {
        s = new picture_stream();
        s->dib = dib;
        s->form = form;
        if (open_stream(s)) return s;
    } catch (...) { // no memory for the rows: the request is refused
    }
    picture_stream_close(s);
    return nullptr;
}

bool picture_stream_fill(picture_stream *s, std::vector<unsigned char> *out, size_t want) {
    if (s->done) return true;
    try {
        if (s->form != PICTURE_PNG) {
            bmp_bytes(s, out, want);
            return true;
        }
        return png_rows(s, out, want);
    } catch (...) {
        return false;
    }
}

bool picture_stream_done(const picture_stream *s) {
    return s->done;
}

void picture_stream_close(picture_stream *s) {
    if (s == nullptr) return;
    if (s->png != nullptr) png_destroy_write_struct(&s->png, &s->info);
    delete s;
}
