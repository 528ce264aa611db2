// The window procedure: creation requests, closing and the refresh timer. Every other message
// of a library window goes to the window messages that window/ lends the core.
#include "core/window_proc.h"

#include "core/library_parts.h"
#include "core/startup/library_state.h"
#include "core/wide_text.h"
#include "core/window_lifetime.h"
#include "core/window_refresh.h"
#include "core/window_table.h"

namespace {

// Titles are read like drawn text (UTF-8, else Windows-1252) and handed to the default
// handling in UTF-16, which keeps every character.
LRESULT set_title(HWND hwnd, const char *title) {
    wide_text wide;
    if (!wide.convert_string(title ? title : "")) return FALSE;
    return DefWindowProcW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.units));
}

// The messages the core answers itself, with or without a record attached: a window's
// creation, closing and destruction, and the refresh timer and its requests.
bool handle_core_message(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                         window_record *record) {
    switch (message) {
    case WM_CREATE:
        break;
    case WM_DESTROY:
        // The record is freed here; its reference dies with it.
        if (record) destroy_record(record);
        if (hwnd == g_gui_thread.handler_window.load()) PostQuitMessage(1);
        return true;
    case WM_CLOSE:
        if (record && !begin_close(record)) return true;
        DestroyWindow(hwnd);
        return true;
    case MSG_CREATE_WINDOW:
        if (hwnd == g_gui_thread.handler_window.load())
            create_window_on_gui_thread(reinterpret_cast<window_record *>(lparam));
        break;
    case WM_TIMER:
        if (!record || wparam != REFRESH_TIMER_ID) return false;
        refresh_tick(record);
        break;
    case MSG_REFRESH:
        if (!record) return false;
        on_refresh_request(record);
        break;
    default:
        return false;
    }
    if (record) give_back(record);
    return true;
}

} // namespace

LRESULT CALLBACK window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == MSG_SET_TITLE) return set_title(hwnd, reinterpret_cast<const char *>(lparam));
    window_record *record = window_from_hwnd(hwnd);
    if (handle_core_message(hwnd, message, wparam, lparam, record)) return 0;
    if (record) {
        bool handled = g_library_parts.handle_window_message(record, hwnd, message, wparam, lparam);
        give_back(record);
        if (handled) return 0;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}
