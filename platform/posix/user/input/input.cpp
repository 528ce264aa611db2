// Input from the display drivers: pointer, buttons, characters, exposure and the user's own
// window operations, turned into the messages Win32 would deliver.
#include "platform/posix/user/wm_internal.h"

#include <algorithm>

namespace {

WPARAM mk_flags(int state) {
    WPARAM flags = 0;
    if (state & DISPLAY_BUTTON_LEFT) flags |= MK_LBUTTON;
    if (state & DISPLAY_BUTTON_RIGHT) flags |= MK_RBUTTON;
    if (state & DISPLAY_BUTTON_MIDDLE) flags |= MK_MBUTTON;
    if (state & DISPLAY_MOD_SHIFT) flags |= MK_SHIFT;
    if (state & DISPLAY_MOD_CONTROL) flags |= MK_CONTROL;
    if (state & DISPLAY_BUTTON_X1) flags |= MK_XBUTTON1;
    if (state & DISPLAY_BUTTON_X2) flags |= MK_XBUTTON2;
    return flags;
}

UINT button_message(int button, bool down) {
    if (button == DISPLAY_BUTTON_RIGHT) return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    if (button == DISPLAY_BUTTON_MIDDLE) return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    if (button == DISPLAY_BUTTON_X1 || button == DISPLAY_BUTTON_X2) {
        return down ? WM_XBUTTONDOWN : WM_XBUTTONUP;
    }
    return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
}

// Where a pointer event goes, and its point there (client coordinates) and on the screen.
struct pointer_route {
    HWND target;
    bool captured; // the target holds the mouse capture
    POINT client;
    POINT screen;
};

// The window holding the mouse capture gets the event, else the window under the pointer;
// false when neither exists. Also remembers the pointer's screen position for MSG.pt.
bool route_pointer(const display_event &e, pointer_route *route) {
    wm_lock();
    wm_window *under = e.window != nullptr ? wm_find(e.window) : nullptr;
    route->screen = POINT{e.x, e.y};
    if (under != nullptr) {
        RECT client = wm_client_screen_rect(under);
        route->screen = POINT{client.left + e.x, client.top + e.y};
    }
    bool known = e.window == nullptr || under != nullptr;
    if (known) wm().last_pointer = route->screen;
    if (known) wm().pointer_window = under != nullptr ? under->hwnd : nullptr;
    route->captured = wm().capture != nullptr;
    wm_window *to = wm().capture != nullptr ? wm_find(wm().capture) : under;
    if (to != nullptr && known) {
        RECT client = wm_client_screen_rect(to);
        route->target = to->hwnd;
        route->client = POINT{route->screen.x - client.left, route->screen.y - client.top};
    }
    wm_unlock();
    return to != nullptr && known;
}

void pointer(const display_event &e) {
    pointer_route route;
    if (!route_pointer(e, &route)) return;
    LPARAM where = MAKELPARAM(route.client.x, route.client.y);
    bool down = e.kind == DISPLAY_EVENT_BUTTON_DOWN;
    UINT message =
        e.kind == DISPLAY_EVENT_POINTER_MOVE ? WM_MOUSEMOVE : button_message(e.button, down);
    // The window under the pointer chooses the cursor first, unless a drag holds the capture.
    if (!route.captured) {
        wm_notify_owner(route.target, WM_SETCURSOR, reinterpret_cast<WPARAM>(route.target),
                        MAKELPARAM(HTCLIENT, message), nullptr, nullptr);
    }
    if (e.kind == DISPLAY_EVENT_POINTER_MOVE) {
        PostMessageA(route.target, WM_MOUSEMOVE, mk_flags(e.state), where);
        return;
    }
    // A click on an inactive window activates it before the press arrives.
    if (down && route.target == e.window && GetForegroundWindow() != e.window) {
        wm_activate_later(e.window);
    }
    WPARAM wparam = mk_flags(e.state);
    if (e.button == DISPLAY_BUTTON_X1) wparam |= WPARAM(XBUTTON1) << 16;
    if (e.button == DISPLAY_BUTTON_X2) wparam |= WPARAM(XBUTTON2) << 16;
    PostMessageA(route.target, message, wparam, where);
}

// Win32 gives wheel messages screen coordinates and the turn in the high word.
void wheel(const display_event &e) {
    pointer_route route;
    if (e.repeat == 0 || !route_pointer(e, &route)) return;
    WPARAM turn = static_cast<WORD>(static_cast<short>(e.repeat * WHEEL_DELTA));
    UINT message = e.button == 1 ? WM_MOUSEHWHEEL : WM_MOUSEWHEEL;
    PostMessageA(route.target, message, mk_flags(e.state) | (turn << 16),
                 MAKELPARAM(route.screen.x, route.screen.y));
}

LRESULT deactivate_on_owner(HWND hwnd, void *) {
    wm_deactivate(hwnd);
    return TRUE;
}

// The screen moved the keyboard focus (a click, the window manager, another program): the
// library's own activation follows it. Focus it already agrees with changes nothing.
void focus_change(const display_event &e) {
    bool foreground = GetForegroundWindow() == e.window;
    if (e.kind == DISPLAY_EVENT_FOCUS_IN && !foreground) wm_activate_later(e.window);
    if (e.kind == DISPLAY_EVENT_FOCUS_OUT && foreground) {
        wm_notify_owner(e.window, 0, 0, 0, deactivate_on_owner, nullptr);
    }
}

// Characters go to the window named by the driver, else to the focus of the foreground thread.
// A Unicode window gets the character as UTF-16 (a surrogate pair as two messages, the pair
// repeated as often as typed); an ANSI one gets its byte in the ANSI code page, or '?'.
void character(const display_event &e) {
    HWND target = wm_keyboard_target(e.window);
    if (target == nullptr || e.repeat <= 0 || e.character > 0x10FFFF) return;
    wm_lock();
    wm_window *w = wm_find(target);
    bool unicode = w != nullptr && w->unicode;
    wm_unlock();
    LPARAM repeat = static_cast<LPARAM>(e.repeat & 0xFFFF);
    uint32_t c = e.character;
    if (unicode && c >= 0x10000) {
        WCHAR high = static_cast<WCHAR>(0xD800 + ((c - 0x10000) >> 10));
        WCHAR low = static_cast<WCHAR>(0xDC00 + ((c - 0x10000) & 0x3FF));
        for (int i = 0; i < e.repeat; ++i) {
            PostMessageA(target, WM_CHAR, high, 1);
            PostMessageA(target, WM_CHAR, low, 1);
        }
        return;
    }
    if (unicode) {
        PostMessageA(target, WM_CHAR, c, repeat);
        return;
    }
    WCHAR unit = static_cast<WCHAR>(c < 0x10000 ? c : '?');
    char byte = '?';
    if (c < 0x80) {
        byte = static_cast<char>(c);
    } else if (WideCharToMultiByte(CP_ACP, 0, &unit, 1, &byte, 1, "?", nullptr) != 1) {
        byte = '?';
    }
    PostMessageA(target, WM_CHAR, static_cast<unsigned char>(byte), repeat);
}

// A border drag or a move by the user: the tracking limits apply, as during a Win32 drag.
LRESULT configure_on_owner(HWND hwnd, void *context) {
    RECT frame = wm_clamp_rect(*static_cast<const RECT *>(context));
    RECT current;
    if (!GetWindowRect(hwnd, &current)) return FALSE;
    bool resized = frame.right - frame.left != current.right - current.left ||
                   frame.bottom - frame.top != current.bottom - current.top;
    if (resized) {
        MINMAXINFO info = wm_default_minmax(static_cast<DWORD>(GetWindowLongPtrA(hwnd, -16)));
        SendMessageA(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        LONG width = std::clamp(frame.right - frame.left, info.ptMinTrackSize.x,
                                std::max(info.ptMinTrackSize.x, info.ptMaxTrackSize.x));
        LONG height = std::clamp(frame.bottom - frame.top, info.ptMinTrackSize.y,
                                 std::max(info.ptMinTrackSize.y, info.ptMaxTrackSize.y));
        frame = wm_rect_at(frame.left, frame.top, width, height);
    }
    wm_follow_display_frame(hwnd, frame);
    return TRUE;
}

void show_request(HWND hwnd, int command) {
    wm_run_on_owner(hwnd, wm_show_on_owner, reinterpret_cast<void *>(intptr_t(command)));
}

} // namespace

// The close box does nothing for classes with CS_NOCLOSE, as on Win32; otherwise the request
// reaches the window as SC_CLOSE, whose default handling sends WM_CLOSE.
void wm_user_close(HWND hwnd) {
    wm_lock();
    wm_window *w = wm_find(hwnd);
    bool closable = w != nullptr && !(w->class_style & CS_NOCLOSE);
    wm_unlock();
    if (closable) PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
}

// The one entry point of the window manager for display drivers (see display_sink). Input is
// posted to the window's queue; the user's window operations run on the owner thread and
// return when it has handled them.
void wm_display_report(const display_event *event) {
    const display_event &e = *event;
    switch (e.kind) {
    case DISPLAY_EVENT_POINTER_MOVE:
    case DISPLAY_EVENT_BUTTON_DOWN:
    case DISPLAY_EVENT_BUTTON_UP:
        pointer(e);
        break;
    case DISPLAY_EVENT_CHAR:
        character(e);
        break;
    case DISPLAY_EVENT_EXPOSE:
        InvalidateRect(e.window, &e.rect, TRUE);
        break;
    case DISPLAY_EVENT_CONFIGURE: {
        RECT frame = e.rect;
        wm_run_on_owner(e.window, configure_on_owner, &frame);
        break;
    }
    case DISPLAY_EVENT_MAXIMIZE:
        show_request(e.window, SW_MAXIMIZE);
        break;
    case DISPLAY_EVENT_MINIMIZE:
        show_request(e.window, SW_MINIMIZE);
        break;
    case DISPLAY_EVENT_RESTORE:
        show_request(e.window, SW_RESTORE);
        break;
    case DISPLAY_EVENT_CLOSE:
        wm_user_close(e.window);
        break;
    case DISPLAY_EVENT_KEY_DOWN:
    case DISPLAY_EVENT_KEY_UP:
        wm_key_event(e);
        break;
    case DISPLAY_EVENT_WHEEL:
        wheel(e);
        break;
    case DISPLAY_EVENT_FOCUS_IN:
    case DISPLAY_EVENT_FOCUS_OUT:
        focus_change(e);
        break;
    case DISPLAY_EVENT_DESTROYED:
        wm_display_window_gone(e.window);
        break;
    case DISPLAY_EVENT_LOST:
        wm_display_lost();
        break;
    case DISPLAY_EVENT_DENSITY:
        wm_density_changed(e.window, e.dpi);
        break;
    }
}

BOOL WINAPI GetCursorPos(LPPOINT point) {
    if (point == nullptr) return FALSE;
    const display_driver *driver = wm_driver();
    if (driver == nullptr) return FALSE;
    driver->cursor_pos(point);
    return TRUE;
}

// One screen density for every thread: physical and logical positions are the same.
BOOL WINAPI GetPhysicalCursorPos(LPPOINT point) {
    return GetCursorPos(point);
}
