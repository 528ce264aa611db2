// Critical sections are recursive pthread mutexes living in the caller's opaque storage.
#include "platform/win32.h"

#include <pthread.h>

static_assert(sizeof(pthread_mutex_t) <= sizeof(CRITICAL_SECTION::opaque),
              "a pthread mutex must fit in CRITICAL_SECTION");
static_assert(alignof(pthread_mutex_t) <= alignof(CRITICAL_SECTION),
              "CRITICAL_SECTION must be aligned for a pthread mutex");

static pthread_mutex_t *mutex_of(LPCRITICAL_SECTION cs) {
    return reinterpret_cast<pthread_mutex_t *>(cs->opaque);
}

// Recursive, because Win32 lets the owning thread enter a critical section again.
void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION cs) {
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(mutex_of(cs), &attr);
    pthread_mutexattr_destroy(&attr);
}

void WINAPI EnterCriticalSection(LPCRITICAL_SECTION cs) {
    pthread_mutex_lock(mutex_of(cs));
}

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION cs) {
    pthread_mutex_unlock(mutex_of(cs));
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION cs) {
    pthread_mutex_destroy(mutex_of(cs));
}
