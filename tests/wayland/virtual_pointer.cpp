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
const uint32_t k_device_destroy = 8;

void on_global(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t) {
    if (strcmp(interface, k_manager_interface.name) != 0) return;
    *static_cast<wl_proxy **>(data) =
        static_cast<wl_proxy *>(wl_registry_bind(registry, name, &k_manager_interface, 1));
}

void on_global_remove(void *, wl_registry *, uint32_t) {}

const wl_registry_listener k_registry_listener = {on_global, on_global_remove};

} // namespace

virtual_pointer::virtual_pointer(const std::string &display) {
    display_ = wl_display_connect(display.c_str());
    if (display_ == nullptr) return;
    wl_registry *registry = wl_display_get_registry(display_);
    wl_registry_add_listener(registry, &k_registry_listener, &manager_);
    wl_display_roundtrip(display_);
    wl_registry_destroy(registry);
    if (manager_ == nullptr) return;
    device_ = wl_proxy_marshal_constructor(manager_, 0, &k_device_interface, nullptr, nullptr);
    if (wl_display_roundtrip(display_) < 0) device_ = nullptr;
}

virtual_pointer::~virtual_pointer() {
    if (device_ != nullptr) wl_proxy_marshal(device_, k_device_destroy);
    if (device_ != nullptr) wl_proxy_destroy(device_);
    if (manager_ != nullptr) wl_proxy_marshal(manager_, k_manager_destroy);
    if (manager_ != nullptr) wl_proxy_destroy(manager_);
    if (display_ != nullptr) wl_display_disconnect(display_);
}
