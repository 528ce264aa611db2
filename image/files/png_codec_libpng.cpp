// The PNG codec on POSIX: libpng's sequential read and write calls over memory.
// libpng reports errors by longjmp, so every libpng call sits in a function that owns no
// object with a destructor, and everything to free afterwards lives in a plain struct.
#include "image/files/png_codec.h"

#include "core/heap.h"
#include "zelvan.h"

#include <png.h>
#include <string.h>

namespace {

// deflate never expands data by more than this ratio, so the compressed rows of a real file
// are at least this many times smaller than the raw rows; a header that claims far more
// pixels than the file can hold is refused before its rows are allocated.
const uint64_t k_deflate_max_ratio = 1032;

// The most any chunk but the rows may take in memory: a palette and its transparency take
// under 1 KiB, and every other chunk is skipped unread.
const png_alloc_size_t k_chunk_bytes_max = 64 * 1024;

struct memory_source {
    const unsigned char *data;
    size_t size;
    size_t at;
};

// What a decode hands back across a longjmp: only memory, never locals of the jumping frame.
struct decode_state {
    memory_source source;
    bitmap_record *record;
    png_bytep *rows;
    int failure;
};

void read_from_memory(png_structp png, png_bytep out, size_t length) {
    memory_source *source = static_cast<memory_source *>(png_get_io_ptr(png));
    if (length > source->size - source->at) png_error(png, "truncated");
    memcpy(out, source->data + source->at, length);
    source->at += length;
}

// libpng's default handlers print; a library stays quiet and answers with result codes.
void fail_quietly(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void ignore_warning(png_structp, png_const_charp) {}

// The raw (filtered, uncompressed) row bytes the header describes, interlace ignored.
uint64_t raw_bytes(png_uint_32 width, png_uint_32 height, int bit_depth, int channels) {
    return (uint64_t{width} * bit_depth * channels + 7) / 8 * height + height;
}

// Sets the transformations that turn any PNG into 8-bit BGR or BGRA rows.
void request_bgr_rows(png_structp png, int colour_type, int bit_depth) {
    png_set_expand(png); // palette to RGB, grey below 8 bits to 8, tRNS to an alpha channel
    if (bit_depth == 16) png_set_scale_16(png);
    if (colour_type == PNG_COLOR_TYPE_GRAY || colour_type == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_interlace_handling(png);
}

// The libpng part of a decode. Returns with `state->record` filled, or jumps back here on
// any libpng error with `state->failure` left at ZV_ERR_BMP_CORRUPT.
void decode_rows(png_structp png, png_infop info, decode_state *state) {
    if (setjmp(png_jmpbuf(png))) return;
    png_set_read_fn(png, &state->source, read_from_memory);
    // Only the pixels and their transparency are used: text (compressed text above all, which
    // libpng would inflate and keep), profiles and every other ancillary chunk are skipped.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_set_chunk_malloc_max(png, k_chunk_bytes_max);
    png_set_user_limits(png, MAX_DIB_SIDE, MAX_DIB_SIDE);
    png_read_info(png, info);
    png_uint_32 width = 0, height = 0;
    int bit_depth = 0, colour_type = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &bit_depth, &colour_type, &interlace, nullptr,
                 nullptr);
    int file_channels = png_get_channels(png, info);
    if (raw_bytes(width, height, bit_depth, file_channels) / k_deflate_max_ratio >
        state->source.size)
        return;
    bool alpha = (colour_type & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
    if (!png_size_plausible(width, height, alpha, state->source.size)) return;
    request_bgr_rows(png, colour_type, bit_depth);
    png_read_update_info(png, info);
    if (png_get_channels(png, info) != (alpha ? 4 : 3) || png_get_bit_depth(png, info) != 8) return;
    if (width > MAX_DIB_SIDE || height > MAX_DIB_SIDE) return;
    state->failure = ZV_ERR_NO_MEMORY;
    state->record = dib_record_new(static_cast<int>(width), static_cast<int>(height), alpha);
    state->rows = static_cast<png_bytep *>(heap_alloc(sizeof(png_bytep) * height));
    if (!state->record || !state->rows) return;
    state->failure = ZV_ERR_BMP_CORRUPT;
    // The record is bottom-up: the file's first row is the block's last.
    size_t stride = static_cast<size_t>(dib_row_bytes(width, alpha ? 32 : 24));
    for (png_uint_32 y = 0; y < height; ++y)
        state->rows[y] = state->record->bits + stride * (height - 1 - y);
    png_read_image(png, state->rows);
    png_read_end(png, nullptr);
    state->failure = ZV_OK;
}

} // namespace

bool png_signature(const unsigned char *bytes) {
    return png_sig_cmp(bytes, 0, PNG_SIGNATURE_BYTES) == 0;
}

int png_decode(const unsigned char *data, size_t size, bitmap_record **record) {
    *record = nullptr;
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, fail_quietly, ignore_warning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return ZV_ERR_NO_MEMORY;
    }
    decode_state state = {{data, size, 0}, nullptr, nullptr, ZV_ERR_BMP_CORRUPT};
    decode_rows(png, info, &state);
    png_destroy_read_struct(&png, &info, nullptr);
    heap_free(state.rows);
    if (state.failure != ZV_OK) {
        bitmap_record_free(state.record);
        return state.failure;
    }
    *record = state.record;
    return ZV_OK;
}

namespace {

struct memory_sink {
    unsigned char *data;
    size_t size;
    size_t capacity;
    bool failed;
};

struct encode_state {
    memory_sink sink;
    unsigned char *row; // one row of RGB or RGBA samples
    int failure;
};

void write_to_memory(png_structp png, png_bytep bytes, size_t length) {
    memory_sink *sink = static_cast<memory_sink *>(png_get_io_ptr(png));
    if (length > sink->capacity - sink->size) {
        size_t capacity = sink->capacity * 2 + length;
        unsigned char *grown = static_cast<unsigned char *>(heap_alloc(capacity));
        if (!grown) {
            sink->failed = true;
            png_error(png, "out of memory");
        }
        if (sink->size) memcpy(grown, sink->data, sink->size);
        heap_free(sink->data);
        sink->data = grown;
        sink->capacity = capacity;
    }
    memcpy(sink->data + sink->size, bytes, length);
    sink->size += length;
}

void flush_nothing(png_structp) {}

void encode_rows(png_structp png, png_infop info, const uint32_t *pixels, int width, int height,
                 bool alpha, encode_state *state) {
    if (setjmp(png_jmpbuf(png))) return;
    png_set_write_fn(png, &state->sink, write_to_memory, flush_nothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    int channels = alpha ? 4 : 3;
    for (int y = 0; y < height; ++y) {
        const uint32_t *in = pixels + static_cast<size_t>(y) * width;
        unsigned char *out = state->row;
        for (int x = 0; x < width; ++x, out += channels) {
            out[0] = static_cast<unsigned char>(in[x] >> 16);
            out[1] = static_cast<unsigned char>(in[x] >> 8);
            out[2] = static_cast<unsigned char>(in[x]);
            if (alpha) out[3] = static_cast<unsigned char>(in[x] >> 24);
        }
        png_write_row(png, state->row);
    }
    png_write_end(png, nullptr);
    state->failure = ZV_OK;
}

} // namespace

int png_encode(const uint32_t *pixels, int width, int height, bool alpha, unsigned char **out,
               size_t *out_bytes) {
    *out = nullptr;
    *out_bytes = 0;
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, fail_quietly, ignore_warning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    encode_state state = {{nullptr, 0, 0, false}, nullptr, ZV_ERR_NO_MEMORY};
    state.row = static_cast<unsigned char *>(heap_alloc(static_cast<size_t>(width) * 4));
    if (info && state.row) {
        state.failure = ZV_ERR_FILE_WRITE;
        encode_rows(png, info, pixels, width, height, alpha, &state);
    }
    png_destroy_write_struct(&png, &info);
    heap_free(state.row);
    if (state.sink.failed) state.failure = ZV_ERR_NO_MEMORY;
    if (state.failure != ZV_OK) {
        heap_free(state.sink.data);
        return state.failure;
    }
    *out = state.sink.data;
    *out_bytes = state.sink.size;
    return ZV_OK;
}
