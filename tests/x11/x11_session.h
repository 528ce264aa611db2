// End-to-end tests on a real X server. The library picks its display when it loads, before
// any test runs, so each test runs twice: the parent starts a private Xvfb (and a window
// manager if asked) and runs the same test again in a child process whose DISPLAY names it.
//
//   TEST(X11Windows, Something) {
//       if (!x11_session::run_in_child()) return; // parent: the child ran the body
//       ...body, on the X server...
//   }
#ifndef ZELVAN_TESTS_X11_SESSION_H
#define ZELVAN_TESTS_X11_SESSION_H

#include "../api/poll.h"

// Before Xlib, whose None macro would break gtest's headers.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <string>
#include <vector>

namespace x11_session {

struct options {
    bool window_manager = false;         // run openbox on the server
    bool without_shm = false;            // a server without MIT-SHM (as over a network)
    std::string *child_errors = nullptr; // receives the child's standard error when set
};

// In the parent: runs the current test in a child under a fresh Xvfb and returns false (the
// test is skipped when Xvfb is missing). In the child: returns true.
bool run_in_child(const options &how = options());

// The child's own connection to the server, for checking what the library did.
Display *display();

// In the child: kills the X server, as when a session ends under a running program.
void kill_server();

// The library's X window with this title (WM_NAME), or None.
Window find_window(const char *title);

// Where a window's top-left pixel is on the screen, and its size.
struct geometry {
    int x, y, width, height;
    bool viewable;
};
geometry window_geometry(Window window);

// A screen capture of a rectangle of the root window, as 0x00RRGGBB pixels.
std::vector<unsigned long> capture(int x, int y, int width, int height);

// True when `program` is found in PATH (xclip, xdotool and the like).
bool have_program(const char *program);

// Runs a command (argv[0] looked up in PATH) and returns its standard output; `status`
// receives the exit status.
std::string run(const std::vector<std::string> &argv, int *status = nullptr);

// The library's window handle's client area on the screen, from the library's own record.
struct client_area {
    int x, y, width, height;
};
client_area library_client_area(int handle);

} // namespace x11_session

#endif
