// Critical sections: recursive locks in the caller's opaque storage, a futex lock with an
// owner and a depth. Every drawing call takes two of them.
#include "platform/posix/kernel/futex_lock.h"
#include "platform/win32.h"

#include <atomic>
#include <new>
#include <pthread.h>

namespace {

struct recursive_lock {
    int state;                       // the futex lock's word
    std::atomic<const void *> owner; // the owning thread's token, null when free
    int depth;                       // entries by the owner; only the owner touches it
};

static_assert(sizeof(recursive_lock) <= sizeof(CRITICAL_SECTION::opaque),
              "the lock must fit in CRITICAL_SECTION");

// A token that no other live thread shares: its thread pointer. Read directly where the
// compiler can, since a thread_local in a shared library costs a call to the TLS resolver.
const void *thread_token() {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__aarch64__))
    return __builtin_thread_pointer();
#else
    return reinterpret_cast<const void *>(pthread_self());
#endif
}

recursive_lock *lock_of(LPCRITICAL_SECTION cs) {
    return std::launder(reinterpret_cast<recursive_lock *>(cs->opaque));
}

} // namespace

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION cs) {
    recursive_lock *lock = new (cs->opaque) recursive_lock;
    lock->state = 0;
    lock->owner.store(nullptr, std::memory_order_relaxed);
    lock->depth = 0;
}

// Recursive, because Win32 lets the owning thread enter a critical section again.
void WINAPI EnterCriticalSection(LPCRITICAL_SECTION cs) {
    recursive_lock *lock = lock_of(cs);
    const void *me = thread_token();
    // Only this thread ever stores its own token, so reading it back cannot be stale.
    if (lock->owner.load(std::memory_order_relaxed) == me) {
        lock->depth++;
        return;
    }
    futex_lock_take(&lock->state);
    lock->owner.store(me, std::memory_order_relaxed);
    lock->depth = 1;
}

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION cs) {
    recursive_lock *lock = lock_of(cs);
    // Leaving a section this thread does not hold is a caller error; ignore it rather than
    // release another thread's lock.
    if (lock->owner.load(std::memory_order_relaxed) != thread_token()) return;
    if (--lock->depth > 0) return;
    lock->owner.store(nullptr, std::memory_order_relaxed);
    futex_lock_give(&lock->state);
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION cs) {
    lock_of(cs)->~recursive_lock();
}
