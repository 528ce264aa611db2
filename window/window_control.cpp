// Title, position, size and show state of a window.
#include "core/heap.h"
#include "core/result_codes.h"
#include "core/scale/window_scale.h"
#include "core/window_lifetime.h"
#include "core/window_table.h"
#include "window/resize.h"

namespace {

enum { TITLE_BUFFER_SIZE = 300 };

// Shared by every window and thread; the next ZVGetTitle overwrites it.
char g_title_buffer[TITLE_BUFFER_SIZE];

int show_window_result(int handle, int command) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    if (window->canvas) return ZV_ERROR; // never shown, so never minimised either
    return ShowWindow(window->hwnd, command) ? ZV_OK : ZV_ERROR;
}

} // namespace

extern "C" {

ZVEXPORT int ZVAPI ZVSetTitle(int handle, const char *title) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    if (!title) title = "";
    char *copy = static_cast<char *>(heap_alloc(lstrlenA(title) + 1));
    EnterCriticalSection(&window->state_lock);
    heap_free(window->title);
    window->title = copy;
    if (copy) lstrcpyA(copy, title);
    LeaveCriticalSection(&window->state_lock);
    if (!copy) {
        set_last_error(ZV_ERR_NO_MEMORY);
        return ZV_ERR_NO_MEMORY;
    }
    // A canvas keeps its title for ZVGetTitle alone.
    if (!window->canvas)
        SendMessageA(window->hwnd, MSG_SET_TITLE, 0, reinterpret_cast<LPARAM>(title));
    return ZV_OK;
}

ZVEXPORT const char *ZVAPI ZVGetTitle(int handle) {
    window_ref window(handle);
    g_title_buffer[0] = '\0';
    if (!window.ok()) return g_title_buffer;
    EnterCriticalSection(&window->state_lock);
    // A window whose last retitling failed has no stored title: it reads as empty.
    if (window->title) lstrcpynA(g_title_buffer, window->title, TITLE_BUFFER_SIZE);
    LeaveCriticalSection(&window->state_lock);
    return g_title_buffer;
}

ZVEXPORT int ZVAPI ZVMove(int handle, int x, int y) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    if (window->canvas) return ZV_ERROR; // it has no place on any screen
    EnterCriticalSection(&window->state_lock);
    RECT frame = window->frame_rect;
    LeaveCriticalSection(&window->state_lock);
    if (frame.left == x && frame.top == y) return ZV_OK;
    screen_pixels_scope screen_pixels;
    GetWindowRect(window->hwnd, &frame);
    int frame_width = frame.right - frame.left;
    int frame_height = frame.bottom - frame.top;
    EnterCriticalSection(&window->state_lock);
    window->frame_rect = rect_at(x, y, frame_width, frame_height);
    window->x = x;
    window->y = y;
    LeaveCriticalSection(&window->state_lock);
    MoveWindow(window->hwnd, x, y, frame_width, frame_height, TRUE);
    return ZV_OK;
}

ZVEXPORT int ZVAPI ZVResize(int handle, int width, int height) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    return resize_window(window.record, width, height);
}

ZVEXPORT int ZVAPI ZVMinimize(int handle) {
    return show_window_result(handle, SW_MINIMIZE);
}

ZVEXPORT int ZVAPI ZVRestore(int handle) {
    return show_window_result(handle, SW_RESTORE);
}

ZVEXPORT int ZVAPI ZVBringWindowToFront(int handle) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    if (window->canvas) return ZV_ERROR;
    BringWindowToTop(window->hwnd);
    SetActiveWindow(window->hwnd);
    SetForegroundWindow(window->hwnd);
    SetFocus(window->hwnd);
    return ZV_OK;
}

ZVEXPORT int ZVAPI ZVGetWidth(int handle) {
    window_ref window(handle);
    return window.ok() ? window->width.load() : ZV_ERR_BAD_WINDOW;
}

ZVEXPORT int ZVAPI ZVGetHeight(int handle) {
    window_ref window(handle);
    return window.ok() ? window->height.load() : ZV_ERR_BAD_WINDOW;
}

ZVEXPORT int ZVAPI ZVGetWindowX(int handle) {
    window_ref window(handle);
    return window.ok() ? window->x.load() : ZV_ERR_BAD_WINDOW;
}

ZVEXPORT int ZVAPI ZVGetWindowY(int handle) {
    window_ref window(handle);
    return window.ok() ? window->y.load() : ZV_ERR_BAD_WINDOW;
}

} // extern "C"
