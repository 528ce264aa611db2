// The DPI calls on our own platform, which has them all.
#include "core/scale/dpi_calls.h"

DPI_AWARENESS_CONTEXT set_thread_dpi_context(DPI_AWARENESS_CONTEXT context) {
    return SetThreadDpiAwarenessContext(context);
}

UINT window_dpi(HWND hwnd) {
    return GetDpiForWindow(hwnd);
}
