// The process heap: one heap, the C allocator behind it.
#include "platform/posix/kernel/kernel_objects.h"

#include <stdlib.h>

namespace {
// Any non-null value serves as the handle; the allocator is process-wide anyway.
char process_heap_tag;
} // namespace

HANDLE WINAPI GetProcessHeap(void) {
    return &process_heap_tag;
}

// A zero-byte request still returns a unique block, as HeapAlloc does.
LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
    if (heap == nullptr) return nullptr;
    size_t size = bytes == 0 ? 1 : bytes;
    void *block = (flags & HEAP_ZERO_MEMORY) ? calloc(1, size) : malloc(size);
    if (block == nullptr) SetLastError(KERNEL_ERROR_NOT_ENOUGH_MEMORY);
    return block;
}

BOOL WINAPI HeapFree(HANDLE heap, DWORD, LPVOID mem) {
    if (heap == nullptr) {
        SetLastError(KERNEL_ERROR_INVALID_HANDLE);
        return FALSE;
    }
    free(mem);
    return TRUE;
}
