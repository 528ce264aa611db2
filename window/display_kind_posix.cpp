// ZVGetDisplayKind on our own platform: the window station is named after the display driver
// that shows the windows, which may change while the program runs (a lost X server leaves the
// headless screen in its place).
#include "core/startup/library_call.h"

#include "zelvan.h"

#include <string.h>

extern "C" ZVEXPORT const char *ZVAPI ZVGetDisplayKind(void) {
    library_call call;
    if (call.refused()) return "";
    // Constant strings, so that the pointer handed out stays good whatever happens next.
    static const char *const kinds[] = {"x11", "wayland", "headless"};
    char name[32] = "";
    GetUserObjectInformationA(GetProcessWindowStation(), UOI_NAME, name, sizeof name, nullptr);
    for (const char *kind : kinds)
        if (strcmp(name, kind) == 0) return kind;
    // A driver this list does not know yet shows windows somewhere: not in memory alone.
    return "unknown";
}
