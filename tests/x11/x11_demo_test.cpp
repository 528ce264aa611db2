// The demo on a real X server: what it shows is the picture it saves, a click draws a ring,
// and q ends it.
#include "x11_session.h"

#include <fstream>
#include <iterator>
#include <signal.h>
#include <stdlib.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using namespace x11_session;

namespace {

std::vector<unsigned char> read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// The 24-bit bottom-up file the demo writes, as 0x00RRGGBB pixels top row first.
std::vector<unsigned long> bmp_pixels(const std::vector<unsigned char> &file, int width,
                                      int height) {
    std::vector<unsigned long> pixels;
    size_t row_bytes = (static_cast<size_t>(width) * 3 + 3) & ~size_t(3);
    for (int y = 0; y < height; ++y) {
        const unsigned char *row = &file[54 + row_bytes * (height - 1 - y)];
        for (int x = 0; x < width; ++x)
            pixels.push_back(row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16);
    }
    return pixels;
}

struct demo_process {
    pid_t pid = -1;
    ~demo_process() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
};

} // namespace

TEST(X11Demo, ShowsItsSavedPictureAndAnswersMouseAndKeys) {
    if (ZELVAN_DEMO[0] == '\0') GTEST_SKIP() << "the examples are not built";
    if (!run_in_child()) return;
    char folder[] = "/tmp/zelvan-demo-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    // A sanitizer build of the demo reports fontconfig's own once-per-process leak at exit.
    setenv("LSAN_OPTIONS", "suppressions=" ZELVAN_SOURCE_DIR "/tests/lsan.supp", 1);
    demo_process demo;
    demo.pid = fork();
    ASSERT_GE(demo.pid, 0);
    if (demo.pid == 0) {
        if (chdir(folder) == 0) execl(ZELVAN_DEMO, ZELVAN_DEMO, static_cast<char *>(nullptr));
        _exit(127);
    }
    const int width = 400, height = 310; // the shapes window's client area
    std::string saved = std::string(folder) + "/zelvan-demo-shapes.bmp";
    size_t full_size = 54 + ((width * 3 + 3) & ~3) * height;
    ASSERT_TRUE(poll_until([&] { return read_file(saved).size() == full_size; }, 30));
    std::vector<unsigned long> expected = bmp_pixels(read_file(saved), width, height);

    Window shapes = find_window("Zelvan demo - shapes");
    ASSERT_NE(shapes, 0u);
    geometry at{};
    ASSERT_TRUE(poll_until([&] {
        at = window_geometry(shapes);
        return at.viewable && at.width == width && at.height == height;
    }));
    EXPECT_TRUE(poll_until([&] { return capture(at.x, at.y, width, height) == expected; }, 10))
        << "the screen does not show the picture the demo saved";

    // A click in an empty corner drops a red ring around the pointer.
    run({"xdotool", "mousemove", std::to_string(at.x + 380), std::to_string(at.y + 195), "click",
         "1"});
    EXPECT_TRUE(poll_until([&] {
        for (unsigned long pixel : capture(at.x + 371, at.y + 186, 19, 19))
            if (pixel == 0xDC2828) return true;
        return false;
    }));

    run({"xdotool", "type", "q"});
    int status = -1;
    ASSERT_TRUE(poll_until([&] { return waitpid(demo.pid, &status, WNOHANG) == demo.pid; }, 20))
        << "the demo did not end on q";
    demo.pid = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    run({"rm", "-rf", folder});
}
