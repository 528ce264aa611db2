// Slim locks, exclusive mode: one int in the caller's storage and a futex. They have no
// clean-up, so a lock that must outlive everything it guards can simply never be deleted.
#include "platform/win32.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// state: 0 free, 1 held, 2 held with waiters asleep on the futex.
void futex_call(int *word, int op, int value) {
    syscall(SYS_futex, word, op | FUTEX_PRIVATE_FLAG, value, nullptr, nullptr, 0);
}

} // namespace

void WINAPI AcquireSRWLockExclusive(PSRWLOCK lock) {
    int expected = 0;
    if (__atomic_compare_exchange_n(&lock->state, &expected, 1, false, __ATOMIC_ACQUIRE,
                                    __ATOMIC_RELAXED))
        return;
    while (__atomic_exchange_n(&lock->state, 2, __ATOMIC_ACQUIRE) != 0)
        futex_call(&lock->state, FUTEX_WAIT, 2);
}

void WINAPI ReleaseSRWLockExclusive(PSRWLOCK lock) {
    if (__atomic_exchange_n(&lock->state, 0, __ATOMIC_RELEASE) == 2)
        futex_call(&lock->state, FUTEX_WAKE, 1);
}
