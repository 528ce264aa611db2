// The window procedure of the "ZelvanClass" windows and its handlers.
#ifndef ZELVAN_CORE_WINDOW_PROC_H
#define ZELVAN_CORE_WINDOW_PROC_H

#include "core/window_record.h"

LRESULT CALLBACK window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

// Timer 1: asks for a repaint when the buffer on view has changed.
void refresh_tick(window_record *record);
// WM_PAINT: copies the view buffer to the screen.
void paint_window(window_record *record);
// Realises the window's palette on its DC and asks for a repaint.
void realize_window_palette(window_record *record, HWND hwnd, BOOL force_background);
// Appends `repeat` copies of a typed character to the key ring while there is room.
void record_character(window_record *record, char character, int repeat);
// Stores a mouse message's client position (and MK_ flags) as the live record.
void record_mouse_event(window_record *record, mouse_event_record &live, LPARAM lparam,
                        WPARAM wparam);

#endif
