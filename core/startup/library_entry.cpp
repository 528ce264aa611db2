// The library's entry point: set-up at load, clean-up at unload.
#include "core/heap.h"
#include "core/startup/library_state.h"

#if defined(_WIN32)

// Keeps the DLL loaded until the process exits. A GUI thread cannot be ended from DllMain:
// FreeLibrary holds the loader lock, which an ending thread needs, and the thread may need it
// for its current message too. Unloading under a running GUI thread would leave it executing
// unmapped code, so once it runs FreeLibrary only gives back the caller's reference.
static void keep_loaded_while_gui_thread_runs(HINSTANCE module) {
    if (!g_gui_thread.started) return;
    HMODULE pinned;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCSTR>(module), &pinned);
}

// ExitProcess ends every other thread wherever it happens to be, and only then detaches the
// DLLs. A GUI thread cut off inside a system call can leave a lock of the system held that the
// exiting thread needs next: under Wine, one killed while its start-up loads the X11 driver
// keeps the Unix loader's lock, and the process hangs until Wine kills it. So the GUI thread is
// ended, its windows with it, from the C runtime's exit list, which exit() runs before
// ExitProcess while every thread is still whole.
static int __cdecl end_gui_thread_before_exit() {
    static std::atomic<bool> done{false};
    if (done.exchange(true) || !g_gui_thread.started.load()) return 0;
    // A runtime that runs its list as it detaches comes after ExitProcess ended the thread.
    if (WaitForSingleObject(g_gui_thread.thread, 0) == WAIT_OBJECT_0) return 0;
    library_stop_gui_thread();
    return 0;
}

// The list is msvcrt.dll's, the runtime this DLL is linked with, whose exit() ends every
// program linked with it too; a DLL's own atexit list runs only as the DLL detaches, too late.
// Only a pinned DLL may add to it, as the list outlives FreeLibrary.
static void end_gui_thread_at_exit() {
    if (!g_gui_thread.started.load()) return;
    using exit_function = int(__cdecl *)();
    using add_exit_function = exit_function(__cdecl *)(exit_function);
    HMODULE runtime = GetModuleHandleA("msvcrt.dll");
    FARPROC found = runtime ? GetProcAddress(runtime, "_onexit") : nullptr;
    // Through void (*)(), the type that stands for any function without a warning.
    auto add = reinterpret_cast<add_exit_function>(reinterpret_cast<void (*)()>(found));
    if (add) add(end_gui_thread_before_exit);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        g_process_heap = GetProcessHeap();
        library_init();
        library_start();
        keep_loaded_while_gui_thread_runs(module);
        end_gui_thread_at_exit();
        break;
    case DLL_PROCESS_DETACH:
        // With `reserved` set the process is ending and its other threads are gone already.
        library_cleanup(reserved != nullptr ? PROCESS_TERMINATED : LIBRARY_UNLOADED);
        break;
    default:
        break;
    }
    return TRUE;
}

void library_ensure_started() {}

#else

#include <mutex>

namespace {

std::once_flag g_start_once;
std::atomic<bool> g_started{false};

} // namespace

// Every call that may be a program's first goes through here, so a static link that names
// any of them also brings in this file, its constructor and its destructor.
void library_ensure_started() {
    std::call_once(g_start_once, [] {
        g_process_heap = GetProcessHeap();
        library_init();
        library_start();
        g_started = true;
    });
}

__attribute__((constructor)) static void library_load() {
    library_ensure_started();
}

// What DllMain's `reserved` argument tells a Windows DLL, which a destructor is not told: true
// at process exit, false when the library is being unloaded. The POSIX platform layer, which
// plays the loader's part here, answers it (platform/posix/kernel/process_exit.cpp).
bool kernel_process_exiting(void);

// At exit the GUI thread may still be inside a message: clean-up ends it before freeing.
__attribute__((destructor)) static void library_unload() {
    if (g_started.load())
        library_cleanup(kernel_process_exiting() ? PROCESS_EXITING : LIBRARY_UNLOADED);
}

#endif
