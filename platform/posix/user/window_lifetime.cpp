// CreateWindowExA, DestroyWindow, DefWindowProcA and DefWindowProcW.
#include "platform/posix/kernel/kernel_objects.h"
#include "platform/posix/user/wm_internal.h"

#include <algorithm>

namespace {

const DWORD ws_popup = 0x80000000u;
const DWORD ws_child = 0x40000000u;

// Win32's CREATESTRUCTA, the lParam of WM_NCCREATE and WM_CREATE.
struct create_struct {
    LPVOID create_params;
    HINSTANCE instance;
    HMENU menu;
    HWND parent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCSTR name;
    LPCSTR class_name;
    DWORD ex_style;
};

wm_window *new_window(const wm_class *c, DWORD style, DWORD ex_style, LPCSTR title,
                      HINSTANCE instance) {
    wm_window *w = new wm_window();
    w->proc = c->proc;
    w->class_style = c->style;
    w->class_background = c->background;
    w->unicode = c->unicode;
    w->instance = instance;
    w->style = style & ~static_cast<DWORD>(WS_VISIBLE | WS_MINIMIZE);
    w->ex_style = ex_style;
    w->title = wm_utf8_from_ansi(title);
    w->needs_first_size = true;
    w->dpi_aware = wm_thread_dpi_aware();
    return w;
}

// Overlapped and sizeable windows are kept within the tracking limits, which the window
// procedure may change in WM_GETMINMAXINFO.
RECT clamped_frame(HWND hwnd, DWORD style, int x, int y, int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if ((style & WS_THICKFRAME) || !(style & (ws_popup | ws_child))) {
        MINMAXINFO info = wm_default_minmax(style);
        SendMessageA(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        width = std::min(std::max(width, int(info.ptMinTrackSize.x)), int(info.ptMaxTrackSize.x));
        height = std::min(std::max(height, int(info.ptMinTrackSize.y)), int(info.ptMaxTrackSize.y));
    }
    return wm_rect_at(x, y, width, height);
}

// Gives the window its frame, client surface, own DC and display window. Owner thread.
void place_window(HWND hwnd, const RECT &frame, const display_driver *driver) {
    wm_lock();
    wm_window *w = wm_find(hwnd);
    if (w == nullptr) { // the procedure destroyed it during WM_GETMINMAXINFO
        wm_unlock();
        return;
    }
    w->frame = frame;
    w->normal_frame = frame;
    w->asked_frame = frame;
    RECT client = wm_client_screen_rect(w);
    wm_resize_surface(w, client.right - client.left, client.bottom - client.top);
    if (w->class_style & CS_OWNDC) {
        w->own_dc = gdi_create_surface_dc(w->surface.pixels != nullptr ? &w->surface : nullptr);
    }
    display_window_desc desc{hwnd, w->title.c_str(), frame, client};
    wm_unlock();
    // The title is only read during create; the owner thread is the only one that changes it.
    wm_attach_shown(hwnd, driver->create(&desc), driver);
}

// Removes a window from the window list and frees it. Owner thread, after WM_NCDESTROY.
void discard_window(HWND hwnd) {
    wm_lock();
    wm_window *w = wm_find(hwnd);
    if (w != nullptr) wm_remove(w);
    wm_unlock();
    if (w != nullptr) wm_free_window(w);
}

LRESULT destroy_on_owner(HWND hwnd, void *) {
    wm_lock();
    wm_window *w = wm_find(hwnd);
    bool first = w != nullptr && !w->destroying;
    if (first) w->destroying = true;
    bool visible = first && w->visible;
    display_window *shown = first ? w->shown : nullptr;
    const display_driver *driver = first ? w->driver : nullptr;
    if (visible) w->visible = false;
    wm_unlock();
    if (!first) return w != nullptr; // already on its way out, e.g. DestroyWindow in WM_DESTROY
    if (visible && shown != nullptr) driver->show(shown, DISPLAY_HIDDEN);
    wm_deactivate(hwnd);
    wm_call_proc(hwnd, WM_DESTROY, 0, 0);
    wm_call_proc(hwnd, WM_NCDESTROY, 0, 0);
    discard_window(hwnd);
    return TRUE;
}

// The creation messages; false when the procedure refused the window.
bool send_creation_messages(HWND hwnd, create_struct *cs) {
    LPARAM lparam = reinterpret_cast<LPARAM>(cs);
    if (!wm_call_proc(hwnd, WM_NCCREATE, 0, lparam)) {
        wm_call_proc(hwnd, WM_NCDESTROY, 0, 0);
        discard_window(hwnd);
        return false;
    }
    if (wm_call_proc(hwnd, WM_CREATE, 0, lparam) == -1) {
        DestroyWindow(hwnd);
        return false;
    }
    return true;
}

} // namespace

bool wm_attach_shown(HWND hwnd, display_window *shown, const display_driver *driver) {
    wm_lock();
    wm_window *w = wm_find(hwnd);
    if (w != nullptr) {
        w->shown = shown;
        w->driver = driver;
    }
    wm_unlock();
    if (w == nullptr && shown != nullptr) driver->destroy(shown); // destroyed meanwhile
    return w != nullptr;
}

HWND WINAPI CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR title, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
    // Without a screen no window can be made, as on a Win32 desktop the process cannot reach.
    const display_driver *driver = wm_driver();
    if (driver == nullptr) {
        wm_set_error(KERNEL_ERROR_ACCESS_DENIED);
        return nullptr;
    }
    wm_lock();
    wm_class *c = wm_find_class(class_name);
    wm_window *w = c != nullptr ? new_window(c, style, ex_style, title, instance) : nullptr;
    HWND hwnd = w != nullptr ? wm_insert(w) : nullptr;
    if (hwnd != nullptr) {
        w->owner = wm_this_queue(); // a window belongs to the thread that creates it
        w->owner->windows.push_back(hwnd);
    }
    wm_unlock();
    if (hwnd == nullptr) {
        delete w;
        wm_set_error(c == nullptr ? KERNEL_ERROR_CANNOT_FIND_WND_CLASS
                                  : KERNEL_ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    RECT frame = clamped_frame(hwnd, style, x, y, width, height);
    place_window(hwnd, frame, driver);
    create_struct cs{param,
                     instance,
                     menu,
                     parent,
                     int(frame.bottom - frame.top),
                     int(frame.right - frame.left),
                     y,
                     x,
                     static_cast<LONG>(style),
                     title,
                     class_name,
                     ex_style};
    if (!send_creation_messages(hwnd, &cs)) return nullptr;
    if (style & WS_VISIBLE) ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

// From another thread the destruction runs on the owner thread, so that WM_DESTROY and
// WM_NCDESTROY reach the procedure there.
BOOL WINAPI DestroyWindow(HWND hwnd) {
    wm_lock();
    bool exists = wm_find(hwnd) != nullptr;
    wm_unlock();
    if (!exists) {
        wm_set_error(KERNEL_ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return wm_run_on_owner(hwnd, destroy_on_owner, nullptr) != 0;
}

// The class background brush erases; without one nothing is erased and BeginPaint says so.
static LRESULT erase_background(HWND hwnd, HDC dc) {
    wm_lock();
    wm_window *w = wm_find(hwnd);
    HBRUSH brush = w != nullptr ? w->class_background : nullptr;
    RECT client = w != nullptr ? wm_client_screen_rect(w) : RECT{};
    wm_unlock();
    if (brush == nullptr) return 0;
    RECT area{0, 0, client.right - client.left, client.bottom - client.top};
    FillRect(dc, &area, brush);
    return 1;
}

static LRESULT set_text(HWND hwnd, const std::string &utf8) {
    wm_lock();
    wm_window *w = wm_find(hwnd);
    display_window *shown = w != nullptr ? w->shown : nullptr;
    const display_driver *driver = w != nullptr ? w->driver : nullptr;
    if (w != nullptr) w->title = utf8;
    wm_unlock();
    if (shown != nullptr) driver->set_title(shown, utf8.c_str());
    return w != nullptr;
}

LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_NCCREATE:
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_SYSKEYDOWN:
        // Alt+F4 asks to close the window, as its close box does.
        if (wparam == VK_F4 && (lparam & (1 << 29)) != 0) wm_user_close(hwnd);
        return 0;
    case WM_SYSCOMMAND:
        if ((wparam & 0xFFF0) == SC_CLOSE) SendMessageA(hwnd, WM_CLOSE, 0, 0);
        return 0;
    case WM_SETTEXT:
        return set_text(hwnd, wm_utf8_from_ansi(reinterpret_cast<LPCSTR>(lparam)));
    case WM_SETCURSOR:
        return wm_default_set_cursor(hwnd, lparam);
    case WM_SETICON:
    case WM_GETICON:
        return wm_default_icon_message(hwnd, message, wparam, lparam);
    case WM_ERASEBKGND:
        return erase_background(hwnd, reinterpret_cast<HDC>(wparam));
    case WM_PAINT: {
        PAINTSTRUCT paint; // validates, so an unhandled WM_PAINT does not come back
        if (BeginPaint(hwnd, &paint) != nullptr) EndPaint(hwnd, &paint);
        return 0;
    }
    default:
        return 0;
    }
}

// Only WM_SETTEXT carries text among the messages handled by default here; the rest are
// handled as DefWindowProcA handles them.
LRESULT WINAPI DefWindowProcW(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_SETTEXT)
        return set_text(hwnd, wm_utf8_from_wide(reinterpret_cast<LPCWSTR>(lparam)));
    return DefWindowProcA(hwnd, message, wparam, lparam);
}
