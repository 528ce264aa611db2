// Blocks from the process heap, for everything the library keeps beyond a call.
#ifndef ZELVAN_CORE_HEAP_H
#define ZELVAN_CORE_HEAP_H

#include "platform/win32.h"

#include <cstddef>

// Set at start-up, before the first allocation.
extern HANDLE g_process_heap;

// Returns null on failure; heap_free takes null too.
void *heap_alloc(size_t bytes);
void heap_free(void *block);

#endif
