// Opening and closing windows on the GUI thread.
#ifndef ZELVAN_CORE_WINDOW_LIFETIME_H
#define ZELVAN_CORE_WINDOW_LIFETIME_H

#include "core/window_record.h"

// The request a host thread sends the handler window to have a window created on the GUI
// thread; the LPARAM is the new window record.
enum { MSG_CREATE_WINDOW = WM_USER + 0 };
// Retitles a window with the UTF-8 (else Windows-1252) string in lParam. A private message
// passes its pointer as it is, where WM_SETTEXT sent to a Unicode window would be read in the
// ANSI code page on the way. (WM_USER + 1 is MSG_REFRESH, core/window_refresh.h.)
enum { MSG_SET_TITLE = WM_USER + 2 };
// The library's other private messages, which window/ handles, count from here.
enum { MSG_WINDOW_LAYER_FIRST = WM_USER + 16 };

// Builds the platform window and the drawing objects of a record (MSG_CREATE_WINDOW).
void create_window_on_gui_thread(window_record *record);
// First part of closing: stops handing out the record, waits for references, frees the slot.
// Gives back the window procedure's own reference. False when the window was already
// closing: a second WM_CLOSE, served while the first waits, leaves the rest to the first.
bool begin_close(window_record *record);
// Closes a canvas on the calling thread, which hands over its reference: waits for the other
// references, frees the slot and tears the record down. A canvas another thread is closing is
// left to that one.
void close_canvas(window_record *record);
// WM_DESTROY: detaches the record from the window and frees it.
void destroy_record(window_record *record);
// Frees the drawing objects, the locks, the title and the record itself. `dc_alive` says
// whether the memory DC still exists and must have its original objects selected back.
void teardown_record(window_record *record, bool dc_alive);

#endif
