// The drawing-call skeleton shared by every call that touches a window's buffer pixels:
// look up, take the window lock, select a buffer into the memory DC, mark it dirty, draw,
// select the previous bitmap back, leave the lock, give the reference back.
#ifndef ZELVAN_DRAW_DRAW_CALL_H
#define ZELVAN_DRAW_DRAW_CALL_H

#include "core/window_table.h"
#include "platform/saturate.h"
#include "zelvan.h"

#include <stdint.h>

// A colour argument as the library keeps it: the low 24 bits, 0x00BBGGRR.
inline COLORREF colour_bits(ZVCOLOUR colour) {
    return colour & 0x00FFFFFF;
}

// ZV_OK for a platform call that reported success (non-zero), else ZV_ERROR.
inline int platform_result(BOOL ok) {
    return ok ? ZV_OK : ZV_ERROR;
}

// Which of a window's two buffers a call works on.
enum class buffer_role { draw, view };

// Holds the window lock with one buffer selected into the memory DC for the length of a
// scope. `dc` is the memory DC, or null when the window has no such buffer: every platform
// call then fails and reports it, instead of drawing into the DC's own 1x1 bitmap.
struct selected_buffer {
    window_record *record;
    HDC dc;
    HGDIOBJ previous;
    bool shows_change; // marked the buffer on view: the refresh is asked for once unlocked
    selected_buffer(window_record *record, buffer_role role, bool marks_dirty);
    ~selected_buffer();
    selected_buffer(const selected_buffer &) = delete;
    selected_buffer &operator=(const selected_buffer &) = delete;
};

// Runs `draw(record, dc)` on the draw buffer of `handle` inside the skeleton; returns
// `bad_window` (with ZV_ERR_BAD_WINDOW in the last error) when there is no such window.
template <typename Result, typename Draw>
Result draw_call(int handle, Result bad_window, bool marks_dirty, Draw draw) {
    window_ref window(handle);
    if (!window.ok()) return bad_window;
    selected_buffer buffer(window.record, buffer_role::draw, marks_dirty);
    return draw(window.record, buffer.dc);
}

#endif
