// A window's buffers and drawing state, as the other layers change them. draw/ owns the memory
// DC, the two buffer bitmaps, the dirty flags, the frame counts and the objects drawn with;
// the record holds the buffers where the refresh tick reads them (core/window_record.h), and
// every change to them goes through here or through the drawing calls themselves.
#ifndef ZELVAN_DRAW_WINDOW_BUFFERS_H
#define ZELVAN_DRAW_WINDOW_BUFFERS_H

#include "core/window_record.h"

// With the window lock held: marks buffer `index` changed. True when that made the buffer on
// view changed; the caller then calls request_refresh (core/window_refresh.h) once it has
// left the lock.
bool mark_changed(window_record *window, int index);

// The buffer on view no longer counts as changed: a repaint asked for or under way shows it.
// With or without the window lock: the flags are atomics, and the refresh reads them unlocked.
void mark_view_shown(window_record *window);

// GUI thread, no lock held, after a paint: `frame` (the count of presented frames it read
// under the window lock) has reached the screen, which ZVPresent waits for.
void note_frame_painted(window_record *window, unsigned frame);

// A bitmap for each buffer a resize replaces, all made before any is swapped in.
struct resized_buffers {
    HBITMAP bitmap[2]; // null where the window has no such buffer
};

// With the window lock held, so that the set of buffers cannot change before they are
// swapped: makes a bitmap of width x height for every buffer the window has (its draw buffer
// when it has none yet), compatible with `screen_dc`. False, with nothing made, when the
// system cannot hold that size: the window and its pictures then stay as they were.
bool make_resized_buffers(window_record *window, HDC screen_dc, int width, int height,
                          resized_buffers *made);

// With the window lock held, once the record's width, height and buffer_rect give the new
// size: puts `made` in place of the window's buffers and deletes the old ones. Each takes the
// old picture's top-left part, old_width x old_height, through a DC compatible with
// `screen_dc`; what the old one did not cover (all of it where there was none) takes the
// background colour.
void swap_in_resized_buffers(window_record *window, const resized_buffers &made, HDC screen_dc,
                             int old_width, int old_height);

// With the window lock held: makes `palette` the window's palette in its memory DC and
// deletes the one it replaces (the stock palette a window starts with survives that).
void set_palette(window_record *window, HPALETTE palette);

#endif
