// Opening a window: the host thread's request and the GUI thread's construction.
#include "core/heap.h"
#include "core/library_parts.h"
#include "core/result_codes.h"
#include "core/scale/window_scale.h"
#include "core/startup/library_call.h"
#include "core/startup/library_state.h"
#include "core/window_lifetime.h"
#include "core/window_table.h"
#include "platform/saturate.h"

#include <new>

namespace {

const DWORD k_window_style = WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_OVERLAPPEDWINDOW;
const char k_class_name[] = "ZelvanClass";
const DWORD k_poll_ms = 20;

// True while a GUI thread exists that will answer a creation request.
bool gui_can_answer() {
    int state = g_gui_thread.state.load();
    if (state == GUI_RUNNING) return true;
    return state == GUI_STARTING && g_gui_thread.started.load();
}

// Frees a record whose creation did not complete.
void discard_new_record(window_record *record, bool slotted) {
    if (slotted) release_slot(record);
    heap_free(record->title);
    record->~window_record();
    heap_free(record);
}

// Sets the buffer rectangles of a freshly created window and has draw/ give it its memory DC,
// select its drawing state there and show the white buffer. Runs on the GUI thread with the
// window lock held.
void build_drawing_objects(window_record *window) {
    window->buffer_rect = RECT{0, 0, saturate_int(int64_t{window->width} + 1),
                               saturate_int(int64_t{window->height} + 1)};
    GetClientRect(window->hwnd, &window->strip_right_of_buffer);
    window->strip_right_of_buffer.left = screen_length(window, window->width);

    HDC window_dc = GetDC(window->hwnd);
    // A window whose memory DC could not be made opens all the same: its drawing calls fail.
    g_library_parts.open_drawing(window, window_dc);
    ReleaseDC(window->hwnd, window_dc);
}

// Sets the client and frame rectangles for the window's size at its scale.
void set_frame_at_scale(window_record *window) {
    window->client_screen_rect = rect_at(window->x, window->y, screen_length(window, window->width),
                                         screen_length(window, window->height));
    window->frame_rect = window->client_screen_rect;
    AdjustWindowRect(&window->frame_rect, WS_OVERLAPPEDWINDOW, FALSE);
}

// Gives up a creation before the window exists: the record's locks go, and the creator
// learns why from `status`. With the window lock held.
void abandon_creation(window_record *window, int status) {
    g_library_parts.free_drawing_state(window, false);
    g_library_parts.free_window_states(window);
    LeaveCriticalSection(&window->lock);
    DeleteCriticalSection(&window->lock);
    DeleteCriticalSection(&window->state_lock);
    window->create_status.store(status, std::memory_order_release);
}

} // namespace

void create_window_on_gui_thread(window_record *window) {
    window->create_status = CREATE_PENDING;
    InitializeCriticalSection(&window->lock);
    InitializeCriticalSection(&window->state_lock);
    EnterCriticalSection(&window->lock);
    // Made at the scale of the screen the library's hidden window is on, so that the window
    // opens at its size in one step where, as nearly always, its own screen is the same.
    window->scale = choose_window_scale(g_gui_thread.handler_window.load());
    set_frame_at_scale(window);
    // The first buffer is made before the window, so that a size the system cannot hold
    // leaves no window half made.
    if (!g_library_parts.create_drawing_state(window) ||
        !g_library_parts.create_window_states(window)) {
        abandon_creation(window, CREATE_NO_MEMORY);
        return;
    }
    const RECT &f = window->frame_rect;
    // Made untitled: the title is then set through MSG_SET_TITLE, which reads it as UTF-8 (else
    // Windows-1252) where creation would read it in the ANSI code page.
    window->hwnd =
        CreateWindowExA(0, k_class_name, "", k_window_style, f.left, f.top, f.right - f.left,
                        f.bottom - f.top, nullptr, nullptr, g_gui_thread.host_module, nullptr);
    if (window->hwnd)
        SendMessageA(window->hwnd, MSG_SET_TITLE, 0, reinterpret_cast<LPARAM>(window->title));
    if (!window->hwnd) {
        abandon_creation(window, CREATE_FAILED);
        return;
    }
    // A window that opened on a screen of another density takes that one's scale, while it is
    // still hidden and before its procedure knows the record.
    int own_scale = choose_window_scale(window->hwnd);
    if (own_scale != window->scale) {
        window->scale = own_scale;
        set_frame_at_scale(window);
        const RECT &g = window->frame_rect;
        MoveWindow(window->hwnd, g.left, g.top, g.right - g.left, g.bottom - g.top, FALSE);
    }
    SetWindowLongPtrA(window->hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    build_drawing_objects(window);
    window->create_status.store(CREATE_DONE, std::memory_order_release);
    LeaveCriticalSection(&window->lock);
    ShowWindow(window->hwnd, SW_SHOWDEFAULT);
    SetForegroundWindow(window->hwnd);
}

namespace {

// A new record holding the creator's reference in a free slot, with its place, size and a copy
// of the title; null with the last error set.
window_record *new_record(int x, int y, int width, int height, const char *title) {
    void *block = heap_alloc(sizeof(window_record));
    if (!block) {
        set_last_error(ZV_ERR_NO_MEMORY);
        return nullptr;
    }
    // Value-initialised: every flag, position and handle starts at zero.
    auto *record = new (block) window_record();
    record->in_use_count = 1; // the creator's own reference, held until creation is over
    if (allocate_slot(record) != ZV_OK) {
        set_last_error(ZV_ERR_TOO_MANY_WINDOWS);
        discard_new_record(record, false);
        return nullptr;
    }
    record->x = x;
    record->y = y;
    record->width = width;
    record->height = height;
    // A null title is taken as an empty one.
    if (!title) title = "";
    record->title = static_cast<char *>(heap_alloc(lstrlenA(title) + 1));
    if (!record->title) {
        set_last_error(ZV_ERR_NO_MEMORY);
        discard_new_record(record, true);
        return nullptr;
    }
    lstrcpyA(record->title, title);
    record->create_status = CREATE_PENDING;
    return record;
}

// The handle of a record whose creation finished, its creator's reference given back; else 0
// with the reason in the last error, and the record freed.
int finish_creation(window_record *record) {
    int status = record->create_status.load(std::memory_order_acquire);
    if (status != CREATE_DONE) {
        // A canvas is built on the caller's thread, so only a window's fate hangs on the GUI's.
        bool unanswered = status == CREATE_PENDING ||
                          (!record->canvas && g_gui_thread.state.load() != GUI_RUNNING);
        int failure = unanswered                   ? ZV_ERR_NOT_INITIALISED
                      : status == CREATE_NO_MEMORY ? ZV_ERR_NO_MEMORY
                                                   : ZV_ERR_CREATE_WINDOW;
        set_last_error(failure);
        discard_new_record(record, true);
        return 0;
    }
    int handle = record->handle;
    give_back(record);
    return handle;
}

// Builds a canvas on the calling thread: the steps of a window's creation without the
// platform window, so no message, timer or paint ever concerns it. Its memory DC and buffer
// are made like a window's, from the screen's DC, and nothing is shown.
void create_canvas_here(window_record *window) {
    InitializeCriticalSection(&window->lock);
    InitializeCriticalSection(&window->state_lock);
    EnterCriticalSection(&window->lock);
    window->canvas = true;
    window->scale = 1;
    window->client_screen_rect = window->frame_rect = rect_at(0, 0, window->width, window->height);
    window->buffer_rect = RECT{0, 0, saturate_int(int64_t{window->width} + 1),
                               saturate_int(int64_t{window->height} + 1)};
    if (!g_library_parts.create_drawing_state(window) ||
        !g_library_parts.create_window_states(window) ||
        !g_library_parts.open_drawing(window, nullptr)) {
        abandon_creation(window, CREATE_NO_MEMORY);
        return;
    }
    window->create_status.store(CREATE_DONE, std::memory_order_release);
    LeaveCriticalSection(&window->lock);
}

} // namespace

extern "C" {

ZVEXPORT int ZVAPI ZVCreateWindow(int x, int y, int width, int height, const char *title) {
    library_call call;
    if (call.refused()) return 0;
    set_last_error(ZV_OK);
    if (!gui_can_answer()) {
        set_last_error(ZV_ERR_NOT_INITIALISED);
        return 0;
    }
    window_record *record = new_record(x, y, width, height, title);
    if (!record) return 0;
    // No timer yet: the first change the window's paint has not shown starts it. A canvas
    // keeps the period 0, so its drawing never asks for a refresh.
    record->refresh_period = DEFAULT_REFRESH_MS;
    while (g_gui_thread.state.load() == GUI_STARTING && gui_can_answer()) Sleep(k_poll_ms);
    if (g_gui_thread.state.load() == GUI_RUNNING)
        SendMessageA(g_gui_thread.handler_window.load(), MSG_CREATE_WINDOW, 0,
                     reinterpret_cast<LPARAM>(record));
    // The send returns once the GUI thread has built the window; a request that nobody
    // took (the loop ended meanwhile) leaves the status pending, and nothing will change it.
    return finish_creation(record);
}

ZVEXPORT int ZVAPI ZVCreateCanvas(int width, int height) {
    library_call call;
    if (call.refused()) return 0;
    // Lookups refuse every handle once the GUI thread failed, so no canvas could be used then.
    if (!gui_can_answer()) {
        set_last_error(ZV_ERR_NOT_INITIALISED);
        return 0;
    }
    // A canvas is its buffer: without a positive size there is nothing to draw into.
    if (width < 1 || height < 1) {
        set_last_error(width < 1 ? ZV_ERR_BAD_WIDTH : ZV_ERR_BAD_HEIGHT);
        return 0;
    }
    window_record *record = new_record(0, 0, width, height, "");
    if (!record) return 0;
    create_canvas_here(record);
    return finish_creation(record);
}

} // extern "C"
