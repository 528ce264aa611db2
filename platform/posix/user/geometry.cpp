// Frame metrics, window and client rectangles, MoveWindow.
#include "platform/posix/kernel/kernel_objects.h"
#include "platform/posix/user/wm_internal.h"

#include <algorithm>
#include <atomic>

namespace {

// The frame metrics of this platform, fixed and used by every rectangle it reports.
const LONG sizing_border = 4; // WS_THICKFRAME
const LONG dialog_border = 3; // a caption without a sizing frame
const LONG thin_border = 1;   // WS_BORDER alone
const LONG caption_height = 23;
const LONG menu_height = 19;
const LONG min_track_width = 112;
const DWORD ws_border = 0x00800000L;
const DWORD ws_dlgframe = 0x00400000L;

// The window manager's decoration of titled windows, when the display driver knows it.
std::atomic<bool> decoration_known{false};
RECT decoration;

struct move_request {
    RECT frame;
    BOOL repaint;
};

LRESULT move_on_owner(HWND hwnd, void *context) {
    const move_request *request = static_cast<const move_request *>(context);
    wm_set_frame(hwnd, request->frame, false, request->repaint);
    return TRUE;
}

const LONG edge_limit = (1 << 30) - 1;

} // namespace

void wm_screen_size(int *width, int *height) {
    const display_driver *driver = wm_driver();
    *width = 1920;
    *height = 1080;
    if (driver != nullptr) driver->screen_size(width, height);
}

LONG wm_clamp_edge(int64_t value) {
    return static_cast<LONG>(std::clamp<int64_t>(value, -edge_limit, edge_limit));
}

RECT wm_clamp_rect(const RECT &rect) {
    return RECT{wm_clamp_edge(rect.left), wm_clamp_edge(rect.top), wm_clamp_edge(rect.right),
                wm_clamp_edge(rect.bottom)};
}

RECT wm_rect_at(int64_t x, int64_t y, int64_t width, int64_t height) {
    return RECT{wm_clamp_edge(x), wm_clamp_edge(y), wm_clamp_edge(x + width),
                wm_clamp_edge(y + height)};
}

void wm_set_decoration(const RECT &extents) {
    decoration = extents;
    decoration_known.store(true, std::memory_order_release);
}

RECT wm_frame_insets(DWORD style) {
    if ((style & WS_CAPTION) == WS_CAPTION && decoration_known.load(std::memory_order_acquire)) {
        return decoration;
    }
    LONG border = 0;
    if (style & WS_THICKFRAME) {
        border = sizing_border;
    } else if (style & ws_dlgframe) {
        border = dialog_border;
    } else if (style & ws_border) {
        border = thin_border;
    }
    LONG caption = (style & WS_CAPTION) == WS_CAPTION ? caption_height : 0;
    return RECT{border, border + caption, border, border};
}

// A minimised window has no client area; it sits at the frame's corner.
RECT wm_client_screen_rect(const wm_window *w) {
    if (w->minimized) return RECT{w->frame.left, w->frame.top, w->frame.left, w->frame.top};
    RECT insets = wm_frame_insets(w->style);
    RECT client{w->frame.left + insets.left, w->frame.top + insets.top,
                w->frame.right - insets.right, w->frame.bottom - insets.bottom};
    client.right = std::max(client.right, client.left);
    client.bottom = std::max(client.bottom, client.top);
    return client;
}

// The defaults a window procedure may change in WM_GETMINMAXINFO: a maximised window covers
// the screen with its borders just off it.
MINMAXINFO wm_default_minmax(DWORD style) {
    int width, height;
    wm_screen_size(&width, &height);
    RECT insets = wm_frame_insets(style);
    MINMAXINFO info{};
    info.ptMaxSize = POINT{width + insets.left + insets.right, height + 2 * insets.bottom};
    info.ptMaxPosition = POINT{-insets.left, -insets.bottom};
    info.ptMinTrackSize = POINT{min_track_width, insets.top + insets.bottom};
    info.ptMaxTrackSize = POINT{info.ptMaxSize.x + 12, info.ptMaxSize.y + 12};
    return info;
}

namespace {

// `asked` tells a place the program chose from one the display reports.
void set_frame(HWND hwnd, const RECT &requested, bool force_size, bool repaint, bool asked) {
    RECT frame = wm_clamp_rect(requested);
    wm_lock();
    wm_window *w = wm_find(hwnd);
    if (w == nullptr) {
        wm_unlock();
        return;
    }
    RECT before = wm_client_screen_rect(w);
    w->frame = frame;
    if (asked) w->asked_frame = frame;
    if (!w->minimized && !w->maximized) w->normal_frame = frame;
    RECT client = wm_client_screen_rect(w);
    int width = client.right - client.left, height = client.bottom - client.top;
    bool sized = width != before.right - before.left || height != before.bottom - before.top;
    bool moved = client.left != before.left || client.top != before.top;
    if (!w->minimized) wm_resize_surface(w, width, height);
    bool redraw = sized && (repaint || (w->class_style & (CS_HREDRAW | CS_VREDRAW)));
    WPARAM kind = w->minimized ? SIZE_MINIMIZED : w->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED;
    display_window *shown = w->shown;
    const display_driver *driver = w->driver;
    wm_unlock();

    // The display hears how the window may be placed before where it goes: a window leaving
    // fullscreen is handed back by the screen's window manager first, then moved.
    if (sized || force_size) wm_update_placement(hwnd);
    if (shown != nullptr) driver->move_resize(shown, &frame, &client);
    if (redraw) wm_invalidate_all(hwnd, true);
    // WM_MOVE before WM_SIZE, as DefWindowProc's WM_WINDOWPOSCHANGED sends them.
    if (moved) SendMessageA(hwnd, WM_MOVE, 0, MAKELPARAM(client.left, client.top));
    if (sized || force_size) SendMessageA(hwnd, WM_SIZE, kind, MAKELPARAM(width, height));
}

} // namespace

void wm_set_frame(HWND hwnd, const RECT &frame, bool force_size, bool repaint) {
    set_frame(hwnd, frame, force_size, repaint, true);
}

void wm_follow_display_frame(HWND hwnd, const RECT &frame) {
    set_frame(hwnd, frame, false, true, false);
}

BOOL WINAPI AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) {
    if (rect == nullptr) return FALSE;
    wm_driver(); // opened first, so that its decoration widths are known from the start
    RECT insets = wm_frame_insets(style);
    RECT client = wm_clamp_rect(*rect);
    *rect = RECT{wm_clamp_edge(int64_t{client.left} - insets.left),
                 wm_clamp_edge(int64_t{client.top} - insets.top - (menu ? menu_height : 0)),
                 wm_clamp_edge(int64_t{client.right} + insets.right),
                 wm_clamp_edge(int64_t{client.bottom} + insets.bottom)};
    return TRUE;
}

BOOL WINAPI MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
    move_request request{wm_rect_at(x, y, std::max(width, 0), std::max(height, 0)), repaint};
    wm_lock();
    bool exists = wm_find(hwnd) != nullptr;
    wm_unlock();
    if (!exists) {
        wm_set_error(KERNEL_ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return wm_run_on_owner(hwnd, move_on_owner, &request) != 0;
}

BOOL WINAPI GetWindowRect(HWND hwnd, LPRECT rect) {
    wm_lock();
    wm_window *w = wm_find(hwnd);
    if (w != nullptr && rect != nullptr) *rect = w->frame;
    wm_unlock();
    if (w == nullptr) wm_set_error(KERNEL_ERROR_INVALID_WINDOW_HANDLE);
    return w != nullptr && rect != nullptr;
}

BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect) {
    wm_lock();
    wm_window *w = wm_find(hwnd);
    if (w != nullptr && rect != nullptr) {
        RECT client = wm_client_screen_rect(w);
        *rect = RECT{0, 0, client.right - client.left, client.bottom - client.top};
    }
    wm_unlock();
    if (w == nullptr) wm_set_error(KERNEL_ERROR_INVALID_WINDOW_HANDLE);
    return w != nullptr && rect != nullptr;
}
