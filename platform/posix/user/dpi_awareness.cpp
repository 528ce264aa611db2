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

// One screen, so system and per-monitor awareness see the same density; unaware windows are
// told 96 dpi, as Windows tells the windows it stretches for them.
UINT WINAPI GetDpiForWindow(HWND hwnd) {
    wm_lock();
    wm_window *w = wm_find(hwnd);
    bool found = w != nullptr;
    bool aware = found && w->dpi_aware;
    wm_unlock();
    if (!found) return 0;
    const display_driver *driver = wm_driver();
    int dpi =
        aware && driver != nullptr && driver->screen_dpi != nullptr ? driver->screen_dpi() : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}
