// Choosing a window's scale from the desktop's density, and showing its buffer at that scale.
#include "core/scale/window_scale.h"

#include "core/scale/dpi_calls.h"
#include "core/startup/library_state.h"

namespace {

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
    if (!set_thread_dpi_context(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2))
        set_thread_dpi_context(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
}

screen_pixels_scope::screen_pixels_scope() {
    previous = set_thread_dpi_context(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    if (!previous) previous = set_thread_dpi_context(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
}

screen_pixels_scope::~screen_pixels_scope() {
    if (previous) set_thread_dpi_context(previous);
}

// The environment wins everywhere, headless too, so that scaling can be tried and tested on
// any screen; a headless screen states no density and so gives 1.
int scale_for_dpi(UINT dpi) {
    int scale = scale_from_environment();
    if (scale) return scale;
    scale = static_cast<int>((dpi + 48) / 96);
    return scale < 1 ? 1 : scale > MAX_WINDOW_SCALE ? MAX_WINDOW_SCALE : scale;
}

int choose_window_scale(HWND hwnd) {
    return scale_for_dpi(window_dpi(hwnd));
}

// The GUI thread's hidden handler window stands on the primary screen.
int primary_screen_scale() {
    return choose_window_scale(g_gui_thread.handler_window.load());
}

void show_buffer(window_record *window, HDC dc) {
    int scale = window_scale(window);
    // Scale 1 keeps the plain copy it always had.
    if (scale == 1) {
        BitBlt(dc, 0, 0, window->width, window->height, window->memory_dc, 0, 0, SRCCOPY);
        return;
    }
    // COLORONCOLOR samples without blending: each drawing pixel becomes an exact block.
    int previous_mode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, screen_length(window, window->width),
               screen_length(window, window->height), window->memory_dc, 0, 0, window->width,
               window->height, SRCCOPY);
    if (previous_mode) SetStretchBltMode(dc, previous_mode);
}
