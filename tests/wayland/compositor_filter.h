// A socket between the library and sway that makes sway look like a compositor that draws no
// window frames, so that the driver's client-drawn frames can be tested under sway, which
// always draws its own. Every message passes through unchanged but for the decoration
// protocol (xdg-decoration):
//   hide_decorations    its global is never announced, as on GNOME, which offers none;
//   client_decorations  it is there, but every frame mode the compositor sends is
//                       client_side (sway still draws its border, believing it draws the frame).
#ifndef ZELVAN_TESTS_COMPOSITOR_FILTER_H
#define ZELVAN_TESTS_COMPOSITOR_FILTER_H

#include <atomic>
#include <string>
#include <thread>

enum class compositor_look { as_is, hide_decorations, client_decorations };

class compositor_filter {
  public:
    // Listens at `runtime`/`name` and passes each client on to the compositor at
    // `runtime`/`upstream`.
    compositor_filter(const std::string &runtime, const std::string &upstream,
                      const std::string &name, compositor_look look);
    ~compositor_filter();
    compositor_filter(const compositor_filter &) = delete;
    compositor_filter &operator=(const compositor_filter &) = delete;
    bool listening() const { return listener_ >= 0; }

  private:
    void serve();

    std::string upstream_, path_;
    compositor_look look_;
    int listener_ = -1;
    int stop_[2] = {-1, -1};
    std::thread thread_;
};

#endif
