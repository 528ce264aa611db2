// A pointer device for a compositor that has none (sway's headless backend): a client that
// asks for a virtual pointer gives the seat the pointer capability, so that swaymsg's cursor
// commands reach the clients. The protocol (wlroots' virtual pointer, version 1) has no XML in
// wayland-protocols, so its two requests this needs are stated here.
#ifndef ZELVAN_TESTS_VIRTUAL_POINTER_H
#define ZELVAN_TESTS_VIRTUAL_POINTER_H

#include <string>

struct wl_display;
struct wl_proxy;

class virtual_pointer {
  public:
    // Connects to the compositor at `display` (a socket name in XDG_RUNTIME_DIR).
    explicit virtual_pointer(const std::string &display);
    ~virtual_pointer();
    virtual_pointer(const virtual_pointer &) = delete;
    virtual_pointer &operator=(const virtual_pointer &) = delete;
    bool made() const { return device_ != nullptr; }

  private:
    wl_display *display_ = nullptr;
    wl_proxy *manager_ = nullptr;
    wl_proxy *device_ = nullptr;
};

#endif
