// Window state that any thread may read or set: existence, visibility, longs and the title.
#include "platform/posix/kernel/kernel_objects.h"
#include "platform/posix/user/wm_internal.h"

#include <string.h>

namespace {

const int gwlp_wndproc = -4;
const int gwlp_hinstance = -6;
const int gwl_style = -16;
const int gwl_exstyle = -20;
const DWORD ws_maximize = 0x01000000L;
const DWORD error_invalid_index = 1413;

// The style as Win32 reports it: the stored bits plus the current show state.
LONG_PTR style_of(const wm_window *w) {
    DWORD style = w->style;
    if (w->visible) style |= WS_VISIBLE;
    if (w->minimized) style |= WS_MINIMIZE;
    if (w->maximized) style |= ws_maximize;
    return static_cast<LONG_PTR>(style);
}

template <typename Read> auto read_window(HWND hwnd, Read read) -> decltype(read(nullptr)) {
    wm_lock();
    wm_window *w = wm_find(hwnd);
    auto value = w != nullptr ? read(w) : decltype(read(nullptr))();
    wm_unlock();
    if (w == nullptr) wm_set_error(KERNEL_ERROR_INVALID_WINDOW_HANDLE);
    return value;
}

} // namespace

BOOL WINAPI IsWindow(HWND hwnd) {
    wm_lock();
    bool exists = wm_find(hwnd) != nullptr;
    wm_unlock();
    return exists;
}

BOOL WINAPI IsWindowVisible(HWND hwnd) {
    return read_window(hwnd, [](wm_window *w) { return BOOL(w->visible); });
}

BOOL WINAPI IsIconic(HWND hwnd) {
    return read_window(hwnd, [](wm_window *w) { return BOOL(w->minimized); });
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND hwnd, int index) {
    bool known = true;
    LONG_PTR value = read_window(hwnd, [&](wm_window *w) -> LONG_PTR {
        switch (index) {
        case GWLP_USERDATA:
            return w->user_data;
        case gwlp_wndproc:
            return reinterpret_cast<LONG_PTR>(w->proc);
        case gwlp_hinstance:
            return reinterpret_cast<LONG_PTR>(w->instance);
        case gwl_style:
            return style_of(w);
        case gwl_exstyle:
            return static_cast<LONG_PTR>(w->ex_style);
        default:
            known = false;
            return 0;
        }
    });
    if (!known) wm_set_error(error_invalid_index);
    return value;
}

// Returns the previous value; like Win32 it leaves the last error alone on success.
LONG_PTR WINAPI SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
    bool known = true;
    LONG_PTR previous = read_window(hwnd, [&](wm_window *w) -> LONG_PTR {
        LONG_PTR old = 0;
        switch (index) {
        case GWLP_USERDATA:
            old = w->user_data, w->user_data = value;
            break;
        case gwlp_wndproc:
            old = reinterpret_cast<LONG_PTR>(w->proc);
            w->proc = reinterpret_cast<WNDPROC>(value);
            break;
        case gwl_style:
            // The show state stays the window's own; the frame follows the new style at the
            // next SetWindowPos with SWP_FRAMECHANGED, which sends the WM_SIZE for it.
            old = style_of(w);
            w->style = static_cast<DWORD>(value) & ~(WS_VISIBLE | WS_MINIMIZE | ws_maximize);
            break;
        default:
            known = false;
            break;
        }
        return old;
    });
    if (!known) wm_set_error(error_invalid_index);
    return previous;
}

// WM_SETTEXT reaches the procedure on the owner thread; DefWindowProcA stores the text.
BOOL WINAPI SetWindowTextA(HWND hwnd, LPCSTR text) {
    if (!IsWindow(hwnd)) {
        wm_set_error(KERNEL_ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0;
}

int WINAPI GetWindowTextA(HWND hwnd, LPSTR text, int max_chars) {
    if (text == nullptr || max_chars <= 0) return 0;
    text[0] = '\0';
    return read_window(hwnd,
                       [&](wm_window *w) { return wm_ansi_from_utf8(w->title, text, max_chars); });
}
