// A virtual pointer on the compositor's seat, kept for as long as the object lives.
#include "virtual_pointer.h"

#include <wayland-client.h>

#include <string.h>

namespace {

const wl_interface *k_no_types[4] = {};

extern const wl_interface k_device_interface;

// zwlr_virtual_pointer_manager_v1: create_virtual_pointer(seat: object, nullable; id: new_id)
// and destroy; zwlr_virtual_pointer_v1 only needs its destroy here (its ninth request; the
// others move and press it, which swaymsg does through the seat's cursor).
const wl_interface *k_create_types[] = {&wl_seat_interface, &k_device_interface};
const wl_message k_manager_requests[] = {
    {"create_virtual_pointer", "?on", k_create_types},
    {"destroy", "", k_no_types},
};
const wl_interface k_manager_interface = {
    "zwlr_virtual_pointer_manager_v1", 1, 2, k_manager_requests, 0, nullptr,
};
const wl_message k_device_requests[] = {
    {"motion", "uff", k_no_types},   {"motion_absolute", "uuuuu", k_no_types},
    {"button", "uuu", k_no_types},   {"axis", "uuf", k_no_types},
    {"frame", "", k_no_types},       {"axis_source", "u", k_no_types},
    {"axis_stop", "uu", k_no_types}, {"axis_discrete", "uufi", k_no_types},
    {"destroy", "", k_no_types},
};
const wl_interface k_device_interface = {
    "zwlr_virtual_pointer_v1", 1, 9, k_device_requests, 0, nullptr,
};
const uint32_t k_manager_destroy = 1;
const uint32_t k_device_motion = 0;
const uint32_t k_device_frame = 4;
const uint32_t k_device_destroy = 8;

// zwp_virtual_keyboard_manager_v1: create_virtual_keyboard(seat: object; id: new_id); the
// keyboard is held and never types (its fourth request destroys it). A seat with a keyboard
// from the start gives clients their wl_keyboard before wtype's first key, which the
// capability appearing with wtype's own keyboard would race.
extern const wl_interface k_keyboard_interface;
const wl_interface *k_keyboard_types[] = {&wl_seat_interface, &k_keyboard_interface};
const wl_message k_keyboard_manager_requests[] = {
    {"create_virtual_keyboard", "on", k_keyboard_types},
};
const wl_interface k_keyboard_manager_interface = {
    "zwp_virtual_keyboard_manager_v1", 1, 1, k_keyboard_manager_requests, 0, nullptr,
};
const wl_message k_keyboard_requests[] = {
    {"keymap", "uhu", k_no_types},
    {"key", "uuu", k_no_types},
    {"modifiers", "uuuu", k_no_types},
    {"destroy", "", k_no_types},
};
const wl_interface k_keyboard_interface = {
    "zwp_virtual_keyboard_v1", 1, 4, k_keyboard_requests, 0, nullptr,
};
const uint32_t k_keyboard_destroy = 3;

struct globals {
    wl_proxy *pointer_manager = nullptr;
    wl_proxy *keyboard_manager = nullptr;
    wl_proxy *seat = nullptr;
};

void on_global(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t) {
    globals *g = static_cast<globals *>(data);
    auto bind = [&](const wl_interface *which) {
        return static_cast<wl_proxy *>(wl_registry_bind(registry, name, which, 1));
    };
    if (strcmp(interface, k_manager_interface.name) == 0) {
        g->pointer_manager = bind(&k_manager_interface);
    } else if (strcmp(interface, k_keyboard_manager_interface.name) == 0) {
        g->keyboard_manager = bind(&k_keyboard_manager_interface);
    } else if (strcmp(interface, wl_seat_interface.name) == 0 && g->seat == nullptr) {
        g->seat = bind(&wl_seat_interface);
    }
}

void on_global_remove(void *, wl_registry *, uint32_t) {}

const wl_registry_listener k_registry_listener = {on_global, on_global_remove};

} // namespace

virtual_pointer::virtual_pointer(const std::string &display) {
    display_ = wl_display_connect(display.c_str());
    if (display_ == nullptr) return;
    wl_registry *registry = wl_display_get_registry(display_);
    globals g;
    wl_registry_add_listener(registry, &k_registry_listener, &g);
    wl_display_roundtrip(display_);
    wl_registry_destroy(registry);
    manager_ = g.pointer_manager;
    keyboard_manager_ = g.keyboard_manager;
    seat_ = g.seat;
    if (manager_ == nullptr || keyboard_manager_ == nullptr || seat_ == nullptr) return;
    device_ = wl_proxy_marshal_constructor(manager_, 0, &k_device_interface, nullptr, nullptr);
    keyboard_ =
        wl_proxy_marshal_constructor(keyboard_manager_, 0, &k_keyboard_interface, seat_, nullptr);
    if (wl_display_roundtrip(display_) < 0) device_ = nullptr;
}

virtual_pointer::~virtual_pointer() {
    if (keyboard_ != nullptr) wl_proxy_marshal(keyboard_, k_keyboard_destroy);
    if (keyboard_ != nullptr) wl_proxy_destroy(keyboard_);
    if (keyboard_manager_ != nullptr) wl_proxy_destroy(keyboard_manager_);
    if (seat_ != nullptr) wl_proxy_destroy(seat_);
    if (device_ != nullptr) wl_proxy_marshal(device_, k_device_destroy);
    if (device_ != nullptr) wl_proxy_destroy(device_);
    if (manager_ != nullptr) wl_proxy_marshal(manager_, k_manager_destroy);
    if (manager_ != nullptr) wl_proxy_destroy(manager_);
    if (display_ != nullptr) wl_display_disconnect(display_);
}

bool virtual_pointer::move(double dx, double dy) {
    if (device_ == nullptr) return false;
    wl_proxy_marshal(device_, k_device_motion, 0u, wl_fixed_from_double(dx),
                     wl_fixed_from_double(dy));
    wl_proxy_marshal(device_, k_device_frame);
    return wl_display_roundtrip(display_) >= 0;
}
