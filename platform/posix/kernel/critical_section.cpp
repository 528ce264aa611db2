// Critical sections: recursive locks in the caller's opaque storage, built on one atomic word
// and a futex. Every drawing call takes two of them, so the uncontended path is one
// compare-and-swap to enter and one exchange to leave, with no call into the C library.
#include "platform/win32.h"

#include <atomic>
#include <linux/futex.h>
#include <new>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// state: 0 free, 1 held, 2 held with waiters asleep on the futex.
struct recursive_lock {
    std::atomic<int> state;
    std::atomic<const void *> owner; // the owning thread's token, null when free
    int depth;                       // entries by the owner; only the owner touches it
};

static_assert(sizeof(recursive_lock) <= sizeof(CRITICAL_SECTION::opaque),
              "the lock must fit in CRITICAL_SECTION");
static_assert(std::atomic<int>::is_always_lock_free, "the futex word must be a plain int");

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

void futex_call(std::atomic<int> *word, int op, int value) {
    syscall(SYS_futex, reinterpret_cast<int *>(word), op | FUTEX_PRIVATE_FLAG, value, nullptr,
            nullptr, 0);
}

// Sleeps until the lock is ours; marks it contended so that the holder wakes a sleeper.
void wait_for_lock(recursive_lock *lock) {
    while (lock->state.exchange(2, std::memory_order_acquire) != 0)
        futex_call(&lock->state, FUTEX_WAIT, 2);
}

} // namespace

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION cs) {
    recursive_lock *lock = new (cs->opaque) recursive_lock;
    lock->state.store(0, std::memory_order_relaxed);
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
    int expected = 0;
    if (!lock->state.compare_exchange_strong(expected, 1, std::memory_order_acquire,
                                             std::memory_order_relaxed))
        wait_for_lock(lock);
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
    if (lock->state.exchange(0, std::memory_order_release) == 2)
        futex_call(&lock->state, FUTEX_WAKE, 1);
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION cs) {
    lock_of(cs)->~recursive_lock();
}
