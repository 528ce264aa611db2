// SetWindowPos, the monitor and the screen metrics, and how the display lets the user place a
// window.
#include "platform/posix/kernel/kernel_objects.h"
#include "platform/posix/user/wm_internal.h"

#include <algorithm>

namespace {

// This platform shows one screen, so there is one monitor, the primary one.
HMONITOR const the_monitor = reinterpret_cast<HMONITOR>(uintptr_t{1});

struct position_request {
    HWND insert_after;
    int x, y, width, height;
    UINT flags;
};

LRESULT position_on_owner(HWND hwnd, void *context) {
    const position_request *p = static_cast<const position_request *>(context);
    RECT frame;
    if (!GetWindowRect(hwnd, &frame)) return FALSE;
    int64_t x = frame.left, y = frame.top;
    int64_t width = frame.right - frame.left, height = frame.bottom - frame.top;
    if (!(p->flags & SWP_NOMOVE)) x = p->x, y = p->y;
    if (!(p->flags & SWP_NOSIZE)) width = std::max(p->width, 0), height = std::max(p->height, 0);
    // A changed frame (a new style) is measured again: WM_SIZE comes even at the same size.
    bool frame_changed = (p->flags & SWP_FRAMECHANGED) != 0;
    wm_set_frame(hwnd, wm_rect_at(x, y, width, height), frame_changed, true);
    if (frame_changed) wm_invalidate_all(hwnd, true);
    if (!(p->flags & SWP_NOZORDER) && p->insert_after == HWND_TOP) BringWindowToTop(hwnd);
    return TRUE;
}

bool same_placement(const display_placement &a, const display_placement &b) {
    return a.min_width == b.min_width && a.min_height == b.min_height &&
           a.max_width == b.max_width && a.max_height == b.max_height &&
           a.fullscreen == b.fullscreen;
}

} // namespace

void wm_update_placement(HWND hwnd) {
    wm_lock();
    wm_window *w = wm_find(hwnd);
    if (w == nullptr || w->shown == nullptr || w->driver->set_placement == nullptr) {
        wm_unlock();
        return;
    }
    DWORD style = w->style;
    RECT frame = w->asked_frame;
    RECT client = wm_client_screen_rect(w);
    wm_unlock();

    display_placement placement{};
    int width = client.right - client.left, height = client.bottom - client.top;
    placement.min_width = placement.max_width = width;
    placement.min_height = placement.max_height = height;
    if (style & WS_THICKFRAME) {
        // A sizing border lets the user drag within the tracking limits the procedure sets.
        MINMAXINFO info = wm_default_minmax(style);
        SendMessageA(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        RECT insets = wm_frame_insets(style);
        LONG across = insets.left + insets.right, down = insets.top + insets.bottom;
        placement.min_width = std::max(1, info.ptMinTrackSize.x - across);
        placement.min_height = std::max(1, info.ptMinTrackSize.y - down);
        placement.max_width = std::max(placement.min_width, info.ptMaxTrackSize.x - across);
        placement.max_height = std::max(placement.min_height, info.ptMaxTrackSize.y - down);
    }
    int screen_width, screen_height;
    wm_screen_size(&screen_width, &screen_height);
    placement.fullscreen = !(style & (WS_CAPTION | WS_THICKFRAME)) && frame.left == 0 &&
                           frame.top == 0 && frame.right == screen_width &&
                           frame.bottom == screen_height;

    wm_lock();
    w = wm_find(hwnd);
    bool news = w != nullptr && (!w->placement_told || !same_placement(w->placement, placement));
    display_window *shown = nullptr;
    const display_driver *driver = nullptr;
    if (news) {
        w->placement = placement;
        w->placement_told = true;
        shown = w->shown;
        driver = w->driver;
    }
    wm_unlock();
    if (shown != nullptr) driver->set_placement(shown, &placement);
}

BOOL WINAPI SetWindowPos(HWND hwnd, HWND insert_after, int x, int y, int width, int height,
                         UINT flags) {
    if (!IsWindow(hwnd)) {
        wm_set_error(KERNEL_ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    position_request request{insert_after, x, y, width, height, flags};
    return wm_run_on_owner(hwnd, position_on_owner, &request) != 0;
}

HMONITOR WINAPI MonitorFromWindow(HWND hwnd, DWORD flags) {
    if (IsWindow(hwnd) || flags != MONITOR_DEFAULTTONULL) return the_monitor;
    return nullptr;
}

BOOL WINAPI GetMonitorInfoA(HMONITOR monitor, LPMONITORINFO info) {
    if (monitor != the_monitor || info == nullptr || info->cbSize < sizeof(MONITORINFO)) {
        return FALSE;
    }
    int width, height;
    wm_screen_size(&width, &height);
    info->rcMonitor = RECT{0, 0, width, height};
    info->rcWork = info->rcMonitor; // no task bar takes a part of it
    info->dwFlags = MONITORINFOF_PRIMARY;
    return TRUE;
}

int WINAPI GetSystemMetrics(int index) {
    int width, height;
    wm_screen_size(&width, &height);
    if (index == SM_CXSCREEN) return width;
    if (index == SM_CYSCREEN) return height;
    return 0;
}
