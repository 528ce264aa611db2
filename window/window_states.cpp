// A window's input, frame schedule and desktop state through its life: made empty with the
// window, freed at its teardown.
#include "window/window_states.h"
#include "window/desktop_state.h"
#include "window/frame_schedule.h"
#include "window/input/user_input.h"

#include "core/heap.h"

#include <new>

namespace {

// A value-initialised T from the heap, or null.
template <typename T> T *make_empty() {
    void *block = heap_alloc(sizeof(T));
    return block ? new (block) T() : nullptr;
}

template <typename T> void discard(T *&state) {
    if (!state) return;
    state->~T();
    heap_free(state);
    state = nullptr;
}

} // namespace

bool create_window_states(window_record *window) {
    // Value-initialised: empty rings, no buttons, no pointer, no schedule yet, framed and not
    // resizable.
    window->input = make_empty<user_input>();
    window->pacing = make_empty<frame_schedule>();
    window->desktop = make_empty<desktop_state>();
    return window->input && window->pacing && window->desktop;
}

void free_window_states(window_record *window) {
    // Torn down after the platform window, which no longer shows the icon.
    if (window->desktop && window->desktop->icon) DestroyIcon(window->desktop->icon);
    discard(window->input);
    discard(window->pacing);
    discard(window->desktop);
}
