// ZVGetScale: how many screen pixels across each drawing pixel of a window is shown as.
#include "core/result_codes.h"
#include "core/scale/window_scale.h"
#include "core/window_table.h"

extern "C" ZVEXPORT int ZVAPI ZVGetScale(int handle) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    return window_scale(window.record);
}
