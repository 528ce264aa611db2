// The clipboard: held open by one thread at a time, one item per format, and the CF_DIB item
// handed to the display driver so that other programs can paste it.
#include "platform/posix/user/wm_internal.h"

#include <mutex>
#include <utility>
#include <vector>

namespace {

const DWORD k_error_access_denied = 5;
const DWORD k_error_not_enough_memory = 8;
const DWORD k_error_invalid_parameter = 87;
const DWORD k_error_clipboard_not_open = 1418;

struct clipboard_state {
    std::mutex lock;
    bool open = false;
    DWORD open_thread = 0;
    HWND open_window = nullptr;
    HWND owner = nullptr;
    std::vector<std::pair<UINT, HANDLE>> items; // the clipboard owns every handle here
    ~clipboard_state();
};

void free_items(clipboard_state &c) {
    for (auto &item : c.items) GlobalFree(item.second);
    c.items.clear();
}

// At process exit the last item goes with the store that owns it.
clipboard_state::~clipboard_state() {
    free_items(*this);
}

clipboard_state &clipboard() {
    static clipboard_state state;
    return state;
}

// True when the calling thread holds the clipboard open; else sets the Win32 error. Lock held.
bool opened_by_caller(clipboard_state &c) {
    if (c.open && c.open_thread == GetCurrentThreadId()) return true;
    SetLastError(k_error_clipboard_not_open);
    return false;
}

// Offers the packed DIB to other programs; the driver copies the bytes. False when it could
// not keep them.
bool export_dib(HANDLE data) {
    const display_driver *driver = wm_driver();
    if (!driver || !driver->clipboard_export) return true;
    const void *bytes = GlobalLock(data);
    if (!bytes) return true;
    bool kept = driver->clipboard_export(bytes, GlobalSize(data));
    GlobalUnlock(data);
    return kept;
}

} // namespace

// As on Win32, the thread that holds the clipboard open may open it again for the same
// window; any other opener fails until it is closed.
BOOL WINAPI OpenClipboard(HWND owner) {
    clipboard_state &c = clipboard();
    std::lock_guard<std::mutex> guard(c.lock);
    DWORD thread = GetCurrentThreadId();
    if (c.open && (c.open_thread != thread || c.open_window != owner)) {
        SetLastError(k_error_access_denied);
        return FALSE;
    }
    c.open = true;
    c.open_thread = thread;
    c.open_window = owner;
    return TRUE;
}

BOOL WINAPI EmptyClipboard(void) {
    clipboard_state &c = clipboard();
    std::lock_guard<std::mutex> guard(c.lock);
    if (!opened_by_caller(c)) return FALSE;
    free_items(c);
    c.owner = c.open_window;
    return TRUE;
}

// Takes ownership of `data` and returns it; NULL (ownership stays with the caller) when the
// clipboard is not open on this thread or no data is given (delayed rendering is not offered),
// or, with ERROR_NOT_ENOUGH_MEMORY, when the display has no memory to offer the picture.
HANDLE WINAPI SetClipboardData(UINT format, HANDLE data) {
    clipboard_state &c = clipboard();
    {
        std::lock_guard<std::mutex> guard(c.lock);
        if (!opened_by_caller(c)) return nullptr;
        if (!data) {
            SetLastError(k_error_invalid_parameter);
            return nullptr;
        }
        bool replaced = false;
        for (auto &item : c.items) {
            if (item.first != format) continue;
            if (item.second != data) GlobalFree(item.second);
            item.second = data;
            replaced = true;
        }
        if (!replaced) c.items.emplace_back(format, data);
    }
    // Outside the lock: the driver may take its time, and no other thread can change the
    // items while this one holds the clipboard open.
    if (format != CF_DIB || export_dib(data)) return data;
    std::lock_guard<std::mutex> guard(c.lock);
    for (auto it = c.items.begin(); it != c.items.end(); ++it) {
        if (it->second != data) continue;
        c.items.erase(it);
        break;
    }
    SetLastError(k_error_not_enough_memory);
    return nullptr;
}

BOOL WINAPI CloseClipboard(void) {
    clipboard_state &c = clipboard();
    std::lock_guard<std::mutex> guard(c.lock);
    if (!opened_by_caller(c)) return FALSE;
    c.open = false;
    c.open_thread = 0;
    c.open_window = nullptr;
    return TRUE;
}
