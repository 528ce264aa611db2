// The library's entry point: set-up at load, clean-up at unload.
#include "core/library_state.h"

#if defined(_WIN32)

// Keeps the DLL loaded until the process exits. A GUI thread cannot be ended from DllMain:
// FreeLibrary holds the loader lock, which an ending thread needs, and the thread may need it
// for its current message too. Unloading under a running GUI thread would leave it executing
// unmapped code, so once it runs FreeLibrary only gives back the caller's reference.
static void keep_loaded_while_gui_thread_runs(HINSTANCE module) {
    if (!g_startup.gui_thread_started) return;
    HMODULE pinned;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCSTR>(module), &pinned);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        g_process_heap = GetProcessHeap();
        library_init();
        library_start();
        keep_loaded_while_gui_thread_runs(module);
        break;
    case DLL_PROCESS_DETACH:
        // With `reserved` set the process is ending and its other threads are gone already.
        library_cleanup(reserved != nullptr);
        break;
    default:
        break;
    }
    return TRUE;
}

#else

__attribute__((constructor)) static void library_load() {
    g_process_heap = GetProcessHeap();
    library_init();
    library_start();
}

// At exit the GUI thread may still be inside a message: clean-up ends it before freeing.
__attribute__((destructor)) static void library_unload() {
    library_cleanup(false);
}

#endif
