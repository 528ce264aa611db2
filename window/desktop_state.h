// How a window stands on the desktop: whether the user may size it, where it stands towards
// fullscreen and the frame to go back to, the pointer over it and its icon. window/ makes and
// frees it (window/window_states.h); the core only holds it for the window
// (`window_record::desktop`).
#ifndef ZELVAN_WINDOW_DESKTOP_STATE_H
#define ZELVAN_WINDOW_DESKTOP_STATE_H

#include "platform/win32.h"

#include <atomic>

// Where a window stands between its frame and the whole screen; FULLSCREEN_SWITCHING while a
// call moves it from one to the other.
enum { FULLSCREEN_OFF = 0, FULLSCREEN_SWITCHING = 1, FULLSCREEN_ON = 2 };

struct desktop_state {
    // Whether the user may size the window, where it stands towards fullscreen, whether it
    // has the popup style (no frame) now, and a size change by the user or by fullscreen
    // switching that ZVWasResized has not reported yet.
    std::atomic<int> user_resizable;
    std::atomic<int> fullscreen_state;
    std::atomic<int> popup_frame;
    std::atomic<int> resized_unseen;
    // The pointer hidden over the window (ZVShowCursor), and the icon the window owns
    // (GUI thread only; destroyed with the state).
    std::atomic<int> cursor_hidden;
    HICON icon;
    // The style and frame rectangle to go back to from fullscreen, under the state lock.
    LONG_PTR framed_style;
    RECT framed_rect;
};

#endif
