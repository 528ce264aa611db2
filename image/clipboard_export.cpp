// Clipboard export: a bitmap or a window's picture placed on the clipboard as a packed DIB,
// and a bitmap with alpha also as a PNG file that keeps it.
#include "core/heap.h"
#include "core/startup/library_call.h"
#include "core/window_table.h"
#include "image/bitmap_list.h"
#include "image/files/bmp_file.h"
#include "image/files/png_codec.h"
#include "image/record_pixels.h"
#include "zelvan.h"

#include <string.h>

namespace {

const UINT k_clipboard_block_flags = GMEM_MOVEABLE | GMEM_DDESHARE;

// CF_DIB has no alpha, and CF_DIBV5's alpha is read as straight by some programs and as
// premultiplied by others; the registered format "PNG" is what Windows programs exchange
// pictures with alpha through, and the POSIX platform offers it as image/png.
const char k_png_format_name[] = "PNG";

// A new global block holding `first` then `second`, back to back.
HGLOBAL global_block(const void *first, size_t first_bytes, const void *second,
                     size_t second_bytes) {
    HGLOBAL block = GlobalAlloc(k_clipboard_block_flags, first_bytes + second_bytes);
    if (!block) return nullptr;
    unsigned char *bytes = static_cast<unsigned char *>(GlobalLock(block));
    if (!bytes) {
        GlobalFree(block);
        return nullptr;
    }
    memcpy(bytes, first, first_bytes);
    if (second_bytes != 0) memcpy(bytes + first_bytes, second, second_bytes);
    GlobalUnlock(block);
    return block;
}

// The info block and the pixel block, as CF_DIB holds them.
HGLOBAL packed_dib(const bitmap_record *record) {
    return global_block(record->info, static_cast<size_t>(record->info_bytes), record->bits,
                        static_cast<size_t>(record->bits_bytes));
}

// The record as an RGBA PNG file with its straight alpha, in a global block; ZV_OK or
// ZV_ERR_NO_MEMORY.
int png_block(const bitmap_record *record, HGLOBAL *block) {
    uint32_t *pixels = nullptr;
    HBITMAP section = record_dib_section(record, false, &pixels);
    if (!section) return ZV_ERR_NO_MEMORY;
    unsigned char *file = nullptr;
    size_t size = 0;
    int result = png_encode(pixels, record->width, record->height, true, &file, &size);
    DeleteObject(section);
    if (result != ZV_OK) return ZV_ERR_NO_MEMORY; // nothing is written anywhere but memory
    *block = global_block(file, size, nullptr, 0);
    heap_free(file);
    return *block ? ZV_OK : ZV_ERR_NO_MEMORY;
}

// Hands one block to the open clipboard; on refusal the block is freed here.
int put_block(UINT format, HGLOBAL block) {
    if (SetClipboardData(format, block)) return ZV_OK;
    // A refusal for want of memory is told as such: a smaller picture may still go.
    int failure =
        GetLastError() == ERROR_NOT_ENOUGH_MEMORY ? ZV_ERR_NO_MEMORY : ZV_ERR_CLIPBOARD_COPY;
    // The clipboard took no ownership, so the block is still ours to free.
    GlobalFree(block);
    return failure;
}

// A copy that failed leaves the clipboard empty, as one that failed on it does; unless
// another caller holds it, which leaves it untouched.
int empty_after(int failure) {
    if (!OpenClipboard(nullptr)) return ZV_ERR_CLIPBOARD_BUSY;
    EmptyClipboard();
    CloseClipboard();
    return failure;
}

// The clipboard routine; stores nothing in the last error. Both blocks are made before the
// clipboard is opened, so other programs are not kept waiting while a PNG is encoded.
int copy_to_clipboard(const bitmap_record *record) {
    HGLOBAL dib = packed_dib(record);
    if (!dib) return empty_after(ZV_ERR_NO_MEMORY);
    HGLOBAL png = nullptr;
    UINT png_format = 0;
    if (record->has_alpha) {
        png_format = RegisterClipboardFormatA(k_png_format_name);
        int made = png_format != 0 ? png_block(record, &png) : ZV_ERR_CLIPBOARD_COPY;
        if (made != ZV_OK) {
            GlobalFree(dib);
            return empty_after(made);
        }
    }
    if (!OpenClipboard(nullptr)) {
        GlobalFree(dib);
        if (png) GlobalFree(png);
        return ZV_ERR_CLIPBOARD_BUSY;
    }
    EmptyClipboard();
    int result = put_block(CF_DIB, dib);
    if (png) {
        if (result == ZV_OK) {
            result = put_block(png_format, png);
        } else {
            GlobalFree(png);
        }
        // Half a copy (a DIB without its alpha) is not left behind.
        if (result != ZV_OK) EmptyClipboard();
    }
    CloseClipboard();
    return result;
}

} // namespace

extern "C" {

ZVEXPORT int ZVAPI ZVCopyBitmapToClipboard(int bitmap) {
    library_call call;
    if (call.refused()) return ZV_ERR_NOT_INITIALISED;
    bitmap_ref found(bitmap);
    if (!found.record) return ZV_ERR_BAD_BITMAP;
    return copy_to_clipboard(found.record);
}

ZVEXPORT int ZVAPI ZVCopyImageToClipboard(int window) {
    window_ref found(window);
    if (!found.ok()) return ZV_ERR_BAD_WINDOW;
    int failure = ZV_OK;
    bitmap_record *capture = capture_view_buffer(found.record, &failure);
    if (!capture) return failure;
    int result = copy_to_clipboard(capture);
    bitmap_record_free(capture);
    return result;
}

} // extern "C"
