// Activation, the foreground window, keyboard focus and the stacking order.
#include "platform/posix/kernel/kernel_objects.h"
#include "platform/posix/user/wm_internal.h"

namespace {

// Messages to a window of this thread are sent now; another thread gets them without
// anyone waiting, as Win32 hands activation changes across threads.
void tell(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    wm_notify_owner(hwnd, message, wparam, lparam, nullptr, nullptr);
}

void raise(HWND hwnd) {
    wm_lock();
    wm_window *w = wm_find(hwnd);
    display_window *shown = w != nullptr ? w->shown : nullptr;
    const display_driver *driver = w != nullptr ? w->driver : nullptr;
    wm_unlock();
    if (shown != nullptr) driver->raise(shown);
}

LRESULT activate_on_owner(HWND hwnd, void *how) {
    wm_activate(hwnd, static_cast<WORD>(reinterpret_cast<uintptr_t>(how)));
    return TRUE;
}

LRESULT bring_to_top_on_owner(HWND hwnd, void *) {
    raise(hwnd);
    wm_activate(hwnd, WA_ACTIVE);
    return TRUE;
}

// Lock held: true for a window of the calling thread.
bool is_mine(wm_window *w) {
    return w != nullptr && w->owner == wm_this_queue_if_any();
}

} // namespace

// Makes `hwnd` the foreground and active window with the focus. The window that loses them
// hears WM_ACTIVATE(WA_INACTIVE) first, then the new one WM_ACTIVATE, then focus moves.
void wm_activate(HWND hwnd, WORD how) {
    wm_lock();
    wm_window *w = wm_find(hwnd);
    if (w == nullptr || w->destroying) {
        wm_unlock();
        return;
    }
    wm_queue *q = w->owner;
    HWND old_foreground = wm().foreground;
    HWND old_focus = q->focus;
    bool already = old_foreground == hwnd && q->active == hwnd;
    if (old_foreground != nullptr && old_foreground != hwnd) {
        wm_window *old = wm_find(old_foreground);
        if (old != nullptr && old->owner != q) {
            if (old->owner->focus == old_foreground) old_focus = old_foreground;
            old->owner->active = nullptr;
            old->owner->focus = nullptr;
        }
    }
    wm().foreground = hwnd;
    q->active = hwnd;
    q->focus = hwnd;
    wm_unlock();

    raise(hwnd);
    if (already) return;
    if (old_foreground != nullptr && old_foreground != hwnd) {
        tell(old_foreground, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(hwnd));
    }
    SendMessageA(hwnd, WM_ACTIVATE, how, reinterpret_cast<LPARAM>(old_foreground));
    if (old_focus != nullptr && old_focus != hwnd) {
        tell(old_focus, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    }
    if (old_focus != hwnd) SendMessageA(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old_focus), 0);
}

// Takes activation and focus away from `hwnd` (hidden, minimised or being destroyed).
void wm_deactivate(HWND hwnd) {
    wm_lock();
    wm_window *w = wm_find(hwnd);
    bool active = false, focused = false;
    if (w != nullptr) {
        active = w->owner->active == hwnd || wm().foreground == hwnd;
        focused = w->owner->focus == hwnd;
        if (w->owner->active == hwnd) w->owner->active = nullptr;
        if (focused) w->owner->focus = nullptr;
        if (wm().foreground == hwnd) wm().foreground = nullptr;
    }
    wm_unlock();
    if (active) SendMessageA(hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
    if (focused) SendMessageA(hwnd, WM_KILLFOCUS, 0, 0);
}

// Click activation, asked for by the input path without waiting for the owner.
void wm_activate_later(HWND hwnd) {
    wm_notify_owner(hwnd, 0, 0, 0, activate_on_owner,
                    reinterpret_cast<void *>(static_cast<uintptr_t>(WA_CLICKACTIVE)));
}

BOOL WINAPI BringWindowToTop(HWND hwnd) {
    wm_lock();
    bool exists = wm_find(hwnd) != nullptr;
    wm_unlock();
    if (!exists) {
        wm_set_error(KERNEL_ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return wm_run_on_owner(hwnd, bring_to_top_on_owner, nullptr) != 0;
}

// Like Win32, only a window of the calling thread can be made active or given the focus this
// way; for other threads' windows both calls fail and change nothing.
HWND WINAPI SetActiveWindow(HWND hwnd) {
    wm_lock();
    wm_window *w = wm_find(hwnd);
    bool mine = is_mine(w);
    HWND previous = mine ? w->owner->active : nullptr;
    wm_unlock();
    if (!mine) {
        wm_set_error(KERNEL_ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    wm_activate(hwnd, WA_ACTIVE);
    return previous;
}

BOOL WINAPI SetForegroundWindow(HWND hwnd) {
    wm_lock();
    bool exists = wm_find(hwnd) != nullptr;
    wm_unlock();
    if (!exists) return FALSE;
    return wm_run_on_owner(hwnd, activate_on_owner,
                           reinterpret_cast<void *>(static_cast<uintptr_t>(WA_ACTIVE))) != 0;
}

HWND WINAPI GetForegroundWindow(void) {
    wm_lock();
    HWND hwnd = wm().foreground;
    wm_unlock();
    return hwnd;
}

HWND WINAPI SetFocus(HWND hwnd) {
    wm_lock();
    wm_queue *q = wm_this_queue();
    HWND previous = q->focus;
    wm_window *w = hwnd != nullptr ? wm_find(hwnd) : nullptr;
    bool mine = is_mine(w);
    bool active = mine && q->active == hwnd;
    if (hwnd == nullptr) q->focus = nullptr;
    if (active) q->focus = hwnd;
    wm_unlock();
    if (hwnd == nullptr) {
        if (previous != nullptr) SendMessageA(previous, WM_KILLFOCUS, 0, 0);
        return previous;
    }
    if (!mine) {
        wm_set_error(KERNEL_ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (!active) {
        wm_activate(hwnd, WA_ACTIVE); // focus goes to a top-level window by activating it
    } else if (previous != hwnd) {
        if (previous != nullptr) SendMessageA(previous, WM_KILLFOCUS, (WPARAM)hwnd, 0);
        SendMessageA(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    }
    return previous;
}

HWND WINAPI GetFocus(void) {
    wm_lock();
    wm_queue *q = wm_this_queue_if_any();
    HWND hwnd = q != nullptr ? q->focus : nullptr;
    wm_unlock();
    return hwnd;
}
