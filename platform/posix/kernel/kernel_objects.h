// Kernel object handles: threads and files live behind small Win32-style handle values.
#ifndef ZELVAN_KERNEL_OBJECTS_H
#define ZELVAN_KERNEL_OBJECTS_H

#include "platform/win32.h"

#include <atomic>

// Win32 error codes that the platform layer stores with SetLastError.
constexpr DWORD KERNEL_ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD KERNEL_ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD KERNEL_ERROR_ACCESS_DENIED = 5;
constexpr DWORD KERNEL_ERROR_INVALID_HANDLE = 6;
constexpr DWORD KERNEL_ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD KERNEL_ERROR_FILE_EXISTS = 80;
constexpr DWORD KERNEL_ERROR_DISK_FULL = 112;
constexpr DWORD KERNEL_ERROR_FILE_TOO_LARGE = 223;
constexpr DWORD KERNEL_ERROR_INVALID_PARAMETER = 87;
constexpr DWORD KERNEL_ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD KERNEL_ERROR_NEGATIVE_SEEK = 131;
constexpr DWORD KERNEL_ERROR_MOD_NOT_FOUND = 126;
constexpr DWORD KERNEL_ERROR_ALREADY_EXISTS = 183;
constexpr DWORD KERNEL_ERROR_INVALID_FLAGS = 1004;
constexpr DWORD KERNEL_ERROR_NO_UNICODE_TRANSLATION = 1113;
constexpr DWORD KERNEL_ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr DWORD KERNEL_ERROR_CANNOT_FIND_WND_CLASS = 1407;
constexpr DWORD KERNEL_ERROR_CLASS_ALREADY_EXISTS = 1410;

// Results of WaitForSingleObject.
constexpr DWORD KERNEL_WAIT_OBJECT_0 = 0;
constexpr DWORD KERNEL_WAIT_TIMEOUT = 258;
constexpr DWORD KERNEL_WAIT_FAILED = 0xFFFFFFFFu;

enum kernel_object_kind { KERNEL_OBJECT_THREAD = 1, KERNEL_OBJECT_FILE = 2 };

// The common head of every kernel object; `refs` counts the handle plus every lookup in use.
struct kernel_object {
    kernel_object_kind kind;
    std::atomic<int> refs;
    void (*destroy)(kernel_object *object);
};

// Gives `object` (with refs already 1 for the handle) a handle value; NULL when the table is full.
HANDLE kernel_handle_insert(kernel_object *object);

// Looks a handle up and takes a reference; NULL (last error ERROR_INVALID_HANDLE) when it names
// no object of `kind`. Give the reference back with kernel_object_release.
kernel_object *kernel_handle_lookup(HANDLE handle, kernel_object_kind kind);

void kernel_object_release(kernel_object *object);

// A file handle's object (KERNEL_OBJECT_FILE): its open descriptor.
struct kernel_file {
    kernel_object head;
    int fd;
};

// The Win32 error code for an errno value of the file calls.
DWORD kernel_error_from_errno(int error);

// True while the process exits; false when the library is merely being unloaded.
bool kernel_process_exiting(void);

// Frees the handle table and the cached command line and program names. Only at unload.
void kernel_release_all(void);

// Milliseconds of a monotonic clock; the time base of GetTickCount and of the window manager.
uint64_t kernel_monotonic_ms(void);

#endif
