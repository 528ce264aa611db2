// Text: drawing a string into the draw buffer, measuring it, choosing which point of it the
// coordinates name, and replacing the window's font. Strings are read as UTF-8 when they are valid
// UTF-8, else as Windows-1252, on every system alike, and drawn through the wide-character
// text call.
#include "core/wide_text.h"
#include "draw/draw_call.h"
#include "draw/drawing_state.h"

#include <limits.h>
#include <math.h>
#include <string.h>

namespace {

// The platform alignment flags for each library code; any other code means top-left.
const UINT alignment_flags[12] = {
    TA_BASELINE | TA_LEFT, TA_BASELINE | TA_CENTER, TA_BASELINE | TA_CENTER, TA_BASELINE | TA_RIGHT,
    TA_TOP | TA_LEFT,      TA_TOP | TA_CENTER,      TA_TOP | TA_CENTER,      TA_TOP | TA_RIGHT,
    TA_BOTTOM | TA_LEFT,   TA_BOTTOM | TA_CENTER,   TA_BOTTOM | TA_CENTER,   TA_BOTTOM | TA_RIGHT,
};

UINT flags_for_code(int code) {
    return code >= 0 && code < 12 ? alignment_flags[code] : TA_TOP | TA_LEFT;
}

// The angle in tenths of a degree, rounded toward zero. Angles beyond the int range are
// brought back by whole turns first, and one that is not a number means no turn at all.
int tenths_of_degree(double angle) {
    double tenths = trunc(angle * 10.0);
    if (isnan(tenths)) return 0;
    if (fabs(tenths) >= 2147483647.0) tenths = fmod(tenths, 3600.0);
    if (isnan(tenths)) return 0; // an infinite angle has no direction
    return static_cast<int>(tenths);
}

HFONT create_window_font(window_record *window, int size, double angle, const char *face) {
    int pixels = MulDiv(size, GetDeviceCaps(window->memory_dc, LOGPIXELSY), 72);
    // -INT_MIN does not exist; the largest positive height asks for the same huge font.
    int height = pixels == INT_MIN ? INT_MAX : -pixels;
    int tenths = tenths_of_degree(angle);
    return CreateFontA(height, 0, tenths, tenths, FW_NORMAL, 0, 0, 0, ANSI_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       FF_MODERN | DEFAULT_PITCH, face);
}

// The size of the box TextOutW fills with `text` in the window's font; false for no string or
// no memory. The window lock keeps the font from being swapped meanwhile.
bool measure_text(window_record *window, const char *text, SIZE *size) {
    if (!text) return false;
    size_t bytes = strlen(text);
    wide_text wide;
    if (!wide.convert(text, bytes > INT_MAX ? INT_MAX : static_cast<int>(bytes))) return false;
    EnterCriticalSection(&window->lock);
    BOOL measured = GetTextExtentPoint32W(window->memory_dc, wide.units, wide.length, size);
    LeaveCriticalSection(&window->lock);
    return measured != FALSE;
}

} // namespace

extern "C" {

ZVEXPORT int ZVAPI ZVTextOut(int handle, int x, int y, const char *text) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    // No string: nothing to count or draw, and the buffer is left as it was.
    if (!text) return ZV_ERROR;
    size_t bytes = strlen(text);
    // The platform counts in an int; a longer string is drawn up to that many bytes.
    int length = bytes > INT_MAX ? INT_MAX : static_cast<int>(bytes);
    // Converted before the lock is taken; a string too long to convert changes nothing.
    wide_text wide;
    if (!wide.convert(text, length)) return ZV_ERROR;
    selected_buffer buffer(window.record, buffer_role::draw, true);
    SetBkMode(buffer.dc, TRANSPARENT);
    BOOL drawn = TextOutW(buffer.dc, x, y, wide.units, wide.length);
    SetBkMode(buffer.dc, OPAQUE);
    return platform_result(drawn);
}

ZVEXPORT int ZVAPI ZVGetTextWidth(int handle, const char *text) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    SIZE size{};
    return measure_text(window.record, text, &size) ? static_cast<int>(size.cx) : ZV_ERROR;
}

// An empty string measures the font's line height, which is what a caret or a layout needs.
ZVEXPORT int ZVAPI ZVGetTextHeight(int handle, const char *text) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    SIZE size{};
    return measure_text(window.record, text, &size) ? static_cast<int>(size.cy) : ZV_ERROR;
}

// Taken under the window lock, like the other attributes, so that a text call on another
// thread always sees one alignment, whole.
ZVEXPORT int ZVAPI ZVTextAlign(int handle, int code) {
    window_ref window(handle);
    if (!window.ok()) return ZV_ERR_BAD_WINDOW;
    EnterCriticalSection(&window->lock);
    UINT previous = SetTextAlign(window->memory_dc, flags_for_code(code));
    LeaveCriticalSection(&window->lock);
    return previous == GDI_ERROR ? ZV_ERROR : ZV_OK;
}

// The swap happens under the window lock: a text call on another thread then never draws
// with a font that is being deleted.
ZVEXPORT int ZVAPI ZVSetFont(int handle, int size, double angle, const char *face) {
    window_ref found(handle);
    if (!found.ok()) return ZV_ERR_BAD_WINDOW;
    window_record *window = found.record;
    EnterCriticalSection(&window->lock);
    HFONT made = create_window_font(window, size, angle, face);
    if (made) {
        SelectObject(window->memory_dc, made);
        DeleteObject(window->drawing->font); // the stock font is never destroyed by the platform
        window->drawing->font = made;
    }
    LeaveCriticalSection(&window->lock);
    return made ? ZV_OK : ZV_ERROR;
}

} // extern "C"
