// The pointer's cursor and windows' icons: SetCursor, the default answer to WM_SETCURSOR,
// icons made from bitmaps and the default answers to WM_SETICON and WM_GETICON.
#include "platform/posix/gdi/gdi_surface.h"
#include "platform/posix/kernel/kernel_objects.h"
#include "platform/posix/user/wm_internal.h"

#include <new>
#include <unordered_set>
#include <vector>

namespace {

// An icon made by CreateIconIndirect: straight-alpha 0xAARRGGBB rows from the top.
struct wm_icon {
    int width;
    int height;
    std::vector<uint32_t> argb;
};

// Icons made and not yet destroyed, under the window manager's lock. Loaded icons are tokens
// (LoadIconA) and never in here.
std::unordered_set<HICON> &made_icons() {
    static std::unordered_set<HICON> *icons = new std::unordered_set<HICON>;
    return *icons;
}

const wm_icon *find_icon_locked(HICON icon) {
    return made_icons().count(icon) != 0 ? reinterpret_cast<const wm_icon *>(icon) : nullptr;
}

// The alpha of a colour bitmap that has none (every fourth byte 0) comes from the mask:
// black is opaque, white transparent, as Win32 reads an icon without alpha.
void take_mask_alpha(wm_icon *icon, const gdi_surface &mask) {
    for (uint32_t p : icon->argb)
        if (p >> 24 != 0) return;
    for (int y = 0; y < icon->height; ++y)
        for (int x = 0; x < icon->width; ++x) {
            bool opaque = y >= mask.height || x >= mask.width ||
                          (mask.pixels[static_cast<size_t>(y) * mask.stride + x] & 0xFFFFFF) == 0;
            if (opaque) icon->argb[static_cast<size_t>(y) * icon->width + x] |= 0xFF000000u;
        }
}

} // namespace

// Made on the caller's thread like any object; only the colour bitmap's pixels and the mask
// are read, and the icon keeps its own copy.
HICON WINAPI CreateIconIndirect(PICONINFO info) {
    gdi_surface colour{}, mask{};
    if (info == nullptr || !info->fIcon || !gdi_bitmap_surface(info->hbmColor, &colour) ||
        !gdi_bitmap_surface(info->hbmMask, &mask)) {
        wm_set_error(KERNEL_ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    wm_icon *icon = new (std::nothrow) wm_icon{colour.width, colour.height, {}};
    if (icon == nullptr) {
        wm_set_error(KERNEL_ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    icon->argb.reserve(static_cast<size_t>(colour.width) * colour.height);
    for (int y = 0; y < colour.height; ++y)
        for (int x = 0; x < colour.width; ++x)
            icon->argb.push_back(colour.pixels[static_cast<size_t>(y) * colour.stride + x]);
    take_mask_alpha(icon, mask);
    HICON handle = reinterpret_cast<HICON>(icon);
    wm_lock();
    made_icons().insert(handle);
    wm_unlock();
    return handle;
}

BOOL WINAPI DestroyIcon(HICON handle) {
    wm_lock();
    bool made = made_icons().erase(handle) != 0;
    wm_unlock();
    if (!made) {
        wm_set_error(KERNEL_ERROR_INVALID_HANDLE);
        return FALSE;
    }
    delete reinterpret_cast<wm_icon *>(handle);
    return TRUE;
}

// The cursor goes to the window under the pointer, if this thread owns it: on the screen a
// cursor belongs to a window, shown while the pointer is over it.
HCURSOR WINAPI SetCursor(HCURSOR cursor) {
    wm_lock();
    HCURSOR previous = wm().cursor;
    wm().cursor = cursor;
    wm_window *w = wm_find(wm().pointer_window);
    bool mine = w != nullptr && w->owner == wm_this_queue_if_any();
    display_window *shown = mine ? w->shown : nullptr;
    const display_driver *driver = mine ? w->driver : nullptr;
    wm_unlock();
    if (shown != nullptr && driver->set_cursor != nullptr)
        driver->set_cursor(shown, cursor != nullptr);
    return previous;
}

LRESULT wm_default_set_cursor(HWND, LPARAM lparam) {
    if (LOWORD(lparam) != HTCLIENT) return FALSE;
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    return TRUE;
}

// WM_SETICON keeps the icon for its size and answers the one it replaces; the large one is
// what the screen shows. WM_GETICON answers the icon kept.
LRESULT wm_default_icon_message(HWND hwnd, UINT message, WPARAM which, LPARAM lparam) {
    if (which != ICON_SMALL && which != ICON_BIG) return 0;
    wm_lock();
    wm_window *w = wm_find(hwnd);
    if (w == nullptr) {
        wm_unlock();
        return 0;
    }
    HICON previous = w->icons[which];
    if (message == WM_GETICON) {
        wm_unlock();
        return reinterpret_cast<LRESULT>(previous);
    }
    HICON icon = reinterpret_cast<HICON>(lparam);
    w->icons[which] = icon;
    const wm_icon *made = find_icon_locked(icon);
    display_window *shown = which == ICON_BIG ? w->shown : nullptr;
    const display_driver *driver = w->driver;
    // The driver copies the pixels; the icon cannot be destroyed meanwhile, as only its
    // owner (the caller's program) destroys it, and not while it sets it.
    wm_unlock();
    if (shown != nullptr && driver->set_icon != nullptr) {
        driver->set_icon(shown, made ? made->argb.data() : nullptr, made ? made->width : 0,
                         made ? made->height : 0);
    }
    return reinterpret_cast<LRESULT>(previous);
}

BOOL WINAPI ScreenToClient(HWND hwnd, LPPOINT point) {
    if (point == nullptr) return FALSE;
    wm_lock();
    wm_window *w = wm_find(hwnd);
    RECT client = w != nullptr ? wm_client_screen_rect(w) : RECT{};
    wm_unlock();
    if (w == nullptr) {
        wm_set_error(KERNEL_ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    point->x -= client.left;
    point->y -= client.top;
    return TRUE;
}
