// The Wayland session of the end-to-end tests: a private headless sway, a virtual pointer on
// its seat, and the test re-run in a child process that talks to them.
#include "wayland_session.h"

#include "../child_process.h"
#include "virtual_pointer.h"

#include <pwd.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
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

std::string make_runtime_folder(int scale) {
    char path[] = "/tmp/zelvan-sway-XXXXXX";
    if (mkdtemp(path) == nullptr) return "";
    std::ofstream config(std::string(path) + "/config");
    config << "output HEADLESS-1 resolution 1280x720 scale " << scale << "\n"
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

pid_t start_sway(const std::string &runtime) {
    std::vector<std::string> argv{"sway", "-c", runtime + "/config"};
    if (as_root()) {
        argv.insert(argv.begin(),
                    {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"});
    }
    return spawn(argv,
                 session_environment(runtime, {"WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1",
                                               "WLR_RENDERER=pixman", "HOME=" + runtime}),
                 -1);
}

std::string current_test_filter() {
    const testing::TestInfo *info = testing::UnitTest::GetInstance()->current_test_info();
    return std::string("--gtest_filter=") + info->test_suite_name() + "." + info->name();
}

const char *missing_tool(void) {
    for (const char *tool : {"sway", "swaymsg", "grim", "wtype", "wl-paste", "python3"}) {
        if (!in_path(tool)) return tool;
    }
    return nullptr;
}

// Runs the test in a child under a sway that is up, with a pointer on its seat.
void run_session(int scale, const std::string &runtime, pid_t compositor,
                 std::string *child_errors) {
    std::string display, ipc;
    bool up = poll_until(
        [&] {
            display = socket_in(runtime, "wayland-");
            ipc = socket_in(runtime, "sway-ipc");
            return !display.empty() && !ipc.empty();
        },
        30.0);
    ASSERT_TRUE(up) << "sway did not start";
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    virtual_pointer pointer(display);
    ASSERT_TRUE(pointer.made()) << "sway gave no virtual pointer";
    std::vector<std::string> env = session_environment(
        runtime, {"WAYLAND_DISPLAY=" + display, "SWAYSOCK=" + runtime + "/" + ipc,
                  std::string(k_child_marker) + "=" + std::to_string(scale),
                  std::string(k_compositor_pid) + "=" + std::to_string(compositor)});
    fflush(stdout);
    error_capture errors;
    if (child_errors != nullptr) errors.open();
    pid_t child = spawn({"/proc/self/exe", current_test_filter()}, env, 1, -1, errors.fd);
    int status = wait_for(child, 100.0);
    if (child_errors != nullptr) *child_errors = errors.take();
    EXPECT_EQ(status, 0) << "the test failed under sway at scale " << scale
                         << " (its output is above)";
}

void skip(const char *tool) {
    GTEST_SKIP() << tool << " is not installed: the Wayland end-to-end test cannot run";
}

} // namespace

bool run_in_child(int scale, std::string *child_errors) {
    if (const char *child = getenv(k_child_marker)) return atoi(child) == scale;
    if (const char *tool = missing_tool()) {
        skip(tool);
        return false;
    }
    std::string runtime = make_runtime_folder(scale);
    if (runtime.empty()) {
        ADD_FAILURE() << "no runtime folder for sway";
        return false;
    }
    pid_t compositor = start_sway(runtime);
    run_session(scale, runtime, compositor, child_errors);
    stop(compositor);
    std::error_code error;
    std::filesystem::remove_all(runtime, error);
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

area find_window(const std::string &title) {
    // The picture's place: the container's, moved by where the view stands in it.
    static const char script[] =
        "import json, sys\n"
        "def walk(n):\n"
        "    if n.get('name') == sys.argv[1] and n.get('pid'):\n"
        "        r, v = n['rect'], n['window_rect']\n"
        "        print(r['x'] + v['x'], r['y'] + v['y'], v['width'], v['height'])\n"
        "    for c in n.get('nodes', []) + n.get('floating_nodes', []): walk(c)\n"
        "walk(json.loads(sys.stdin.read()))\n";
    std::string tree = run({"swaymsg", "-r", "-t", "get_tree"});
    char path[] = "/tmp/zelvan-tree-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0) return area{};
    if (write(fd, tree.data(), tree.size()) != ssize_t(tree.size())) tree.clear();
    close(fd);
    std::string found = run({"sh", "-c", "python3 -c \"$0\" \"$1\" < \"$2\"", script, title, path});
    unlink(path);
    area a{};
    std::istringstream in(found);
    a.found = bool(in >> a.x >> a.y >> a.width >> a.height);
    return a;
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
