// The process's window station: one, named after the display driver that shows its windows.
#include "platform/posix/kernel/kernel_objects.h"
#include "platform/posix/user/wm_internal.h"

#include <string.h>

namespace {

// A value no handle of the kernel's table takes (those are multiples of 4).
HWINSTA const process_station = reinterpret_cast<HWINSTA>(uintptr_t{0x5751});

} // namespace

HWINSTA WINAPI GetProcessWindowStation(void) {
    return process_station;
}

// Only the name is kept: the driver in use now, which opens on the first question. A screen
// that went away leaves the headless driver in its place, and the name follows.
BOOL WINAPI GetUserObjectInformationA(HANDLE object, int index, LPVOID info, DWORD length,
                                      LPDWORD needed) {
    if (object != static_cast<HANDLE>(process_station)) {
        wm_set_error(KERNEL_ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (index != UOI_NAME) {
        wm_set_error(KERNEL_ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const display_driver *driver = wm_driver();
    const char *name = driver != nullptr ? driver->name : "";
    DWORD bytes = static_cast<DWORD>(strlen(name) + 1);
    if (needed != nullptr) *needed = bytes;
    if (info == nullptr || length < bytes) {
        wm_set_error(KERNEL_ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    memcpy(info, name, bytes);
    return TRUE;
}
