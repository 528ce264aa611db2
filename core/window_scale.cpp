// Choosing a window's scale from the desktop's density, and showing its buffer at that scale.
#include "core/window_scale.h"

namespace {

#ifdef _WIN32
// These came with Windows 10 (1607): looked up, so that the DLL still loads on older systems.
typedef DPI_AWARENESS_CONTEXT(WINAPI *set_context_call)(DPI_AWARENESS_CONTEXT);
typedef UINT(WINAPI *dpi_for_window_call)(HWND);

// Through void (*)(), the type that stands for any function without a warning.
void (*user32_call(const char *name))() {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return reinterpret_cast<void (*)()>(user32 ? GetProcAddress(user32, name) : nullptr);
}

DPI_AWARENESS_CONTEXT set_thread_context(DPI_AWARENESS_CONTEXT context) {
    static const auto set =
        reinterpret_cast<set_context_call>(user32_call("SetThreadDpiAwarenessContext"));
    return set ? set(context) : nullptr;
}

// Without GetDpiForWindow the window's DC tells the density the system shows this thread:
// 96 for a thread it stretches, so such a system keeps scale 1 and its own stretching.
UINT dpi_for_window(HWND hwnd) {
    static const auto query = reinterpret_cast<dpi_for_window_call>(user32_call("GetDpiForWindow"));
    if (query) return query(hwnd);
    HDC dc = GetDC(hwnd);
    int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 96;
    if (dc) ReleaseDC(hwnd, dc);
    return static_cast<UINT>(dpi);
}
#else
DPI_AWARENESS_CONTEXT set_thread_context(DPI_AWARENESS_CONTEXT context) {
    return SetThreadDpiAwarenessContext(context);
}

UINT dpi_for_window(HWND hwnd) {
    return GetDpiForWindow(hwnd);
}
#endif

// ZELVAN_SCALE as a scale, or 0 when unset or not a whole number from 1 to MAX_WINDOW_SCALE
// (then the density decides, as if it were unset: a typo must not make windows unusable).
int scale_from_environment() {
    // Read from the process, not a C runtime's copy, which a host on another runtime may not
    // share.
    char text[8];
    DWORD length = GetEnvironmentVariableA("ZELVAN_SCALE", text, sizeof text);
    if (length == 0 || length >= sizeof text) return 0;
    int value = 0;
    for (DWORD i = 0; i < length; ++i) {
        if (text[i] < '0' || text[i] > '9') return 0;
        value = value * 10 + (text[i] - '0');
    }
    return value >= 1 && value <= MAX_WINDOW_SCALE ? value : 0;
}

} // namespace

void make_thread_dpi_aware() {
    // Version 2 also scales the frame on a move between screens; older Windows 10 lacks it.
    if (!set_thread_context(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2))
        set_thread_context(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
}

screen_pixels_scope::screen_pixels_scope() {
    previous = set_thread_context(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    if (!previous) previous = set_thread_context(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
}

screen_pixels_scope::~screen_pixels_scope() {
    if (previous) set_thread_context(previous);
}

// The environment wins everywhere, headless too, so that scaling can be tried and tested on
// any screen; a headless screen states no density and so gives 1.
int choose_window_scale(HWND hwnd) {
    int scale = scale_from_environment();
    if (scale) return scale;
    UINT dpi = dpi_for_window(hwnd);
    scale = static_cast<int>((dpi + 48) / 96);
    return scale < 1 ? 1 : scale > MAX_WINDOW_SCALE ? MAX_WINDOW_SCALE : scale;
}

void show_buffer(window_record *r, HDC dc) {
    int scale = window_scale(r);
    // Scale 1 keeps the plain copy it always had.
    if (scale == 1) {
        BitBlt(dc, 0, 0, r->width, r->height, r->memory_dc, 0, 0, SRCCOPY);
        return;
    }
    // COLORONCOLOR samples without blending: each drawing pixel becomes an exact block.
    int previous_mode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, screen_length(r, r->width), screen_length(r, r->height), r->memory_dc, 0,
               0, r->width, r->height, SRCCOPY);
    if (previous_mode) SetStretchBltMode(dc, previous_mode);
}
