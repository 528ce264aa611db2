// DPI awareness of threads and the density windows are told: SetThreadDpiAwarenessContext,
// GetDpiForWindow.
#include "platform/posix/user/wm_internal.h"

namespace {

// A program without a manifest starts unaware, and so does each of its threads.
thread_local DPI_AWARENESS_CONTEXT thread_context = DPI_AWARENESS_CONTEXT_UNAWARE;

bool is_context(DPI_AWARENESS_CONTEXT context) {
    return context == DPI_AWARENESS_CONTEXT_UNAWARE ||
           context == DPI_AWARENESS_CONTEXT_SYSTEM_AWARE ||
           context == DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE ||
           context == DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 ||
           context == DPI_AWARENESS_CONTEXT_UNAWARE_GDISCALED;
}

} // namespace

bool wm_thread_dpi_aware(void) {
    return thread_context == DPI_AWARENESS_CONTEXT_SYSTEM_AWARE ||
           thread_context == DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE ||
           thread_context == DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2;
}

DPI_AWARENESS_CONTEXT WINAPI SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT context) {
    if (!is_context(context)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    DPI_AWARENESS_CONTEXT previous = thread_context;
    thread_context = context;
    return previous;
}

void wm_density_changed(HWND hwnd, int dpi) {
    if (dpi <= 0) return;
    wm_lock();
    wm_window *w = wm_find(hwnd);
    bool aware = w != nullptr && w->dpi_aware;
    bool news = w != nullptr && w->dpi != UINT(dpi);
    if (news) w->dpi = UINT(dpi);
    RECT suggested = w != nullptr ? w->frame : RECT{};
    wm_unlock();
    // The window stays where it is; its procedure gives it the size it wants there.
    if (aware && news) {
        SendMessageA(hwnd, WM_DPICHANGED, WPARAM(MAKELONG(dpi, dpi)),
                     reinterpret_cast<LPARAM>(&suggested));
    }
}

// Until the driver says which screen a window stands on, system and per-monitor awareness see
// the screen's density; unaware windows are told 96 dpi, as Windows tells the windows it
// stretches for them.
UINT WINAPI GetDpiForWindow(HWND hwnd) {
    wm_lock();
    wm_window *w = wm_find(hwnd);
    bool found = w != nullptr;
    bool aware = found && w->dpi_aware;
    UINT own = found ? w->dpi : 0;
    wm_unlock();
    if (!found) return 0;
    if (!aware) return 96;
    if (own != 0) return own;
    const display_driver *driver = wm_driver();
    int dpi = driver != nullptr && driver->screen_dpi != nullptr ? driver->screen_dpi() : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}
