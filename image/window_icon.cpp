// ZVSetIcon: a bitmap as the window's icon, its alpha kept.
#include "core/result_codes.h"
#include "core/startup/library_call.h"
#include "core/window_table.h"
#include "image/bitmap_list.h"
#include "image/record_pixels.h"
#include "window/window_messages.h"
#include "zelvan.h"

#include <new>
#include <vector>

namespace {

// Icons are small pictures: a larger bitmap is refused rather than sent to the screen whole.
constexpr int k_largest_icon_side = 1024;

// An icon holding the record's colours and alpha; the mask, all black, lets the alpha alone
// decide (a bitmap without alpha is opaque). Null when out of memory.
HICON icon_from_record(const bitmap_record *record) {
    uint32_t *pixels = nullptr;
    HBITMAP colour = record_dib_section(record, false, &pixels);
    if (!colour) return nullptr;
    // Monochrome rows are padded to 16 bits; zero bits are black.
    std::vector<unsigned char> zeros;
    HBITMAP mask = nullptr;
    try {
        zeros.assign(static_cast<size_t>((record->width + 15) / 16 * 2) * record->height, 0);
        mask = CreateBitmap(record->width, record->height, 1, 1, zeros.data());
    } catch (const std::bad_alloc &) {
        mask = nullptr;
    }
    HICON icon = nullptr;
    if (mask) {
        ICONINFO info{};
        info.fIcon = TRUE;
        info.hbmMask = mask;
        info.hbmColor = colour;
        icon = CreateIconIndirect(&info);
        DeleteObject(mask);
    }
    DeleteObject(colour);
    return icon;
}

} // namespace

extern "C" ZVEXPORT int ZVAPI ZVSetIcon(int window, int bitmap) {
    library_call call;
    if (call.refused()) return ZV_ERR_NOT_INITIALISED;
    window_ref found_window(window);
    bitmap_ref found_bitmap(bitmap);
    if (!found_window.ok()) return ZV_ERR_BAD_WINDOW;
    if (!found_bitmap.record) return ZV_ERR_BAD_BITMAP;
    if (found_window->canvas) return ZV_ERROR; // nothing shows a canvas's icon
    const bitmap_record *record = found_bitmap.record;
    int refused = record->width > k_largest_icon_side    ? ZV_ERR_BAD_WIDTH
                  : record->height > k_largest_icon_side ? ZV_ERR_BAD_HEIGHT
                                                         : ZV_OK;
    if (refused != ZV_OK) {
        set_last_error(refused);
        return refused;
    }
    icon_handover handover{icon_from_record(record), false};
    if (!handover.icon) {
        set_last_error(ZV_ERR_NO_MEMORY);
        return ZV_ERR_NO_MEMORY;
    }
    // Built here, handed to the GUI thread, which shows it and destroys the one it replaces.
    SendMessageA(found_window->hwnd, MSG_SET_ICON, 0, reinterpret_cast<LPARAM>(&handover));
    if (!handover.taken) DestroyIcon(handover.icon); // the window closed meanwhile
    return handover.taken ? ZV_OK : ZV_ERR_BAD_WINDOW;
}
