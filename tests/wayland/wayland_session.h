// End-to-end tests under a private headless sway. The library picks its display when it loads,
// before any test runs, so each test runs again in a child process: the parent starts sway
// (as an unprivileged user when it runs as root, which sway refuses) with a virtual pointer and
// keyboard on its seat, once for all the tests of the program, sets its output's scale, and
// the child's WAYLAND_DISPLAY names it.
//
//   TEST(WaylandWindows, Something) {
//       for (int scale : {1, 2}) {
//           if (!wayland_session::run_in_child(scale)) continue; // parent: the child ran it
//           ...body, on the compositor, its output at that scale...
//           return;
//       }
//   }
#ifndef ZELVAN_TESTS_WAYLAND_SESSION_H
#define ZELVAN_TESTS_WAYLAND_SESSION_H

#include "../api/poll.h"
#include "compositor_filter.h"

#include <gtest/gtest.h>

#include <stdint.h>

#include <string>
#include <vector>

namespace wayland_session {

// How the child's compositor is had.
struct options {
    // Through a filter that makes sway a compositor drawing no frames (compositor_filter.h).
    compositor_look look = compositor_look::as_is;
    // A sway of its own, for a test that leaves the compositor changed or ends it.
    bool own_compositor = false;
    std::string *child_errors = nullptr; // receives the child's standard error
};

// In the parent: runs the current test in a child under the program's sway, its output at
// this scale, and returns false (the test is skipped when sway is missing). In the child: true
// when it runs at this scale.
bool run_in_child(int scale, const options &how = {});

// The output's scale the child runs at.
int scale(void);

// A command's standard output (argv[0] looked up in PATH), run in the child's session;
// `status` receives its exit status.
std::string run(const std::vector<std::string> &argv, int *status = nullptr);

// swaymsg with these arguments; true when sway carried it out.
bool sway(const std::vector<std::string> &args);
// The seat's cursor: `swaymsg seat - cursor` with these arguments (set X Y, press button1...),
// in the layout's logical coordinates.
void cursor(const std::vector<std::string> &args);
// wtype with these arguments: keys typed on the seat's keyboard, to the focused window.
void wtype(const std::vector<std::string> &args);

// Where the library's window with this title shows its picture, in the layout's logical
// coordinates; `found` false while sway shows none.
struct area {
    bool found;
    int x, y, width, height;
};
area find_window(const std::string &title);
// Waits until sway shows the window at the same place for a third of a second, at `width` x
// `height` where they are given: sway may add its title bar after first listing a window,
// which moves the content.
bool sway_window_settled(const std::string &title, area *where, int width = 0, int height = 0);

// A screen shot of a logical rectangle, in the output's own pixels (scale times as many each
// way) or at the scale given, as 0x00RRGGBB.
struct picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};
picture capture(int x, int y, int width, int height, int at_scale = 0);

// Kills the compositor, as when a session ends under a running program.
void kill_compositor(void);

} // namespace wayland_session

#endif
