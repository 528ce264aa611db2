// Closing a window: the host thread's request, the GUI thread's drain and teardown.
#include "core/heap.h"
#include "core/library_parts.h"
#include "core/result_codes.h"
#include "core/startup/library_call.h"
#include "core/startup/library_state.h"
#include "core/window_lifetime.h"
#include "core/window_refresh.h"
#include "core/window_table.h"

namespace {

const DWORD k_poll_ms = 20;
// Closing waits for other threads' references; it yields at first, then sleeps briefly so
// that a long-held reference does not cost a whole core.
const int k_yield_tries = 100;

// A reference may belong to a host thread that is itself waiting for this thread to handle
// a message it sent (moving, resizing, retitling the window): serve those while waiting, or
// the two threads would wait for each other for ever. A canvas is closed on a host thread, to
// which nothing is sent.
void wait_for_references(window_record *record, bool serve_sends) {
    MSG ignored;
    for (int tries = 0; record->in_use_count.load() != 0; ++tries) {
        if (serve_sends) PeekMessageA(&ignored, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        Sleep(tries < k_yield_tries ? 0 : 1);
    }
}

} // namespace

bool begin_close(window_record *record) {
    give_back(record);
    if (record->closing.load() != 0) return false;
    record->closing.store(1);
    stop_refresh_timer(record);
    wait_for_references(record, true);
    release_slot(record);
    return true;
}

void teardown_record(window_record *window, bool dc_alive) {
    g_library_parts.free_drawing_state(window, dc_alive);
    g_library_parts.free_window_states(window);
    DeleteCriticalSection(&window->lock);
    DeleteCriticalSection(&window->state_lock);
    heap_free(window->title);
    window->~window_record();
    heap_free(window);
}

void close_canvas(window_record *record) {
    // Claimed before the caller's reference goes: of two threads closing it, one tears it down.
    bool first = record->closing.exchange(1) == 0;
    give_back(record);
    if (!first) return;
    wait_for_references(record, false);
    release_slot(record);
    teardown_record(record, true);
}

void destroy_record(window_record *record) {
    // A window destroyed without WM_CLOSE (say, by a host that destroyed the platform window
    // directly) is closed here first, so its slot never names a freed record.
    if (record->closing.load() == 0) {
        begin_close(record);
    }
    SetWindowLongPtrA(record->hwnd, GWLP_USERDATA, 0);
    teardown_record(record, true);
}

extern "C" {

ZVEXPORT int ZVAPI ZVDestroyWindow(int handle) {
    // Counted: after its reference is given back it still waits for the GUI thread.
    library_call call;
    if (call.refused()) return 0;
    window_record *record = find_window(handle);
    if (!record) {
        report_missing_window();
        return 0;
    }
    if (record->canvas) {
        close_canvas(record);
        return 0;
    }
    // Read while the reference still keeps the record alive.
    HWND hwnd = record->hwnd;
    give_back(record);
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    // The handle is normally free once the send returns; wait out a close that another
    // thread started, as long as a GUI thread exists to finish it.
    for (;;) {
        window_record *again = find_window(handle);
        bool same = again && again->hwnd == hwnd;
        if (again) give_back(again);
        if (!same || g_gui_thread.state.load() != GUI_RUNNING) break;
        SleepEx(k_poll_ms, FALSE);
    }
    return 0;
}

ZVEXPORT int ZVAPI ZVIsWindow(int handle) {
    window_ref window(handle);
    return window.ok() ? ZV_OK : ZV_ERR_BAD_WINDOW;
}

} // extern "C"
