// The two DPI calls the scaling uses, made safe where the system may lack them.
#ifndef ZELVAN_CORE_DPI_CALLS_H
#define ZELVAN_CORE_DPI_CALLS_H

#include "platform/win32.h"

// SetThreadDpiAwarenessContext, or null where the system has no such call.
DPI_AWARENESS_CONTEXT set_thread_dpi_context(DPI_AWARENESS_CONTEXT context);
// The density the window is shown at, in dots per inch.
UINT window_dpi(HWND hwnd);

#endif
