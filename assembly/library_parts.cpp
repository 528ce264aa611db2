// The one place that knows every layer: it lends the core the parts it runs but cannot include.
#include "core/library_parts.h"

#include "draw/drawing_state.h"
#include "image/bitmap_list.h"
#include "window/window_messages.h"
#include "window/window_states.h"

const library_parts g_library_parts = {
    handle_window_message, create_drawing_state, open_drawing,       free_drawing_state,
    create_window_states,  free_window_states,   bitmap_list_create, bitmap_list_discard_all,
};
