// GetEnvironmentVariableA: the process environment, as Win32 hands it out.
#include "platform/posix/kernel/kernel_objects.h"

#include <stdlib.h>
#include <string.h>

// The value's length without its NUL when it fits in `size` characters with the NUL, else the
// size needed with it; 0 with ERROR_ENVVAR_NOT_FOUND when the variable is not set.
DWORD WINAPI GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) {
    const char *value = name != nullptr ? getenv(name) : nullptr;
    if (value == nullptr) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    size_t length = strlen(value);
    if (buffer == nullptr || length >= size) return static_cast<DWORD>(length + 1);
    memcpy(buffer, value, length + 1);
    return static_cast<DWORD>(length);
}
