// The messages a library window handles once its record is held (GUI thread only).
#ifndef ZELVAN_WINDOW_WINDOW_MESSAGES_H
#define ZELVAN_WINDOW_WINDOW_MESSAGES_H

#include "core/window_record.h"

// Handles `message` for the window of `record`; false leaves it to DefWindowProcA.
bool handle_window_message(window_record *record, HWND hwnd, UINT message, WPARAM wparam,
                           LPARAM lparam);

#endif
