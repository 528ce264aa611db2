// Invalidation, WM_PAINT, device contexts and handing painted pixels to the display.
#include "platform/posix/kernel/kernel_objects.h"
#include "platform/posix/user/wm_internal.h"

#include <algorithm>
#include <new>
#include <string.h>

namespace {

RECT client_rect_of(const wm_window *w) {
    RECT r = wm_client_screen_rect(w);
    return RECT{0, 0, r.right - r.left, r.bottom - r.top};
}

bool is_empty(const RECT &r) {
    return r.left >= r.right || r.top >= r.bottom;
}

RECT intersect(const RECT &a, const RECT &b) {
    return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

RECT unite(const RECT &a, const RECT &b) {
    if (is_empty(a)) return b;
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

// Copies `rect` of the window's pixels to the display. Owner thread, lock not held.
void present(HWND hwnd, const RECT &rect) {
    wm_lock();
    wm_window *w = wm_find(hwnd);
    display_window *shown = w != nullptr ? w->shown : nullptr;
    const display_driver *driver = w != nullptr ? w->driver : nullptr;
    gdi_surface surface = w != nullptr ? w->surface : gdi_surface{};
    wm_unlock();
    if (shown == nullptr || surface.pixels == nullptr || is_empty(rect)) return;
    driver->present(shown, surface.pixels, surface.width, surface.height, surface.stride, &rect);
}

// Presents at once on the owner thread; another thread leaves it to the owner, which alone
// may read the surface while it paints. The surface has no lock of its own: a thread that
// draws on another thread's window DC must not do so while the owner paints it.
void present_or_defer(HWND hwnd, const RECT &rect) {
    wm_lock();
    wm_window *w = wm_find(hwnd);
    bool mine = w != nullptr && w->owner == wm_this_queue_if_any();
    if (w != nullptr && !mine) {
        w->present_rect = w->present_pending ? unite(w->present_rect, rect) : rect;
        w->present_pending = true;
        w->owner->maybe_present = true;
        wm_signal(w->owner);
    }
    wm_unlock();
    if (mine) present(hwnd, rect);
}

// Removes `dc` from the window's temporary DCs; true if it was one of them. Lock held.
bool take_temporary_dc(wm_window *w, HDC dc) {
    auto it = std::find(w->temporary_dcs.begin(), w->temporary_dcs.end(), dc);
    if (it == w->temporary_dcs.end()) return false;
    w->temporary_dcs.erase(it);
    return true;
}

// The screen DC: draws nothing, but serves as the reference for compatible DCs and bitmaps.
// The list lives with the window manager's state, which an unload frees. Lock held.
std::vector<HDC> &screen_dcs() {
    return wm().screen_dcs;
}

} // namespace

HWND wm_window_to_paint(wm_queue *queue, HWND filter) {
    if (!queue->maybe_invalid) return nullptr;
    bool any_invalid = false;
    for (HWND hwnd : queue->windows) {
        wm_window *w = wm_find(hwnd);
        if (w == nullptr || !w->invalid) continue;
        any_invalid = true;
        if (filter != nullptr && filter != hwnd) continue;
        if (w->visible && !w->minimized) return hwnd;
    }
    // Hidden or minimised windows that are still invalid keep the hint for when they show.
    if (!any_invalid) queue->maybe_invalid = false;
    return nullptr;
}

void wm_run_pending_presents(wm_queue *queue) {
    if (!queue->maybe_present) return;
    // Cleared before the scan: a present requested while the lock is dropped sets it again.
    queue->maybe_present = false;
    for (size_t i = 0; i < queue->windows.size(); ++i) {
        HWND hwnd = queue->windows[i];
        wm_window *w = wm_find(hwnd);
        if (w == nullptr || !w->present_pending) continue;
        w->present_pending = false;
        RECT rect = w->present_rect;
        wm_unlock();
        present(hwnd, rect);
        wm_lock();
    }
}

// Keeps the top-left part both sizes share; new pixels start white.
void wm_resize_surface(wm_window *w, int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == w->surface.width && height == w->surface.height) return;
    uint32_t *pixels = nullptr;
    if (width > 0 && height > 0) {
        // A size the process cannot hold keeps the old surface: drawing is clipped to the
        // surface anyway, and an exception must never leave the platform. Like GDI's
        // bitmaps, a surface stays under 2 GiB, so a huge size is refused before any allocation.
        if (static_cast<int64_t>(width) * height > (int64_t{1} << 29)) return;
        pixels = new (std::nothrow) uint32_t[static_cast<size_t>(width) * height];
        if (pixels == nullptr) return;
        std::fill_n(pixels, static_cast<size_t>(width) * height, 0x00FFFFFFu);
        int rows = std::min(height, w->surface.height), columns = std::min(width, w->surface.width);
        for (int y = 0; y < rows && w->surface.pixels != nullptr; ++y) {
            memcpy(pixels + static_cast<size_t>(y) * width,
                   w->surface.pixels + static_cast<size_t>(y) * w->surface.stride,
                   static_cast<size_t>(columns) * sizeof(uint32_t));
        }
    }
    delete[] w->surface.pixels;
    w->surface = gdi_surface{pixels, pixels ? width : 0, pixels ? height : 0, pixels ? width : 0};
    const gdi_surface *target = pixels != nullptr ? &w->surface : nullptr;
    if (w->own_dc != nullptr) gdi_set_dc_surface(w->own_dc, target);
    for (HDC dc : w->temporary_dcs) gdi_set_dc_surface(dc, target);
}

void wm_invalidate_all(HWND hwnd, bool erase) {
    InvalidateRect(hwnd, nullptr, erase);
}

// A hidden window has nothing on screen to repair, so its invalidation is dropped.
BOOL WINAPI InvalidateRect(HWND hwnd, const RECT *rect, BOOL erase) {
    wm_lock();
    std::vector<HWND> targets;
    if (hwnd != nullptr) {
        targets.push_back(hwnd);
    } else {
        for (wm_window *w : wm().slots) {
            if (w != nullptr) targets.push_back(w->hwnd);
        }
    }
    bool found = hwnd == nullptr;
    for (HWND target : targets) {
        wm_window *w = wm_find(target);
        if (w == nullptr) continue;
        found = true;
        RECT area = client_rect_of(w);
        if (rect != nullptr) area = intersect(area, *rect);
        if (!w->visible || is_empty(area)) continue;
        w->update = w->invalid ? unite(w->update, area) : area;
        w->invalid = true;
        w->owner->maybe_invalid = true;
        w->erase = w->erase || erase;
        wm_signal(w->owner);
    }
    wm_unlock();
    if (!found) wm_set_error(KERNEL_ERROR_INVALID_WINDOW_HANDLE);
    return found;
}

// The update region is a rectangle, so a partial validation can only trim whole edges.
BOOL WINAPI ValidateRect(HWND hwnd, const RECT *rect) {
    wm_lock();
    wm_window *w = wm_find(hwnd);
    if (w != nullptr && w->invalid) {
        RECT &u = w->update;
        if (rect == nullptr) {
            w->invalid = false;
        } else if (rect->top <= u.top && rect->bottom >= u.bottom) {
            if (rect->left <= u.left) u.left = std::max(u.left, rect->right);
            if (rect->right >= u.right) u.right = std::min(u.right, rect->left);
        } else if (rect->left <= u.left && rect->right >= u.right) {
            if (rect->top <= u.top) u.top = std::max(u.top, rect->bottom);
            if (rect->bottom >= u.bottom) u.bottom = std::min(u.bottom, rect->top);
        }
        if (is_empty(u)) w->invalid = false;
        if (!w->invalid) w->erase = false;
    }
    wm_unlock();
    return w != nullptr || hwnd == nullptr;
}

// Paints now, through the owner, if the window has anything invalid.
BOOL WINAPI UpdateWindow(HWND hwnd) {
    wm_lock();
    wm_window *w = wm_find(hwnd);
    bool needs_paint = w != nullptr && w->invalid && w->visible && !w->minimized;
    wm_unlock();
    if (w == nullptr) {
        wm_set_error(KERNEL_ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (needs_paint) SendMessageA(hwnd, WM_PAINT, 0, 0);
    return TRUE;
}

HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT paint) {
    if (paint == nullptr) return nullptr;
    memset(paint, 0, sizeof *paint);
    wm_lock();
    wm_window *w = wm_find(hwnd);
    if (w == nullptr) {
        wm_unlock();
        wm_set_error(KERNEL_ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    paint->rcPaint = w->invalid ? w->update : RECT{0, 0, 0, 0};
    bool erase = w->invalid && w->erase;
    w->invalid = false;
    w->erase = false;
    HDC dc = w->own_dc;
    if (dc == nullptr) {
        dc = gdi_create_surface_dc(w->surface.pixels != nullptr ? &w->surface : nullptr);
        if (dc != nullptr) w->temporary_dcs.push_back(dc);
    }
    wm_unlock();
    paint->hdc = dc;
    // The background is erased by WM_ERASEBKGND; if nobody erased it, fErase tells the painter.
    if (erase && dc != nullptr) {
        paint->fErase = wm_call_proc(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) == 0;
    }
    return dc;
}

BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT *paint) {
    if (paint == nullptr) return FALSE;
    present(hwnd, paint->rcPaint);
    wm_lock();
    wm_window *w = wm_find(hwnd);
    bool temporary = w != nullptr && take_temporary_dc(w, paint->hdc);
    wm_unlock();
    if (temporary) DeleteDC(paint->hdc);
    return TRUE;
}

HDC WINAPI GetDC(HWND hwnd) {
    wm_lock();
    if (hwnd == nullptr) {
        HDC dc = gdi_create_surface_dc(nullptr);
        if (dc != nullptr) screen_dcs().push_back(dc);
        wm_unlock();
        return dc;
    }
    wm_window *w = wm_find(hwnd);
    HDC dc = nullptr;
    if (w != nullptr && w->own_dc != nullptr) {
        dc = w->own_dc;
    } else if (w != nullptr) {
        dc = gdi_create_surface_dc(w->surface.pixels != nullptr ? &w->surface : nullptr);
        if (dc != nullptr) w->temporary_dcs.push_back(dc);
    }
    wm_unlock();
    if (w == nullptr) wm_set_error(KERNEL_ERROR_INVALID_WINDOW_HANDLE);
    return dc;
}

// Whatever was drawn through the DC reaches the screen now.
int WINAPI ReleaseDC(HWND hwnd, HDC hdc) {
    wm_lock();
    if (hwnd == nullptr) {
        auto &dcs = screen_dcs();
        auto it = std::find(dcs.begin(), dcs.end(), hdc);
        bool found = it != dcs.end();
        if (found) dcs.erase(it);
        wm_unlock();
        if (found) DeleteDC(hdc);
        return found;
    }
    wm_window *w = wm_find(hwnd);
    bool own = w != nullptr && hdc != nullptr && hdc == w->own_dc;
    bool temporary = w != nullptr && !own && take_temporary_dc(w, hdc);
    RECT whole = w != nullptr ? client_rect_of(w) : RECT{};
    wm_unlock();
    if (!own && !temporary) return 0;
    present_or_defer(hwnd, whole);
    if (temporary) DeleteDC(hdc);
    return 1;
}
