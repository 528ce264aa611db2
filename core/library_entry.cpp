// The library's entry point: set-up at load, clean-up at unload.
#include "core/library_state.h"

#if defined(_WIN32)

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        g_process_heap = GetProcessHeap();
        library_init();
        library_start();
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
