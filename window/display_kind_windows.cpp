// ZVGetDisplayKind on Windows: the windows are always the system's own.
#include "core/startup/library_call.h"

#include "zelvan.h"

extern "C" ZVEXPORT const char *ZVAPI ZVGetDisplayKind(void) {
    library_call call;
    return call.refused() ? "" : "windows";
}
