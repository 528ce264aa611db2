// The bitmap calls that work on the bitmap list alone: load, save, discard and measure.
#include "core/result_codes.h"
#include "core/startup/library_call.h"
#include "image/bitmap_list.h"
#include "image/files/image_file.h"
#include "zelvan.h"

extern "C" {

ZVEXPORT int ZVAPI ZVLoadBitmap(const char *file_name) {
    library_call call;
    if (call.refused()) return 0;
    bitmap_record *record = nullptr;
    int result = image_read(file_name, &record);
    if (result != ZV_OK) {
        set_last_error(result);
        return 0;
    }
    return bitmap_list_add(record);
}

ZVEXPORT int ZVAPI ZVSaveBitmap(int bitmap, const char *file_name) {
    library_call call;
    if (call.refused()) return ZV_ERR_NOT_INITIALISED;
    bitmap_ref found(bitmap);
    if (!found.record) return ZV_ERR_BAD_BITMAP;
    int result = image_write(found.record, file_name);
    if (result != ZV_OK) set_last_error(result);
    return result;
}

ZVEXPORT int ZVAPI ZVDiscardBitmap(int bitmap) {
    library_call call;
    if (call.refused()) return ZV_ERR_NOT_INITIALISED;
    bitmap_ref found(bitmap);
    if (!found.record) return ZV_ERR_BAD_BITMAP;
    // Another thread still using the record keeps it until it gives its use back.
    bitmap_list_remove(found.record);
    return ZV_OK;
}

ZVEXPORT int ZVAPI ZVGetBitmapWidth(int bitmap) {
    library_call call;
    if (call.refused()) return ZV_ERR_BAD_BITMAP;
    bitmap_ref found(bitmap);
    return found.record ? found.record->width : ZV_ERR_BAD_BITMAP;
}

ZVEXPORT int ZVAPI ZVGetBitmapHeight(int bitmap) {
    library_call call;
    if (call.refused()) return ZV_ERR_BAD_BITMAP;
    bitmap_ref found(bitmap);
    return found.record ? found.record->height : ZV_ERR_BAD_BITMAP;
}

} // extern "C"
