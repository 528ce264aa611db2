// The X session helper that reads the library's own window record, kept apart so that tests
// which load the library at run time can use the session without linking the library.
#include "x11_session.h"

#include "core/window_table.h"

namespace x11_session {

client_area library_client_area(int handle) {
    window_ref window(handle);
    client_area area{0, 0, 0, 0};
    if (!window.ok()) return area;
    EnterCriticalSection(&window->state_lock);
    RECT r = window->client_screen_rect;
    LeaveCriticalSection(&window->state_lock);
    return client_area{int(r.left), int(r.top), int(r.right - r.left), int(r.bottom - r.top)};
}

} // namespace x11_session
