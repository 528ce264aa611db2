// The platform layer's own clean-up when the library is unloaded with dlclose: the window
// manager, the display driver's screen, GDI (objects, fonts, FreeType, fontconfig) and the
// kernel tables, in that order, since each uses the ones after it.
#include "platform/posix/display/display.h"
#include "platform/posix/gdi/gdi_shutdown.h"
#include "platform/posix/kernel/kernel_objects.h"
#include "platform/posix/user/wm_internal.h"

namespace {

// Priority 101 runs this after the library's own destructor (which has none), so the GUI
// thread has ended and its windows are gone by now.
__attribute__((destructor(101))) void platform_unload() {
    // At exit other host threads may still be inside calls, and the system frees it all.
    if (kernel_process_exiting()) return;
    if (!wm_release_all()) return; // the GUI thread could not be stopped
    display_release();
    gdi_shutdown();
    kernel_release_all();
}

} // namespace
