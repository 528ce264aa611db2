// One example run as on a desktop: DISPLAY is set, so it waits for the user, who is played
// here through the headless screen's input. Each test executable holds one example, whose
// main() is renamed example_main() at build time; EXAMPLE names it.
#include "tests/api/headless_helpers.h"
#include "tests/api/poll.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#ifdef EXAMPLE_TAKES_ARGUMENTS
int example_main(int argc, char **argv);
#else
int example_main();
#endif

namespace {

const ZVCOLOUR black = ZVGetRGBColour(0, 0, 0);
const ZVCOLOUR white = ZVGetRGBColour(255, 255, 255);

// The example running on a thread of its own, as the user's program.
struct RunningExample {
    std::thread thread;
    std::atomic<bool> done{false};
    int status = -1;

    void start() {
        thread = std::thread([this] {
#ifdef EXAMPLE_TAKES_ARGUMENTS
            char name[] = EXAMPLE;
            char *argv[] = {name, nullptr};
            status = example_main(1, argv);
#else
            status = example_main();
#endif
            done = true;
        });
    }
    // True once the example has returned; a hung example is left running and reported.
    bool finished() {
        if (!poll_until([this] { return done.load(); }, 20.0)) {
            thread.detach();
            return false;
        }
        thread.join();
        return true;
    }
};

class Desktop : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(headless_test_activate());
        setenv("DISPLAY", ":zelvan-test", 1); // the examples only look whether it is set
        // A folder of this process's own: tests of one example may run side by side.
        folder = testing::TempDir() + "zelvan-" EXAMPLE "-" + std::to_string(getpid());
        mkdir(folder.c_str(), 0755);
        std::remove((folder + "/" EXAMPLE ".bmp").c_str());
        setenv("ZELVAN_PICTURES", folder.c_str(), 1);
    }
    // Waits until windows 1 to `count` are open: handles are given lowest first.
    static bool windows_open(int count) {
        return poll_until([count] { return ZVIsWindow(count) == ZV_OK; });
    }
    // The size of a BMP file the example wrote, or 0 x 0 when it cannot be read.
    std::pair<int, int> picture_size(const std::string &name) {
        int bitmap = ZVLoadBitmap((folder + "/" + name).c_str());
        if (bitmap == 0) return {0, 0};
        std::pair<int, int> size{ZVGetBitmapWidth(bitmap), ZVGetBitmapHeight(bitmap)};
        ZVDiscardBitmap(bitmap);
        return size;
    }

    std::string folder;
    RunningExample example;
};

} // namespace

// The example waits for the user, and q (or Esc) ends it, saving its picture.
TEST_F(Desktop, RunsUntilQuitThenSavesItsPicture) {
    const int windows = std::string(EXAMPLE) == "threads" ? 4 : 1;
    example.start();
    ASSERT_TRUE(windows_open(windows));
    // Still running with nobody at the keyboard (the headless run would be saving by now).
    EXPECT_FALSE(poll_until([this] { return example.done.load(); }, 1.5));
    headless_test_type(std::string(EXAMPLE) == "text" ? 27 : 'q', 1);
    ASSERT_TRUE(example.finished());
    EXPECT_EQ(example.status, 0);
    // The sketchpad saves only when asked to with s, like its Python twin.
    bool saves_on_quit = std::string(EXAMPLE) != "sketchpad";
    using Size = std::pair<int, int>;
    Size expected = saves_on_quit ? Size(EXPECTED_WIDTH, EXPECTED_HEIGHT) : Size(0, 0);
    EXPECT_EQ(picture_size(EXAMPLE ".bmp"), expected);
}

#ifdef EXAMPLE_IS_SKETCHPAD
static void click(int window, int x, int y, int button) {
    POINT at = client_to_screen(window, x, y);
    headless_test_move_pointer(at.x, at.y, 0);
    headless_test_press(button, 0);
    headless_test_release(button, 0);
}

// Drawing with the mouse, saving with s, copying with c and clearing with a right click.
TEST_F(Desktop, SketchpadDrawsWhereTheMouseGoesAndSavesCopiesAndClears) {
    example.start();
    ASSERT_TRUE(windows_open(1));
    click(1, 50, 200, DISPLAY_BUTTON_LEFT); // pen down
    ASSERT_TRUE(poll_until([] { return ZVGetPixel(1, 50, 200) == black; }));
    POINT to = client_to_screen(1, 300, 200);
    headless_test_move_pointer(to.x, to.y, 0);
    ASSERT_TRUE(poll_until([] { return ZVGetPixel(1, 175, 200) == black; }));

    headless_test_type('s', 1);
    ASSERT_TRUE(poll_until([this] { return picture_size("sketchpad.bmp").first == 480; }));
    std::vector<unsigned char> clipboard;
    headless_test_type('c', 1);
    EXPECT_TRUE(poll_until([&] { return headless_test_clipboard(&clipboard); }));

    click(1, 100, 100, DISPLAY_BUTTON_RIGHT); // clear the page
    EXPECT_TRUE(poll_until([] { return ZVGetPixel(1, 175, 200) == white; }));
    headless_test_type(27, 1);
    ASSERT_TRUE(example.finished());
    EXPECT_EQ(example.status, 0);
}
#endif
