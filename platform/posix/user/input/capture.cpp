// The mouse capture: while a window holds it, every pointer move and button goes to that
// window, wherever the pointer is (input.cpp routes them).
#include "platform/posix/user/wm_internal.h"

namespace {

// True when `hwnd` is a window of the calling thread. Lock held.
bool owned_here(HWND hwnd) {
    wm_window *w = wm_find(hwnd);
    return w != nullptr && w->owner != nullptr && w->owner == wm_this_queue_if_any();
}

} // namespace

// As on Win32, only a window of the calling thread takes the capture; the window that loses
// it hears WM_CAPTURECHANGED with the new holder.
HWND WINAPI SetCapture(HWND hwnd) {
    wm_lock();
    if (!owned_here(hwnd)) {
        wm_unlock();
        return nullptr;
    }
    HWND previous = wm().capture;
    wm().capture = hwnd;
    wm_unlock();
    if (previous != nullptr && previous != hwnd) {
        SendMessageA(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    }
    return previous;
}

BOOL WINAPI ReleaseCapture(void) {
    wm_lock();
    HWND holder = wm().capture;
    bool ours = owned_here(holder);
    if (ours) wm().capture = nullptr;
    wm_unlock();
    if (ours) SendMessageA(holder, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND WINAPI GetCapture(void) {
    wm_lock();
    HWND holder = wm().capture;
    bool ours = owned_here(holder);
    wm_unlock();
    return ours ? holder : nullptr;
}
