// The refresh: a window's timer runs only while its view buffer holds a change the screen
// does not show yet, so an idle window costs nothing. Host threads that make such a change
// ask the GUI thread, which alone starts and stops timers.
#ifndef ZELVAN_CORE_WINDOW_REFRESH_H
#define ZELVAN_CORE_WINDOW_REFRESH_H

#include "core/window_record.h"

// Posted to a window: start its refresh timer, or give it the period now set, or stop it.
enum { MSG_REFRESH = WM_USER + 1 };

// With no lock held, after a change to the buffer on view (draw/'s mark_changed says when):
// has the GUI thread start the window's timer, unless it runs or has been asked to already, or
// the host stopped the refresh.
void request_refresh(window_record *record);

// Host threads: sets the period (0: stopped) and has the GUI thread apply it.
void set_refresh_period(window_record *record, int period_ms);

// GUI thread: MSG_REFRESH, and the timer's WM_TIMER.
void on_refresh_request(window_record *record);
void refresh_tick(window_record *record);

// GUI thread, as the window closes: the timer stops for good.
void stop_refresh_timer(window_record *record);

#endif
