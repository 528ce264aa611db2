// The DPI calls on Windows.
#include "core/scale/dpi_calls.h"

namespace {

// These came with Windows 10 (1607): looked up, so that the DLL still loads on older systems.
typedef DPI_AWARENESS_CONTEXT(WINAPI *set_context_call)(DPI_AWARENESS_CONTEXT);
typedef UINT(WINAPI *dpi_for_window_call)(HWND);

// Through void (*)(), the type that stands for any function without a warning.
void (*user32_call(const char *name))() {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return reinterpret_cast<void (*)()>(user32 ? GetProcAddress(user32, name) : nullptr);
}

} // namespace

DPI_AWARENESS_CONTEXT set_thread_dpi_context(DPI_AWARENESS_CONTEXT context) {
    static const auto set =
        reinterpret_cast<set_context_call>(user32_call("SetThreadDpiAwarenessContext"));
    return set ? set(context) : nullptr;
}

// Without GetDpiForWindow the window's DC tells the density the system shows this thread:
// 96 for a thread it stretches, so such a system keeps scale 1 and its own stretching.
UINT window_dpi(HWND hwnd) {
    static const auto query = reinterpret_cast<dpi_for_window_call>(user32_call("GetDpiForWindow"));
    if (query) return query(hwnd);
    HDC dc = GetDC(hwnd);
    int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 96;
    if (dc) ReleaseDC(hwnd, dc);
    return static_cast<UINT>(dpi);
}
