// ShowWindow: hidden, shown, minimised, maximised and restored windows.
#include "platform/posix/kernel/kernel_objects.h"
#include "platform/posix/user/wm_internal.h"

namespace {

// Where Win32 parks minimised windows, and the size of their icon frame.
const LONG iconic_position = -32000;
const LONG iconic_width = 160;
const LONG iconic_height = 28;

struct show_snapshot {
    bool exists;
    bool visible;
    bool minimized;
    bool maximized;
    bool first_size;
    DWORD style;
    RECT normal_frame;
    display_window *shown;
};

show_snapshot snapshot(HWND hwnd) {
    wm_lock();
    wm_window *w = wm_find(hwnd);
    show_snapshot s{};
    if (w != nullptr) {
        s = show_snapshot{
            true,     w->visible,      w->minimized, w->maximized, w->needs_first_size,
            w->style, w->normal_frame, w->shown};
    }
    wm_unlock();
    return s;
}

void set_state(HWND hwnd, bool visible, bool minimized, bool maximized) {
    wm_lock();
    wm_window *w = wm_find(hwnd);
    if (w != nullptr) {
        w->visible = visible;
        w->minimized = minimized;
        w->maximized = maximized;
    }
    display_window *shown = w != nullptr ? w->shown : nullptr;
    const display_driver *driver = w != nullptr ? w->driver : nullptr;
    wm_unlock();
    display_show state = !visible    ? DISPLAY_HIDDEN
                         : minimized ? DISPLAY_MINIMIZED
                         : maximized ? DISPLAY_MAXIMIZED
                                     : DISPLAY_NORMAL;
    if (shown != nullptr) driver->show(shown, state);
}

void make_visible(HWND hwnd, const show_snapshot &s) {
    if (s.visible) return;
    SendMessageA(hwnd, WM_SHOWWINDOW, TRUE, 0);
    set_state(hwnd, true, s.minimized, s.maximized);
}

void minimize(HWND hwnd, const show_snapshot &s) {
    if (s.minimized) return;
    set_state(hwnd, true, true, false);
    RECT icon{iconic_position, iconic_position, iconic_position + iconic_width,
              iconic_position + iconic_height};
    wm_set_frame(hwnd, icon, true, false);
}

void maximize(HWND hwnd, const show_snapshot &s) {
    MINMAXINFO info = wm_default_minmax(s.style);
    SendMessageA(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    set_state(hwnd, true, false, true);
    RECT frame =
        wm_rect_at(info.ptMaxPosition.x, info.ptMaxPosition.y, info.ptMaxSize.x, info.ptMaxSize.y);
    wm_set_frame(hwnd, frame, !s.maximized, true);
}

void restore(HWND hwnd, const show_snapshot &s) {
    if (!s.minimized && !s.maximized) return;
    set_state(hwnd, true, false, false);
    wm_set_frame(hwnd, s.normal_frame, true, true);
}

// The first time a window is shown it hears its size and position, as Win32 overlapped windows
// do; WM_SIZE comes before WM_MOVE on this path.
void send_first_size(HWND hwnd) {
    wm_lock();
    wm_window *w = wm_find(hwnd);
    bool owed = w != nullptr && w->needs_first_size && w->visible;
    RECT client{};
    WPARAM kind = SIZE_RESTORED;
    if (owed) {
        w->needs_first_size = false;
        client = wm_client_screen_rect(w);
        kind = w->minimized ? SIZE_MINIMIZED : w->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED;
    }
    wm_unlock();
    if (!owed) return;
    SendMessageA(hwnd, WM_SIZE, kind,
                 MAKELPARAM(client.right - client.left, client.bottom - client.top));
    SendMessageA(hwnd, WM_MOVE, 0, MAKELPARAM(client.left, client.top));
}

void hide(HWND hwnd, const show_snapshot &s) {
    if (!s.visible) return;
    SendMessageA(hwnd, WM_SHOWWINDOW, FALSE, 0);
    set_state(hwnd, false, s.minimized, s.maximized);
    wm_deactivate(hwnd);
}

} // namespace

// Runs on the owner thread; the result is whether the window was visible before.
LRESULT wm_show_on_owner(HWND hwnd, void *command_value) {
    int command = static_cast<int>(reinterpret_cast<intptr_t>(command_value));
    show_snapshot s = snapshot(hwnd);
    if (!s.exists) return FALSE;
    switch (command) {
    case SW_HIDE:
        hide(hwnd, s);
        return s.visible;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
        make_visible(hwnd, s);
        if (command == SW_SHOWMINIMIZED) wm_activate(hwnd, WA_ACTIVE);
        minimize(hwnd, s);
        if (command == SW_MINIMIZE) wm_deactivate(hwnd); // Win32 activates another window
        break;
    case SW_SHOWMAXIMIZED:
        make_visible(hwnd, s);
        wm_activate(hwnd, WA_ACTIVE);
        maximize(hwnd, s);
        break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
    case SW_SHOWDEFAULT:
    case SW_SHOW:
    case SW_SHOWNA:
    case SW_SHOWNOACTIVATE:
        make_visible(hwnd, s);
        if (command != SW_SHOWNA && command != SW_SHOWNOACTIVATE) wm_activate(hwnd, WA_ACTIVE);
        if (command == SW_SHOWNORMAL || command == SW_RESTORE || command == SW_SHOWDEFAULT) {
            restore(hwnd, s);
        }
        break;
    default:
        wm_set_error(KERNEL_ERROR_INVALID_PARAMETER);
        return s.visible;
    }
    send_first_size(hwnd);
    if (!s.visible || command != SW_SHOW) wm_invalidate_all(hwnd, true);
    return s.visible;
}

BOOL WINAPI ShowWindow(HWND hwnd, int command) {
    wm_lock();
    bool exists = wm_find(hwnd) != nullptr;
    wm_unlock();
    if (!exists) {
        wm_set_error(KERNEL_ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return static_cast<BOOL>(
        wm_run_on_owner(hwnd, wm_show_on_owner, reinterpret_cast<void *>(intptr_t(command))));
}
