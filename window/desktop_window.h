// Fullscreen switching, which the GUI thread carries out (window/desktop_window.cpp).
#ifndef ZELVAN_WINDOW_DESKTOP_WINDOW_H
#define ZELVAN_WINDOW_DESKTOP_WINDOW_H

#include "core/window_record.h"

// Takes the window into fullscreen or out of it, for a switch claimed with
// FULLSCREEN_SWITCHING, and leaves the new state in fullscreen_state. GUI thread only: the
// new style and the frame that goes with it then reach the platform with no message of the
// display (a move by its window manager) handled between the two.
void switch_fullscreen(window_record *record, bool on);

#endif
