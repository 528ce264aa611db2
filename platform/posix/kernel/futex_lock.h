// A lock in one int and a futex, for the critical sections and the slim locks: taking it
// uncontended is one compare-and-swap, giving it back one exchange, with no call into the C
// library. The word is 0 when free, 1 when held, 2 when held with waiters asleep on it.
#ifndef ZELVAN_KERNEL_FUTEX_LOCK_H
#define ZELVAN_KERNEL_FUTEX_LOCK_H

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

inline void futex_lock_syscall(int *word, int op, int value) {
    syscall(SYS_futex, word, op | FUTEX_PRIVATE_FLAG, value, nullptr, nullptr, 0);
}

inline void futex_lock_take(int *word) {
    int expected = 0;
    if (__atomic_compare_exchange_n(word, &expected, 1, false, __ATOMIC_ACQUIRE, __ATOMIC_RELAXED))
        return;
    // Marks the lock contended, so that the holder wakes a sleeper when it gives it back.
    while (__atomic_exchange_n(word, 2, __ATOMIC_ACQUIRE) != 0)
        futex_lock_syscall(word, FUTEX_WAIT, 2);
}

inline void futex_lock_give(int *word) {
    if (__atomic_exchange_n(word, 0, __ATOMIC_RELEASE) == 2)
        futex_lock_syscall(word, FUTEX_WAKE, 1);
}

#endif
