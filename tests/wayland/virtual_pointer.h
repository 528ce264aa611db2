// Input devices for a compositor that has none (sway's headless backend): a client that asks
// for a virtual pointer and a virtual keyboard gives the seat both capabilities, so that
// swaymsg's cursor commands reach the clients and their keyboards are there before wtype
// types. The two protocols (wlroots' virtual pointer and the virtual keyboard, version 1) have
// no XML in wayland-protocols, so the requests this needs are stated here.
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
    // Moves the pointer by this many logical units, as a mouse does (swaymsg's cursor commands
    // send no motion to a surface that holds a press); true once the compositor had it.
    bool move(double dx, double dy);

  private:
    wl_display *display_ = nullptr;
    wl_proxy *manager_ = nullptr;
    wl_proxy *device_ = nullptr;
    wl_proxy *keyboard_manager_ = nullptr;
    wl_proxy *seat_ = nullptr;
    wl_proxy *keyboard_ = nullptr;
};

#endif
