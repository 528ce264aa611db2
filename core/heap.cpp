// Blocks from the process heap.
#include "core/heap.h"

HANDLE g_process_heap;

void *heap_alloc(size_t bytes) {
    return HeapAlloc(g_process_heap, 0, bytes);
}

void heap_free(void *block) {
    if (block) HeapFree(g_process_heap, 0, block);
}
