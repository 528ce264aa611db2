// The PNG codec on Windows: the Windows Imaging Component, through COM, over memory.
#include "image/files/png_codec.h"

#include "core/heap.h"
#include "zelvan.h"

#include <objbase.h>
#include <string.h>
#include <wincodec.h>

namespace {

const unsigned char k_signature[PNG_SIGNATURE_BYTES] = {0x89, 'P',  'N',  'G',
                                                        '\r', '\n', 0x1A, '\n'};

// COM on the calling thread for the length of one call. A thread the host already made a
// single-threaded apartment keeps it (RPC_E_CHANGED_MODE): the imaging factory runs in
// either kind, and only a successful initialisation is undone.
struct com_scope {
    HRESULT started;
    com_scope() : started(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~com_scope() {
        if (SUCCEEDED(started)) CoUninitialize();
    }
    bool usable() const { return SUCCEEDED(started) || started == RPC_E_CHANGED_MODE; }
};

template <typename T> void release(T *&object) {
    if (object) object->Release();
    object = nullptr;
}

IWICImagingFactory *make_factory() {
    IWICImagingFactory *factory = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void **>(&factory))))
        return nullptr;
    return factory;
}

// Whether the file has alpha: a colour type with an alpha channel, or a tRNS chunk before the
// image data, the rule libpng follows in the POSIX build. WIC's pixel formats cannot tell: an
// indexed format never claims transparency, whatever its palette holds.
bool file_has_alpha(const unsigned char *data, size_t size) {
    const size_t colour_type_at = PNG_SIGNATURE_BYTES + 8 + 9; // in IHDR, the first chunk
    if (size <= colour_type_at) return false;
    if (data[colour_type_at] & 4) return true;
    for (size_t at = PNG_SIGNATURE_BYTES; size - at >= 12;) {
        const unsigned char *chunk = data + at;
        size_t length =
            size_t{chunk[0]} << 24 | size_t{chunk[1]} << 16 | size_t{chunk[2]} << 8 | chunk[3];
        if (memcmp(chunk + 4, "tRNS", 4) == 0) return true;
        if (memcmp(chunk + 4, "IDAT", 4) == 0 || length > size - at - 12) return false;
        at += 12 + length; // length, type, data and CRC
    }
    return false;
}

// The frame's rows, converted to 32-bit BGRA, into the record bottom-up; a record without
// alpha takes each pixel's colour bytes only. WIC converts every format to 32-bit BGRA, where
// Wine has no path from greyscale, palettes or 16-bit RGB to 24-bit BGR.
int copy_rows(IWICBitmapSource *bgra, bitmap_record *bitmap) {
    UINT bgra_stride = static_cast<UINT>(bitmap->width) * 4;
    size_t stride = static_cast<size_t>(dib_row_bytes(bitmap->width, bitmap->has_alpha ? 32 : 24));
    BYTE *row = bitmap->has_alpha ? nullptr : static_cast<BYTE *>(heap_alloc(bgra_stride));
    if (!bitmap->has_alpha && !row) return ZV_ERR_NO_MEMORY;
    int result = ZV_OK;
    for (int y = 0; y < bitmap->height && result == ZV_OK; ++y) {
        WICRect line = {0, y, bitmap->width, 1};
        BYTE *to = bitmap->bits + stride * (bitmap->height - 1 - y);
        if (FAILED(bgra->CopyPixels(&line, bgra_stride, bgra_stride, row ? row : to)))
            result = ZV_ERR_BMP_CORRUPT;
        else if (row)
            for (int x = 0; x < bitmap->width; ++x) memcpy(to + 3 * x, row + 4 * x, 3);
    }
    heap_free(row);
    return result;
}

int decode_frame(IWICBitmapFrameDecode *frame, bool alpha, size_t file_bytes,
                 bitmap_record **record) {
    UINT width = 0, height = 0;
    if (FAILED(frame->GetSize(&width, &height)) || width == 0 || height == 0 ||
        width > MAX_DIB_SIDE || height > MAX_DIB_SIDE)
        return ZV_ERR_BMP_CORRUPT;
    if (!png_size_plausible(width, height, alpha, file_bytes)) return ZV_ERR_BMP_CORRUPT;
    IWICBitmapSource *bgra = nullptr;
    if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame, &bgra)))
        return ZV_ERR_BMP_CORRUPT;
    bitmap_record *bitmap =
        dib_record_new(static_cast<int>(width), static_cast<int>(height), alpha);
    int result = bitmap ? copy_rows(bgra, bitmap) : ZV_ERR_NO_MEMORY;
    release(bgra);
    if (result != ZV_OK) {
        bitmap_record_free(bitmap);
        return result;
    }
    *record = bitmap;
    return ZV_OK;
}

int decode_with(IWICImagingFactory *factory, const unsigned char *data, size_t size,
                bitmap_record **record) {
    IWICStream *stream = nullptr;
    IWICBitmapDecoder *decoder = nullptr;
    IWICBitmapFrameDecode *frame = nullptr;
    GUID container;
    int result = ZV_ERR_BMP_CORRUPT;
    if (size <= MAXDWORD && SUCCEEDED(factory->CreateStream(&stream)) &&
        SUCCEEDED(
            stream->InitializeFromMemory(const_cast<BYTE *>(data), static_cast<DWORD>(size))) &&
        SUCCEEDED(factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand,
                                                   &decoder)) &&
        SUCCEEDED(decoder->GetContainerFormat(&container)) &&
        IsEqualGUID(container, GUID_ContainerFormatPng) && SUCCEEDED(decoder->GetFrame(0, &frame)))
        result = decode_frame(frame, file_has_alpha(data, size), size, record);
    release(frame);
    release(decoder);
    release(stream);
    return result;
}

// The 24-bit rows WIC's PNG encoder takes for RGB.
unsigned char *rgb_rows(const uint32_t *pixels, int width, int height, UINT stride) {
    unsigned char *rows = static_cast<unsigned char *>(heap_alloc(size_t{stride} * height));
    if (!rows) return nullptr;
    for (int y = 0; y < height; ++y) {
        unsigned char *out = rows + size_t{stride} * y;
        const uint32_t *in = pixels + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x, out += 3) memcpy(out, &in[x], 3);
    }
    return rows;
}

// Copies the encoded stream into a block of the process heap.
int take_stream_bytes(IStream *stream, unsigned char **out, size_t *out_bytes) {
    HGLOBAL memory = nullptr;
    STATSTG stat;
    if (FAILED(GetHGlobalFromStream(stream, &memory)) ||
        FAILED(stream->Stat(&stat, STATFLAG_NONAME)))
        return ZV_ERR_FILE_WRITE;
    size_t size = static_cast<size_t>(stat.cbSize.QuadPart);
    const void *bytes = GlobalLock(memory);
    *out = static_cast<unsigned char *>(heap_alloc(size ? size : 1));
    if (bytes && *out) memcpy(*out, bytes, size);
    if (bytes) GlobalUnlock(memory);
    if (!bytes || !*out) {
        heap_free(*out);
        *out = nullptr;
        return ZV_ERR_NO_MEMORY;
    }
    *out_bytes = size;
    return ZV_OK;
}

int encode_with(IWICImagingFactory *factory, const uint32_t *pixels, int width, int height,
                bool alpha, unsigned char **out, size_t *out_bytes) {
    IStream *stream = nullptr;
    IWICBitmapEncoder *encoder = nullptr;
    IWICBitmapFrameEncode *frame = nullptr;
    IPropertyBag2 *options = nullptr;
    WICPixelFormatGUID wanted = alpha ? GUID_WICPixelFormat32bppBGRA : GUID_WICPixelFormat24bppBGR;
    WICPixelFormatGUID format = wanted;
    UINT stride =
        alpha ? static_cast<UINT>(width) * 4 : static_cast<UINT>(dib_row_bytes(width, 24));
    unsigned char *rgb = alpha ? nullptr : rgb_rows(pixels, width, height, stride);
    const BYTE *rows = alpha ? reinterpret_cast<const BYTE *>(pixels) : rgb;
    int result = ZV_ERR_FILE_WRITE;
    if (rows && SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) &&
        SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
        SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(&frame, &options)) &&
        SUCCEEDED(frame->Initialize(options)) &&
        SUCCEEDED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))) &&
        SUCCEEDED(frame->SetPixelFormat(&format)) && IsEqualGUID(format, wanted) &&
        SUCCEEDED(frame->WritePixels(static_cast<UINT>(height), stride, stride * height,
                                     const_cast<BYTE *>(rows))) &&
        SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit()))
        result = take_stream_bytes(stream, out, out_bytes);
    if (!rows) result = ZV_ERR_NO_MEMORY;
    release(options);
    release(frame);
    release(encoder);
    release(stream);
    heap_free(rgb);
    return result;
}

} // namespace

bool png_signature(const unsigned char *bytes) {
    return memcmp(bytes, k_signature, PNG_SIGNATURE_BYTES) == 0;
}

int png_decode(const unsigned char *data, size_t size, bitmap_record **record) {
    *record = nullptr;
    com_scope com;
    if (!com.usable()) return ZV_ERR_NO_MEMORY;
    IWICImagingFactory *factory = make_factory();
    if (!factory) return ZV_ERR_NO_MEMORY;
    int result = decode_with(factory, data, size, record);
    factory->Release();
    return result;
}

int png_encode(const uint32_t *pixels, int width, int height, bool alpha, unsigned char **out,
               size_t *out_bytes) {
    *out = nullptr;
    *out_bytes = 0;
    com_scope com;
    if (!com.usable()) return ZV_ERR_NO_MEMORY;
    IWICImagingFactory *factory = make_factory();
    if (!factory) return ZV_ERR_NO_MEMORY;
    int result = encode_with(factory, pixels, width, height, alpha, out, out_bytes);
    factory->Release();
    return result;
}
