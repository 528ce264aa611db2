// The seat: which of a pointer and a keyboard it has, and the input objects' lifetime.
#include "platform/posix/display/wayland/wayland_internal.h"

namespace {

const uint32_t k_seat_version = 5; // the pointer's frames and wheel notches

void on_capabilities(void *, wl_seat *, uint32_t capabilities) {
    wayland_state &s = wayland();
    if (capabilities & WL_SEAT_CAPABILITY_POINTER) {
        wayland_pointer_start();
    } else if (s.pointer != nullptr) {
        wayland_pointer_stop();
    }
    if (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) {
        wayland_keyboard_start();
    } else if (s.keyboard != nullptr) {
        wayland_keyboard_stop();
    }
}

void on_name(void *, wl_seat *, const char *) {}

const wl_seat_listener k_seat_listener = {on_capabilities, on_name};

} // namespace

// One seat is followed, the first: a desktop has one, and the library has one pointer.
void wayland_seat_added(uint32_t name, uint32_t version) {
    wayland_state &s = wayland();
    if (s.seat != nullptr || version < k_seat_version) return;
    s.seat = static_cast<wl_seat *>(
        wl_registry_bind(s.registry, name, &wl_seat_interface, k_seat_version));
    wl_seat_add_listener(s.seat, &k_seat_listener, nullptr);
}

void wayland_input_forget(display_window *w) {
    wayland_pointer_forget(w);
    wayland_keyboard_forget(w);
}

void wayland_input_stop(void) {
    if (wayland().pointer != nullptr) wayland_pointer_stop();
    if (wayland().keyboard != nullptr) wayland_keyboard_stop();
}
