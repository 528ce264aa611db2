// GlobalAlloc and friends: blocks with a small header that tells fixed from moveable handles.
#include "platform/posix/kernel/kernel_objects.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

namespace {

// A fixed handle is the data address; a moveable handle points 16 bytes into the header. Both
// kinds find a tag 16 bytes before the handle: `moveable_tag` for moveable, `inner_tag` for fixed.
const uint64_t moveable_tag = 0x5A474C4F424D4F56ull;
const uint64_t fixed_tag = 0x5A474C4F42464958ull;
const uint64_t inner_tag = 0x5A474C4F42494E4Eull;

struct global_header {
    uint64_t outer;
    uint64_t size;
    uint64_t inner;
    uint32_t locks;
    uint32_t reserved;
};
static_assert(sizeof(global_header) == 32, "the data must start 32 bytes into the block");

unsigned char *data_of(global_header *header) {
    return reinterpret_cast<unsigned char *>(header) + sizeof(global_header);
}

global_header *header_of(HGLOBAL mem) {
    if (mem == nullptr) return nullptr;
    unsigned char *p = static_cast<unsigned char *>(mem);
    uint64_t tag;
    memcpy(&tag, p - 16, sizeof tag);
    global_header *header = nullptr;
    if (tag == moveable_tag) header = reinterpret_cast<global_header *>(p - 16);
    if (tag == inner_tag) header = reinterpret_cast<global_header *>(p - 32);
    if (header == nullptr) SetLastError(KERNEL_ERROR_INVALID_HANDLE);
    return header;
}

} // namespace

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
    if (bytes > SIZE_MAX - sizeof(global_header)) { // the header must not wrap the size around
        SetLastError(KERNEL_ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    global_header *header = static_cast<global_header *>(
        (flags & GMEM_ZEROINIT) ? calloc(1, sizeof(global_header) + bytes)
                                : malloc(sizeof(global_header) + bytes));
    if (header == nullptr) {
        SetLastError(KERNEL_ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    bool moveable = (flags & GMEM_MOVEABLE) != 0;
    header->outer = moveable ? moveable_tag : fixed_tag;
    header->size = bytes;
    header->inner = inner_tag;
    header->locks = 0;
    header->reserved = 0;
    if (moveable) return reinterpret_cast<unsigned char *>(header) + 16;
    return data_of(header);
}

LPVOID WINAPI GlobalLock(HGLOBAL mem) {
    global_header *header = header_of(mem);
    if (header == nullptr) return nullptr;
    if (header->outer == moveable_tag) header->locks++;
    return data_of(header);
}

// Like Win32: FALSE once the lock count reaches zero (last error 0), TRUE while still locked.
BOOL WINAPI GlobalUnlock(HGLOBAL mem) {
    global_header *header = header_of(mem);
    if (header == nullptr) return FALSE;
    if (header->outer == moveable_tag && header->locks > 0) header->locks--;
    if (header->locks == 0) SetLastError(0);
    return header->locks > 0;
}

// NULL on success, the handle back on failure.
HGLOBAL WINAPI GlobalFree(HGLOBAL mem) {
    if (mem == nullptr) return nullptr;
    global_header *header = header_of(mem);
    if (header == nullptr) return mem;
    header->outer = 0;
    header->inner = 0;
    free(header);
    return nullptr;
}

SIZE_T WINAPI GlobalSize(HGLOBAL mem) {
    global_header *header = header_of(mem);
    return header == nullptr ? 0 : header->size;
}
