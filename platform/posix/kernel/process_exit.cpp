// Telling process exit from an unload. Both run the library's destructors, but only at exit
// may other host threads still be inside calls, so only an unload may free shared state.
#include "platform/posix/kernel/kernel_objects.h"

#include <semaphore.h>
#include <stdlib.h>

extern "C" int __cxa_atexit(void (*function)(void *), void *argument, void *dso_handle);

namespace {

// Posted by the C library at exit. A handler registered with no DSO handle belongs to the
// main program, so an unload never runs it; it must outlive this library, so the handler
// is the C library's own sem_post and the semaphore is allocated and never freed.
sem_t *g_exit_signal;

__attribute__((constructor)) void watch_for_exit() {
    g_exit_signal = static_cast<sem_t *>(malloc(sizeof(sem_t)));
    if (!g_exit_signal || sem_init(g_exit_signal, 0, 0) != 0) return;
    // sem_post returns an int that the C library ignores; the call is otherwise exact. The
    // cast goes through the generic function pointer type, as casts between them must.
    auto generic = reinterpret_cast<void (*)(void)>(sem_post);
    __cxa_atexit(reinterpret_cast<void (*)(void *)>(generic), g_exit_signal, nullptr);
}

} // namespace

bool kernel_process_exiting(void) {
    int posted = 0;
    // Without the signal nothing can be told apart: take the safe answer.
    if (!g_exit_signal || sem_getvalue(g_exit_signal, &posted) != 0) return true;
    return posted > 0;
}

// Defined beside the state they free (handles.cpp, command_line.cpp).
void kernel_release_handles(void);
void kernel_release_command_line(void);

void kernel_release_all(void) {
    kernel_release_handles();
    kernel_release_command_line();
}
