// CreateThread, the wait for a thread and thread ids over POSIX threads.
#include "platform/posix/kernel/kernel_objects.h"

#include <errno.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cxxabi.h>
#include <new>

namespace {

struct kernel_thread {
    kernel_object head;
    pthread_t thread;
    LPTHREAD_START_ROUTINE start;
    LPVOID parameter;
    pthread_mutex_t lock;
    pthread_cond_t changed;
    DWORD thread_id;
    bool started;
    bool finished;
    bool released; // joined or detached: the pthread needs nothing more from us
    DWORD exit_code;
};

void destroy_thread(kernel_object *object) {
    kernel_thread *t = reinterpret_cast<kernel_thread *>(object);
    pthread_cond_destroy(&t->changed);
    pthread_mutex_destroy(&t->lock);
    delete t;
}

// An exception that reaches a thread's top ends that thread alone, never the process: the
// code is the one Windows gives C++ exceptions. Cancellation's unwinding must go on through.
DWORD run_start(kernel_thread *t) {
    try {
        return t->start(t->parameter);
    } catch (abi::__forced_unwind &) {
        throw;
    } catch (...) {
        return 0xE06D7363;
    }
}

void *thread_trampoline(void *argument) {
    kernel_thread *t = static_cast<kernel_thread *>(argument);
    pthread_mutex_lock(&t->lock);
    t->thread_id = GetCurrentThreadId();
    t->started = true;
    pthread_cond_broadcast(&t->changed);
    pthread_mutex_unlock(&t->lock);

    DWORD code = run_start(t);

    pthread_mutex_lock(&t->lock);
    t->exit_code = code;
    t->finished = true;
    pthread_cond_broadcast(&t->changed);
    pthread_mutex_unlock(&t->lock);
    kernel_object_release(&t->head);
    return nullptr;
}

// A condition wait against CLOCK_MONOTONIC, so wall-clock changes do not stretch timeouts.
void init_monotonic_cond(pthread_cond_t *cond) {
    pthread_condattr_t attr;
    pthread_condattr_init(&attr);
    pthread_condattr_setclock(&attr, CLOCK_MONOTONIC);
    pthread_cond_init(cond, &attr);
    pthread_condattr_destroy(&attr);
}

timespec deadline_after(DWORD milliseconds) {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    long long ns = now.tv_nsec + static_cast<long long>(milliseconds % 1000) * 1000000LL;
    now.tv_sec += milliseconds / 1000 + ns / 1000000000LL;
    now.tv_nsec = ns % 1000000000LL;
    return now;
}

} // namespace

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T stack_size, LPTHREAD_START_ROUTINE start,
                           LPVOID parameter, DWORD, LPDWORD thread_id) {
    if (start == nullptr) {
        SetLastError(KERNEL_ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    kernel_thread *t = new (std::nothrow) kernel_thread();
    if (t == nullptr) {
        SetLastError(KERNEL_ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    t->head.kind = KERNEL_OBJECT_THREAD;
    t->head.refs = 2; // the handle and the running thread
    t->head.destroy = destroy_thread;
    t->start = start;
    t->parameter = parameter;
    pthread_mutex_init(&t->lock, nullptr);
    init_monotonic_cond(&t->changed);

    pthread_attr_t attr;
    pthread_attr_init(&attr);
    if (stack_size >= 65536) pthread_attr_setstacksize(&attr, stack_size);
    int failed = pthread_create(&t->thread, &attr, thread_trampoline, t);
    pthread_attr_destroy(&attr);
    if (failed) {
        destroy_thread(&t->head);
        SetLastError(KERNEL_ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    HANDLE handle = kernel_handle_insert(&t->head);
    // The id is the new thread's own GetCurrentThreadId, so wait until it has reported it.
    pthread_mutex_lock(&t->lock);
    while (!t->started) pthread_cond_wait(&t->changed, &t->lock);
    if (thread_id != nullptr) *thread_id = t->thread_id;
    pthread_mutex_unlock(&t->lock);
    return handle;
}

DWORD kernel_thread_wait(kernel_object *object, DWORD milliseconds) {
    kernel_thread *t = reinterpret_cast<kernel_thread *>(object);
    timespec deadline = deadline_after(milliseconds);
    bool join_now = false;
    pthread_mutex_lock(&t->lock);
    while (!t->finished) {
        if (milliseconds == INFINITE) {
            pthread_cond_wait(&t->changed, &t->lock);
        } else if (pthread_cond_timedwait(&t->changed, &t->lock, &deadline) == ETIMEDOUT) {
            break;
        }
    }
    bool finished = t->finished;
    if (finished && !t->released) {
        t->released = true;
        join_now = true;
    }
    pthread_mutex_unlock(&t->lock);
    // The thread has left its start routine; joining only collects what pthreads keeps.
    if (join_now) pthread_join(t->thread, nullptr);
    kernel_object_release(object);
    return finished ? KERNEL_WAIT_OBJECT_0 : KERNEL_WAIT_TIMEOUT;
}

void kernel_thread_handle_closed(kernel_object *object) {
    kernel_thread *t = reinterpret_cast<kernel_thread *>(object);
    pthread_mutex_lock(&t->lock);
    bool detach = !t->released;
    t->released = true;
    pthread_mutex_unlock(&t->lock);
    if (detach) pthread_detach(t->thread);
}

DWORD WINAPI GetCurrentThreadId(void) {
    static thread_local DWORD id = static_cast<DWORD>(syscall(SYS_gettid));
    return id;
}
