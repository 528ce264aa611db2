// Clipboard export: a bitmap or a window's picture placed on the clipboard as a packed DIB.
#include "core/library_call.h"
#include "core/window_table.h"
#include "image/bitmap_list.h"
#include "image/bmp_file.h"
#include "zelvan.h"

#include <string.h>

namespace {

const UINT k_clipboard_block_flags = GMEM_MOVEABLE | GMEM_DDESHARE;

// Fills a new global block with the info block and the pixel block, back to back.
HGLOBAL packed_dib(const bitmap_record *record) {
    SIZE_T info_bytes = static_cast<SIZE_T>(record->info_bytes);
    SIZE_T bits_bytes = static_cast<SIZE_T>(record->bits_bytes);
    HGLOBAL block = GlobalAlloc(k_clipboard_block_flags, info_bytes + bits_bytes);
    if (!block) return nullptr;
    unsigned char *bytes = static_cast<unsigned char *>(GlobalLock(block));
    if (!bytes) {
        GlobalFree(block);
        return nullptr;
    }
    memcpy(bytes, record->info, info_bytes);
    memcpy(bytes + info_bytes, record->bits, bits_bytes);
    GlobalUnlock(block);
    return block;
}

// The clipboard routine; stores nothing in the last error.
int copy_to_clipboard(const bitmap_record *record) {
    if (!OpenClipboard(nullptr)) return ZV_ERR_CLIPBOARD_BUSY;
    EmptyClipboard();
    HGLOBAL block = packed_dib(record);
    if (!block) {
        CloseClipboard();
        return ZV_ERR_NO_MEMORY;
    }
    if (!SetClipboardData(CF_DIB, block)) {
        // A refusal for want of memory is told as such: a smaller picture may still go.
        int failure =
            GetLastError() == ERROR_NOT_ENOUGH_MEMORY ? ZV_ERR_NO_MEMORY : ZV_ERR_CLIPBOARD_COPY;
        // The clipboard took no ownership, so the block is still ours to free.
        GlobalFree(block);
        CloseClipboard();
        return failure;
    }
    CloseClipboard();
    return ZV_OK;
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
