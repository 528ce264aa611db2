// The Wayland session of the end-to-end tests: a private headless sway shared by the program's
// tests, a virtual pointer and keyboard on its seat, and each test re-run in a child process
// that talks to them.
#include "wayland_session.h"

#include "../child_process.h"
#include "json_value.h"
#include "virtual_pointer.h"

#include <pwd.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace wayland_session {
namespace {

using namespace child_process;

const char k_child_marker[] = "ZELVAN_WAYLAND_TEST_SCALE";
const char k_compositor_pid[] = "ZELVAN_WAYLAND_TEST_COMPOSITOR";

// Where sway and the tools find one another, and nothing of the desktop the tests run on.
std::vector<std::string> session_environment(const std::string &runtime,
                                             std::vector<std::string> extra) {
    extra.push_back("XDG_RUNTIME_DIR=" + runtime);
    return environment_without({"DISPLAY=", "WAYLAND_DISPLAY=", "WAYLAND_SOCKET=",
                                "XDG_RUNTIME_DIR=", "SWAYSOCK=", "ZELVAN_DISPLAY="},
                               extra);
}

// sway refuses to run as root: then it runs as nobody, in a runtime folder of nobody's.
bool as_root(void) {
    return geteuid() == 0;
}

// The tests' windows float, as on a desktop, and sway frames them.
std::string make_runtime_folder(void) {
    char path[] = "/tmp/zelvan-sway-XXXXXX";
    if (mkdtemp(path) == nullptr) return "";
    std::ofstream config(std::string(path) + "/config");
    config << "output HEADLESS-1 resolution 1280x720@60Hz\n"
           << "for_window [app_id=\"zelvan\"] floating enable\n"
           << "default_border normal\n";
    config.close();
    if (as_root()) {
        passwd *nobody = getpwnam("nobody");
        if (nobody == nullptr) return "";
        if (chown(path, nobody->pw_uid, nobody->pw_gid) != 0) return "";
        chown((std::string(path) + "/config").c_str(), nobody->pw_uid, nobody->pw_gid);
    }
    chmod(path, 0700);
    return path;
}

// The name of the first file in `folder` that starts with `prefix` and is a socket.
std::string socket_in(const std::string &folder, const std::string &prefix) {
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(folder, error)) {
        std::string name = entry.path().filename().string();
        if (name.compare(0, prefix.size(), prefix) == 0 && entry.is_socket(error)) return name;
    }
    return "";
}

// A headless sway in a runtime folder of its own, with a pointer and a keyboard on its seat.
struct compositor {
    pid_t pid = -1;
    std::string runtime, display, ipc;
    virtual_pointer *devices = nullptr;
};

void stop_compositor(compositor &c) {
    delete c.devices;
    child_process::stop(c.pid);
    std::error_code error;
    if (!c.runtime.empty()) std::filesystem::remove_all(c.runtime, error);
    c = compositor{};
}

bool start_compositor(compositor &c) {
    c.runtime = make_runtime_folder();
    if (c.runtime.empty()) return false;
    std::vector<std::string> argv{"sway", "-c", c.runtime + "/config"};
    if (as_root()) {
        argv.insert(argv.begin(),
                    {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"});
    }
    c.pid =
        spawn(argv,
              session_environment(c.runtime, {"WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1",
                                              "WLR_RENDERER=pixman", "HOME=" + c.runtime}),
              -1);
    bool up = poll_until(
        [&] {
            c.display = socket_in(c.runtime, "wayland-");
            c.ipc = socket_in(c.runtime, "sway-ipc");
            return !c.display.empty() && !c.ipc.empty();
        },
        30.0);
    if (!up) return false;
    setenv("XDG_RUNTIME_DIR", c.runtime.c_str(), 1);
    c.devices = new virtual_pointer(c.display);
    return c.devices->made();
}

bool running(const compositor &c) {
    int status;
    return c.pid > 0 && waitpid(c.pid, &status, WNOHANG) == 0;
}

bool sway_at(const compositor &c, const std::vector<std::string> &args) {
    std::vector<std::string> argv{"swaymsg"};
    argv.insert(argv.end(), args.begin(), args.end());
    int status = -1;
    child_process::run(
        argv, session_environment(c.runtime, {"SWAYSOCK=" + c.runtime + "/" + c.ipc}), &status);
    return status == 0;
}

// The compositor the program's tests share, stopped when the program ends.
compositor &shared_compositor(void) {
    static compositor *shared = nullptr;
    if (shared == nullptr) {
        shared = new compositor;
        atexit([] { stop_compositor(*shared); });
    }
    return *shared;
}

std::string current_test_filter() {
    const testing::TestInfo *info = testing::UnitTest::GetInstance()->current_test_info();
    return std::string("--gtest_filter=") + info->test_suite_name() + "." + info->name();
}

const char *missing_tool(void) {
    for (const char *tool : {"sway", "swaymsg", "grim", "wtype", "wl-paste"}) {
        if (!in_path(tool)) return tool;
    }
    return nullptr;
}

// Runs the test in a child, the compositor's output at `scale`, seen as `how` asks.
void run_session(int scale, const compositor &c, const options &how) {
    ASSERT_TRUE(sway_at(c, {"output", "HEADLESS-1", "scale", std::to_string(scale)}));
    // The pointer a test before left over the windows would show in this one's shots.
    ASSERT_TRUE(sway_at(c, {"seat", "-", "cursor", "set", "0", "0"}));
    std::string display = c.display;
    std::unique_ptr<compositor_filter> filter;
    if (how.look != compositor_look::as_is) {
        display = "zelvan-filtered";
        filter = std::make_unique<compositor_filter>(c.runtime, c.display, display, how.look);
        ASSERT_TRUE(filter->listening()) << "no filter socket in " << c.runtime;
    }
    std::vector<std::string> env = session_environment(
        c.runtime, {"WAYLAND_DISPLAY=" + display, "SWAYSOCK=" + c.runtime + "/" + c.ipc,
                    std::string(k_child_marker) + "=" + std::to_string(scale),
                    std::string(k_compositor_pid) + "=" + std::to_string(c.pid)});
    fflush(stdout);
    error_capture errors;
    if (how.child_errors != nullptr) errors.open();
    pid_t child = spawn({"/proc/self/exe", current_test_filter()}, env, 1, -1, errors.fd);
    int status = wait_for(child, 100.0);
    if (how.child_errors != nullptr) *how.child_errors = errors.take();
    EXPECT_EQ(status, 0) << "the test failed under sway at scale " << scale
                         << " (its output is above)";
}

void skip(const char *tool) {
    GTEST_SKIP() << tool << " is not installed: the Wayland end-to-end test cannot run";
}

} // namespace

bool run_in_child(int scale, const options &how) {
    if (const char *child = getenv(k_child_marker)) return atoi(child) == scale;
    if (const char *tool = missing_tool()) {
        skip(tool);
        return false;
    }
    compositor own;
    compositor &c = how.own_compositor ? own : shared_compositor();
    if (!running(c)) {
        stop_compositor(c); // one that a test ended, or that died
        if (!start_compositor(c)) {
            ADD_FAILURE() << "sway did not start, or gave no virtual pointer";
            stop_compositor(c);
            return false;
        }
    }
    run_session(scale, c, how);
    if (how.own_compositor) stop_compositor(own);
    return false;
}

int scale(void) {
    const char *value = getenv(k_child_marker);
    return value != nullptr ? atoi(value) : 1;
}

std::string run(const std::vector<std::string> &argv, int *status) {
    return child_process::run(argv, environment_without({}), status);
}

bool sway(const std::vector<std::string> &args) {
    std::vector<std::string> argv{"swaymsg"};
    argv.insert(argv.end(), args.begin(), args.end());
    int status = -1;
    run(argv, &status);
    return status == 0;
}

void cursor(const std::vector<std::string> &args) {
    std::vector<std::string> command{"seat", "-", "cursor"};
    command.insert(command.end(), args.begin(), args.end());
    ASSERT_TRUE(sway(command)) << "swaymsg seat - cursor " << args[0] << " failed";
}

void wtype(const std::vector<std::string> &args) {
    std::vector<std::string> argv{"wtype"};
    argv.insert(argv.end(), args.begin(), args.end());
    int status = -1;
    run(argv, &status);
    ASSERT_EQ(status, 0) << "wtype failed";
}

namespace {

// The picture's place: the container's, moved by where the view stands in it.
bool find_in(const json_value &node, const std::string &title, area *found) {
    if (node["name"].text == title && node["pid"].as_int() > 0) {
        const json_value &r = node["rect"], &v = node["window_rect"];
        *found = area{true, r["x"].as_int() + v["x"].as_int(), r["y"].as_int() + v["y"].as_int(),
                      v["width"].as_int(), v["height"].as_int()};
        return true;
    }
    for (const char *children : {"nodes", "floating_nodes"}) {
        for (const json_value &child : node[children].items) {
            if (find_in(child, title, found)) return true;
        }
    }
    return false;
}

} // namespace

area find_window(const std::string &title) {
    area found{};
    find_in(json_parse(run({"swaymsg", "-r", "-t", "get_tree"})), title, &found);
    return found;
}

bool sway_window_settled(const std::string &title, area *where, int width, int height) {
    area before{};
    auto since = std::chrono::steady_clock::now();
    return poll_until(
        [&] {
            area now = find_window(title);
            bool sized = now.found && (width == 0 || (now.width == width && now.height == height));
            if (!sized || now.x != before.x || now.y != before.y || now.width != before.width ||
                now.height != before.height)
                since = std::chrono::steady_clock::now();
            before = now;
            *where = now;
            return sized &&
                   std::chrono::steady_clock::now() - since >= std::chrono::milliseconds(330);
        },
        10.0);
}

picture capture(int x, int y, int width, int height, int at_scale) {
    std::ostringstream geometry;
    geometry << x << "," << y << " " << width << "x" << height;
    std::vector<std::string> argv{"grim", "-g", geometry.str(), "-t", "ppm"};
    if (at_scale > 0) argv.insert(argv.end(), {"-s", std::to_string(at_scale)});
    argv.push_back("-");
    std::string ppm = run(argv);
    picture shot;
    std::istringstream in(ppm);
    std::string magic;
    int max = 0;
    if (!(in >> magic >> shot.width >> shot.height >> max) || magic != "P6" || max != 255) {
        return picture{};
    }
    size_t start = size_t(in.tellg()) + 1, count = size_t(shot.width) * size_t(shot.height);
    if (ppm.size() < start + 3 * count) return picture{};
    shot.pixels.resize(count);
    const unsigned char *p = reinterpret_cast<const unsigned char *>(ppm.data()) + start;
    for (size_t i = 0; i < count; ++i, p += 3) {
        shot.pixels[i] = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
    return shot;
}

void kill_compositor(void) {
    const char *pid = getenv(k_compositor_pid);
    ASSERT_NE(pid, nullptr);
    kill(pid_t(atoi(pid)), SIGKILL);
}

} // namespace wayland_session
