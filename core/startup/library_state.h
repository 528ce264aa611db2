// Process-wide state set up when the library loads and torn down when it unloads.
#ifndef ZELVAN_CORE_LIBRARY_STATE_H
#define ZELVAN_CORE_LIBRARY_STATE_H

#include "platform/win32.h"

#include <atomic>

// GUI thread states.
enum {
    GUI_STARTING = 0, // handler window not created yet (or no GUI thread was started)
    GUI_RUNNING = 1,  // handler window exists and the message loop runs
    GUI_FAILED = -1,  // the handler window could not be created
    GUI_ENDED = 2,    // the loop has ended, or start-up found no host module
};

// The GUI thread's record, for the library's whole life: the module its window class is
// registered for, its hidden handler window, where it stands (GUI_*) and its thread.
struct gui_thread_record {
    HINSTANCE host_module;
    std::atomic<HWND> handler_window;
    std::atomic<int> state;
    // Set once CreateThread succeeded; without it nobody will ever answer a request.
    std::atomic<bool> started;
    HANDLE thread;
};

extern gui_thread_record g_gui_thread;
// Set once unloading has begun: from then on every call fails at once.
extern std::atomic<bool> g_unloading;

// Runs start-up once, from whichever comes first: the library's constructor or its first
// call (a static library linked without --whole-archive has no constructor). The DLL's entry
// point starts it on Windows, so there it does nothing.
void library_ensure_started();

// Start-up and shutdown steps, run by the library entry point.
void library_init();
void library_start();
// How the library ends: unloaded while the process goes on, at exit with other host threads
// still running, or at the end of a process whose other threads are gone already.
enum library_end { LIBRARY_UNLOADED, PROCESS_EXITING, PROCESS_TERMINATED };
void library_cleanup(library_end how);
// Ends the GUI thread (its windows go with it) and frees nothing; false if it did not end in
// time.
bool library_stop_gui_thread();

// The GUI thread's body, given g_gui_thread, and its one-message pump.
DWORD WINAPI gui_thread_main(LPVOID record);
int pump_message();

#endif
