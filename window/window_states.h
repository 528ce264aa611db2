// The states window/ keeps for each window, beside draw/'s drawing state: its user input
// (window/input/user_input.h), its frame schedule (window/frame_schedule.h) and how it stands
// on the desktop (window/desktop_state.h). The core holds them for the window and has them made and
// freed through g_library_parts when a window opens and when it is torn down.
#ifndef ZELVAN_WINDOW_WINDOW_STATES_H
#define ZELVAN_WINDOW_WINDOW_STATES_H

#include "core/window_record.h"

// Gives a new record its three states, all empty; false when there is no memory for them.
bool create_window_states(window_record *record);
// Frees the three states; null-safe, for a record whose creation stopped early.
void free_window_states(window_record *record);

#endif
