// The clipboard: held open by one thread at a time, one item per format, and the CF_DIB item
// (with a registered "PNG" item beside it) handed to the display driver so that other
// programs can paste it.
#include "platform/posix/user/wm_internal.h"

#include <mutex>
#include <string>
#include <strings.h>
#include <utility>
#include <vector>

namespace {

const DWORD k_error_access_denied = 5;
const DWORD k_error_not_enough_memory = 8;
const DWORD k_error_invalid_parameter = 87;
const DWORD k_error_clipboard_not_open = 1418;

// Registered formats take the ids from here up, as on Win32.
const UINT k_first_registered_format = 0xC000;
const UINT k_last_registered_format = 0xFFFF;

struct clipboard_state {
    std::mutex lock;
    bool open = false;
    DWORD open_thread = 0;
    HWND open_window = nullptr;
    HWND owner = nullptr;
    std::vector<std::pair<UINT, HANDLE>> items; // the clipboard owns every handle here
    std::vector<std::string> format_names;      // registered formats, by id from the first
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

// True for the registered format named "PNG": a PNG file, the form other programs on Windows
// exchange pictures with alpha in. Lock held.
bool png_format(clipboard_state &c, UINT format) {
    if (format < k_first_registered_format) return false;
    size_t index = format - k_first_registered_format;
    return index < c.format_names.size() && strcasecmp(c.format_names[index].c_str(), "PNG") == 0;
}

// Offers the packed DIB, or a PNG file of the same picture, to other programs; the driver
// copies the bytes. False when it could not keep them.
bool export_item(HANDLE data, bool png) {
    const display_driver *driver = wm_driver();
    bool (*offer)(const void *, size_t) =
        driver ? (png ? driver->clipboard_export_png : driver->clipboard_export) : nullptr;
    if (!offer) return true;
    const void *bytes = GlobalLock(data);
    if (!bytes) return true;
    bool kept = offer(bytes, GlobalSize(data));
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
    bool png = false;
    HANDLE png_beside = nullptr; // a PNG set before the DIB, offered again after it
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
        png = png_format(c, format);
        for (auto &item : c.items) {
            if (format == CF_DIB && png_format(c, item.first)) png_beside = item.second;
        }
    }
    // Outside the lock: the driver may take its time, and no other thread can change the
    // items while this one holds the clipboard open. A new DIB replaces the driver's PNG.
    bool kept = (format == CF_DIB || png) ? export_item(data, png) : true;
    if (kept && png_beside) export_item(png_beside, true);
    if (kept) return data;
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

// Ids are never given back, as on Win32; names compare without regard to case.
UINT WINAPI RegisterClipboardFormatA(LPCSTR name) {
    if (!name || !*name) {
        SetLastError(k_error_invalid_parameter);
        return 0;
    }
    clipboard_state &c = clipboard();
    std::lock_guard<std::mutex> guard(c.lock);
    for (size_t i = 0; i < c.format_names.size(); ++i) {
        if (strcasecmp(c.format_names[i].c_str(), name) == 0)
            return k_first_registered_format + UINT(i);
    }
    if (c.format_names.size() > k_last_registered_format - k_first_registered_format) {
        SetLastError(k_error_not_enough_memory);
        return 0;
    }
    try {
        c.format_names.emplace_back(name);
    } catch (...) {
        SetLastError(k_error_not_enough_memory);
        return 0;
    }
    return k_first_registered_format + UINT(c.format_names.size() - 1);
}
