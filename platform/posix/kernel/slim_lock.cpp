// Slim locks, exclusive mode. They have no clean-up, so a lock that must outlive everything it
// guards can simply never be deleted.
#include "platform/posix/kernel/futex_lock.h"
#include "platform/win32.h"

void WINAPI AcquireSRWLockExclusive(PSRWLOCK lock) {
    futex_lock_take(&lock->state);
}

void WINAPI ReleaseSRWLockExclusive(PSRWLOCK lock) {
    futex_lock_give(&lock->state);
}
