// The X session of the end-to-end tests: a private Xvfb, an optional window manager, and the
// test re-run in a child process that talks to them.
#include "x11_session.h"

#include "../child_process.h"

#include <X11/Xatom.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace x11_session {
namespace {

using namespace child_process;

const char k_child_marker[] = "ZELVAN_X11_TEST_CHILD";
const char k_server_pid[] = "ZELVAN_X11_TEST_SERVER";

std::vector<std::string> environment_with(const std::string &display) {
    std::vector<std::string> extra;
    if (!display.empty()) extra.push_back("DISPLAY=" + display);
    return environment_without({"DISPLAY=", "WAYLAND_DISPLAY="}, extra);
}

// Xvfb picks a free display number itself and writes it to the descriptor it is given.
pid_t start_xvfb(bool with_shm, std::string *display) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    std::vector<std::string> argv{"Xvfb",      "-displayfd", std::to_string(fds[1]),
                                  "-screen",   "0",          "1280x1024x24",
                                  "-nolisten", "tcp",        "-noreset"};
    if (!with_shm) argv.insert(argv.end(), {"-extension", "MIT-SHM"});
    pid_t pid = spawn(argv, environment_with(""), -1, fds[1]);
    close(fds[1]);
    std::string number;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        char c;
        if (read(fds[0], &c, 1) != 1 || c == '\n') break;
        number += c;
    }
    close(fds[0]);
    if (number.empty()) {
        stop(pid);
        return -1;
    }
    *display = ":" + number;
    return pid;
}

// Ready once it manages a window: a probe window mapped now gets a WM_STATE from it. (Taking
// the WM_S0 selection comes earlier in its start-up than serving map requests.)
bool window_manager_serves(const std::string &name) {
    Display *d = XOpenDisplay(name.c_str());
    if (d == nullptr) return false;
    Window probe = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 10, 10, 0, 0, 0);
    XMapWindow(d, probe);
    Atom wm_state = XInternAtom(d, "WM_STATE", False);
    bool managed = poll_until(
        [&] {
            Atom type = None;
            int format;
            unsigned long count = 0, after;
            unsigned char *data = nullptr;
            XGetWindowProperty(d, probe, wm_state, 0, 2, False, wm_state, &type, &format, &count,
                               &after, &data);
            if (data != nullptr) XFree(data);
            return count > 0;
        },
        2.0);
    XDestroyWindow(d, probe);
    XCloseDisplay(d);
    return managed;
}

std::string current_test_filter() {
    const testing::TestInfo *info = testing::UnitTest::GetInstance()->current_test_info();
    return std::string("--gtest_filter=") + info->test_suite_name() + "." + info->name();
}

Display *child_display = nullptr;

void skip(const char *why) {
    GTEST_SKIP() << why;
}

} // namespace

bool run_in_child(const options &how) {
    if (getenv(k_child_marker) != nullptr) return true;
    if (!in_path("Xvfb")) {
        skip("Xvfb is not installed: the X11 end-to-end test cannot run");
        return false;
    }
    if (how.window_manager && !in_path("openbox")) {
        skip("openbox is not installed: the window-manager test cannot run");
        return false;
    }
    std::string display;
    pid_t server = start_xvfb(!how.without_shm, &display);
    if (server <= 0) {
        ADD_FAILURE() << "Xvfb did not start";
        return false;
    }
    pid_t manager = -1;
    if (how.window_manager) {
        manager = spawn({"openbox", "--sm-disable"}, environment_with(display), -1);
        EXPECT_TRUE(poll_until([&] { return window_manager_serves(display); }, 30.0))
            << "openbox did not take the screen";
    }
    std::vector<std::string> env = environment_with(display);
    env.push_back(std::string(k_child_marker) + "=1");
    env.push_back(std::string(k_server_pid) + "=" + std::to_string(server));
    fflush(stdout);
    error_capture errors;
    if (how.child_errors != nullptr) errors.open();
    pid_t child = spawn({"/proc/self/exe", current_test_filter()}, env, 1, -1, errors.fd);
    int status = wait_for(child, 100.0);
    if (how.child_errors != nullptr) *how.child_errors = errors.take();
    EXPECT_EQ(status, 0) << "the test failed on the X server " << display
                         << " (its output is above)";
    stop(manager);
    stop(server);
    return false;
}

bool have_program(const char *program) {
    return child_process::in_path(program);
}

static XErrorHandler before_ours = nullptr;

// A window can vanish while the tests walk the tree (a window manager's frame of a window just
// closed): BadWindow on the tests' own connection is no failure. Anything else goes on to the
// handler before this one (the library's, or Xlib's).
static int forgive_vanished(Display *d, XErrorEvent *error) {
    if (d == child_display && (error->error_code == BadWindow || error->error_code == BadDrawable))
        return 0;
    return before_ours != nullptr ? before_ours(d, error) : 0;
}

Display *display() {
    if (child_display == nullptr) {
        child_display = XOpenDisplay(nullptr);
        before_ours = XSetErrorHandler(forgive_vanished);
    }
    return child_display;
}

void kill_server() {
    const char *pid = getenv(k_server_pid);
    ASSERT_NE(pid, nullptr);
    kill(pid_t(atoi(pid)), SIGKILL);
}

static Window search(Display *d, Window window, const char *title) {
    char *name = nullptr;
    if (XFetchName(d, window, &name) && name != nullptr) {
        bool same = strcmp(name, title) == 0;
        XFree(name);
        if (same) return window;
    }
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, window, &root, &parent, &children, &count)) return None;
    Window found = None;
    for (unsigned i = 0; i < count && found == None; ++i) found = search(d, children[i], title);
    if (children != nullptr) XFree(children);
    return found;
}

Window find_window(const char *title) {
    Display *d = display();
    return search(d, DefaultRootWindow(d), title);
}

geometry window_geometry(Window window) {
    Display *d = display();
    XWindowAttributes a{};
    geometry g{0, 0, 0, 0, false};
    if (!XGetWindowAttributes(d, window, &a)) return g;
    Window child;
    XTranslateCoordinates(d, window, DefaultRootWindow(d), 0, 0, &g.x, &g.y, &child);
    g.width = a.width;
    g.height = a.height;
    g.viewable = a.map_state == IsViewable;
    return g;
}

std::vector<unsigned long> capture(int x, int y, int width, int height) {
    Display *d = display();
    std::vector<unsigned long> pixels;
    XImage *image = XGetImage(d, DefaultRootWindow(d), x, y, width, height, AllPlanes, ZPixmap);
    if (image == nullptr) return pixels;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            pixels.push_back(XGetPixel(image, column, row) & 0xFFFFFF);
        }
    }
    XDestroyImage(image);
    return pixels;
}

std::string run(const std::vector<std::string> &argv, int *status) {
    return child_process::run(argv, environment_with(getenv("DISPLAY") ? getenv("DISPLAY") : ""),
                              status);
}

} // namespace x11_session
