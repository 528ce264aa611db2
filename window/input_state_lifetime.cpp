// A window's input state through its life: made empty with the window, freed at its teardown.
#include "window/input_state.h"

#include "core/heap.h"

#include <new>

bool create_input_state(window_record *r) {
    void *block = heap_alloc(sizeof(input_state));
    if (!block) return false;
    // Value-initialised: empty rings, no buttons, no pointer, framed and not resizable.
    r->input = new (block) input_state();
    return true;
}

void free_input_state(window_record *r) {
    if (!r->input) return;
    // Torn down after the platform window, which no longer shows the icon.
    if (r->input->icon) DestroyIcon(r->input->icon);
    r->input->~input_state();
    heap_free(r->input);
    r->input = nullptr;
}
