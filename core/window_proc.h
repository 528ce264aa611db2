// The window procedure of the "ZelvanClass" windows and of the handler window.
#ifndef ZELVAN_CORE_WINDOW_PROC_H
#define ZELVAN_CORE_WINDOW_PROC_H

#include "core/window_record.h"

LRESULT CALLBACK window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

#endif
