// Telling process exit from an unload. Both run the library's destructors, but only at exit
// may other host threads still be inside calls, so only an unload may free shared state.
#include "platform/posix/kernel/kernel_objects.h"

#include <dlfcn.h>
#include <execinfo.h>
#include <string.h>

// An unload runs the destructors from inside the C library's dlclose; exit runs them from its
// exit handlers. The caller's frames tell which: a frame in dlclose means an unload. Frames
// that cannot be named give the safe answer, exit.
bool kernel_process_exiting(void) {
    void *frames[64];
    int depth = backtrace(frames, 64);
    for (int i = 0; i < depth; ++i) {
        Dl_info info;
        if (dladdr(frames[i], &info) != 0 && info.dli_sname != nullptr &&
            strcmp(info.dli_sname, "dlclose") == 0)
            return false;
    }
    return true;
}

// Defined beside the state they free (handles.cpp, command_line.cpp).
void kernel_release_handles(void);
void kernel_release_command_line(void);

void kernel_release_all(void) {
    kernel_release_handles();
    kernel_release_command_line();
}
