// Library start-up and shutdown: the table and locks, the host module, the GUI thread.
#include "core/library_parts.h"
#include "core/result_codes.h"
#include "core/startup/library_call.h"
#include "core/startup/library_state.h"
#include "core/startup/module_name.h"
#include "core/window_lifetime.h"
#include "core/window_table.h"

gui_thread_record g_gui_thread;

namespace {

const char k_caption[] = "Zelvan";
const char k_exe_suffix[] = ".exe";
// How long shutdown waits for the GUI thread to finish its current message.
const DWORD k_gui_exit_wait_ms = 5000;
// How often shutdown looks whether a GUI thread still starting has come up.
const DWORD k_gui_start_poll_ms = 10;
// How long the end of the process waits for calls that other threads are making.
const DWORD k_calls_in_flight_wait_ms = 2000;

bool g_table_ready;

} // namespace

void library_init() {
    g_table_ready = window_table_create();
    g_library_parts.start();
}

void library_start() {
    set_last_error(ZV_OK);
    if (!g_table_ready) {
        // Without a window table no call can work; report it like any other failed start.
        g_gui_thread.state = GUI_ENDED;
        return;
    }
    char name[MODULE_NAME_CAPACITY];
    // A name too long for the buffer cannot be any module's file name: it is the program's
    // own (unusual) start-up name, so the main program is the host.
    bool cut = extract_module_name(GetCommandLineA(), name);
    g_gui_thread.host_module = GetModuleHandleA(cut ? nullptr : name);
    if (!g_gui_thread.host_module) {
        lstrcpyA(name + lstrlenA(name), k_exe_suffix);
        g_gui_thread.host_module = GetModuleHandleA(name);
    }
    // Launchers quote the program's path ("C:\Program Files\app.exe"), which no scan of the
    // first word turns into a module name; the running program itself is the host then.
    if (!g_gui_thread.host_module) g_gui_thread.host_module = GetModuleHandleA(nullptr);
    char text[MODULE_NAME_CAPACITY + 64];
    if (!g_gui_thread.host_module) {
        wsprintfA(text, "Unable to get handle: %s", name);
        MessageBoxA(nullptr, text, k_caption, MB_OK);
        g_gui_thread.state = GUI_ENDED;
        return;
    }
    g_gui_thread.thread = CreateThread(nullptr, 0, gui_thread_main, &g_gui_thread, 0, nullptr);
    if (!g_gui_thread.thread) {
        wsprintfA(text, "NULL thread - last error = %lu", (unsigned long)GetLastError());
        MessageBoxA(nullptr, text, k_caption, MB_OK);
        return;
    }
    g_gui_thread.started = true;
}

// Ends the GUI thread so that nothing it uses is freed under it. Returns false when it
// could not be stopped in time; then nothing may be freed.
static bool stop_gui_thread(bool process_terminating) {
    if (!g_gui_thread.started) return true;
    if (process_terminating) return false;
    DWORD waited = 0;
    while (g_gui_thread.state.load() == GUI_STARTING && waited < k_gui_exit_wait_ms) {
        Sleep(k_gui_start_poll_ms);
        waited += k_gui_start_poll_ms;
    }
    // Posted, not sent: a send could wait for a window the host is still using.
    HWND handler = g_gui_thread.handler_window.load();
    if (g_gui_thread.state.load() == GUI_RUNNING && handler) PostMessageA(handler, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(g_gui_thread.thread, k_gui_exit_wait_ms) != 0) return false;
    CloseHandle(g_gui_thread.thread);
    g_gui_thread.thread = nullptr;
    g_gui_thread.started = false;
    return true;
}

bool library_stop_gui_thread() {
    return stop_gui_thread(false);
}

// Calls in flight are waited for while the GUI thread still runs: some of them wait for it.
// An unload waits for as long as they run, as returning would unmap the code they are in. At
// exit the system ends them anyway, so a call stuck on a stalled disk is given a bounded time
// and then left with everything it uses; a terminating process has no other threads left.
void library_cleanup(library_end how) {
    bool terminated = how == PROCESS_TERMINATED;
    DWORD bound = how == LIBRARY_UNLOADED ? INFINITE : terminated ? 0 : k_calls_in_flight_wait_ms;
    bool drained = library_refuse_calls_and_drain(bound);
    if (!drained && !terminated) return;
    if (!stop_gui_thread(terminated)) return;
    for (int i = 0; i < WINDOW_TABLE_SIZE; ++i) {
        window_record *record = window_table_slot(i);
        // Canvases have no platform window, and their memory DC lives until now.
        if (record) teardown_record(record, record->canvas || IsWindow(record->hwnd) != 0);
    }
    window_table_destroy();
    g_library_parts.discard();
}
