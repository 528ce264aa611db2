// MessageBoxA: there is no dialog here, so the message goes to standard error.
#include "platform/win32.h"

#include <stdio.h>

int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) {
    fprintf(stderr, "%s: %s\n", caption != nullptr ? caption : "Error",
            text != nullptr ? text : "");
    fflush(stderr);
    return 1; // IDOK
}
