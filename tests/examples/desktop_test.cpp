// One example run as on a desktop: it asks where its windows are and hears of a screen, so it
// waits for the user, who is played here through the headless screen's input. Each test executable
// holds one example, whose main() is renamed example_main() at build time; EXAMPLE names it.
#include "tests/api/headless_helpers.h"
#include "tests/api/poll.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#ifdef EXAMPLE_TAKES_ARGUMENTS
int example_main(int argc, char **argv);
#elif defined(EXAMPLE_IN_C)
extern "C" int example_main(void);
#else
int example_main();
#endif

// What the examples' ZVGetDisplayKind calls become in these tests: a screen someone plays.
extern "C" const char *played_display_kind(void) {
    return "played";
}

namespace {

const ZVCOLOUR black = ZVGetRGBColour(0, 0, 0);
const ZVCOLOUR white = ZVGetRGBColour(255, 255, 255);

// One keystroke as a keyboard makes it: the key goes down, types its character, comes up.
void keystroke(int virtual_key, char character) {
    headless_test_key_down(virtual_key, 0);
    headless_test_type(character, 1);
    headless_test_key_up(virtual_key, 0);
}

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
    // A test that failed early leaves the example running: it is let go, not a terminate.
    ~RunningExample() {
        if (thread.joinable()) thread.detach();
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
        // A folder of this process's own: tests of one example may run side by side.
        folder = testing::TempDir() + "zelvan-" EXAMPLE "-" + std::to_string(getpid());
        mkdir(folder.c_str(), 0755);
        std::remove((folder + "/" EXAMPLE ".bmp").c_str());
        setenv("ZELVAN_PICTURES", folder.c_str(), 1);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    // Waits until windows 1 to `count` are open and on the screen: handles are given lowest
    // first, and a handle is valid a moment before its window is shown, when a click would
    // still miss it.
    static bool windows_open(int count) {
        return poll_until(
            [count] { return ZVIsWindow(count) == ZV_OK && screen_state_of(count).visible; });
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
    if (std::string(EXAMPLE) == "text" || std::string(EXAMPLE) == "textentry")
        keystroke(VK_ESCAPE, 27);
    else
        keystroke('Q', 'q');
    ASSERT_TRUE(example.finished());
    EXPECT_EQ(example.status, 0);
    // The sketchpad saves only when asked to with s, like its Python twin.
    bool saves_on_quit = std::string(EXAMPLE) != "sketchpad";
    using Size = std::pair<int, int>;
    Size expected = saves_on_quit ? Size(EXPECTED_WIDTH, EXPECTED_HEIGHT) : Size(0, 0);
    EXPECT_EQ(picture_size(EXAMPLE ".bmp"), expected);
}

#ifdef EXAMPLE_IS_SKETCHPAD
static void move_to(int window, int x, int y, int buttons) {
    POINT at = client_to_screen(window, x, y);
    headless_test_move_pointer(at.x, at.y, buttons);
}

// Drawing while the left button is held, saving with s, copying with c and clearing with a
// right click.
TEST_F(Desktop, SketchpadDrawsWhileTheButtonIsHeldAndSavesCopiesAndClears) {
    example.start();
    ASSERT_TRUE(windows_open(1));
    move_to(1, 50, 200, 0);
    headless_test_press(DISPLAY_BUTTON_LEFT, 0); // the pen goes down
    ASSERT_TRUE(poll_until([] { return ZVGetPixel(1, 50, 200) == black; }));
    move_to(1, 300, 200, DISPLAY_BUTTON_LEFT);
    ASSERT_TRUE(poll_until([] { return ZVGetPixel(1, 175, 200) == black; }));
    headless_test_release(DISPLAY_BUTTON_LEFT, 0); // and up: moving on draws nothing
    move_to(1, 300, 300, 0);

    keystroke('S', 's');
    ASSERT_TRUE(poll_until([this] { return picture_size("sketchpad.bmp").first == 480; }));
    std::vector<unsigned char> clipboard;
    keystroke('C', 'c');
    EXPECT_TRUE(poll_until([&] { return headless_test_clipboard(&clipboard); }));
    // Both keys were read after the sketchpad's next looks at the mouse.
    EXPECT_EQ(ZVGetPixel(1, 300, 250), white);

    move_to(1, 100, 100, 0);
    headless_test_press(DISPLAY_BUTTON_RIGHT, 0); // clear the page
    headless_test_release(DISPLAY_BUTTON_RIGHT, 0);
    EXPECT_TRUE(poll_until([] { return ZVGetPixel(1, 175, 200) == white; }));
    ASSERT_TRUE(headless_test_close(hwnd_of(1))); // the close box ends it
    ASSERT_TRUE(example.finished());
    EXPECT_EQ(example.status, 0);
}
#endif

#ifdef EXAMPLE_IS_GAME
// The colour of a client pixel the window shows, as a ZVCOLOUR.
static ZVCOLOUR shown_at(int window, int x, int y) {
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    if (!headless_test_read_client(hwnd_of(window), &pixels, &width, &height)) return 0;
    if (x >= width || y >= height) return 0;
    uint32_t bgrx = pixels[size_t(y) * size_t(width) + size_t(x)];
    return ZVGetRGBColour(bgrx >> 16 & 0xFF, bgrx >> 8 & 0xFF, bgrx & 0xFF);
}

// An arrow key held moves the square; the close box ends the game, which saves its picture.
TEST_F(Desktop, GameMovesTheSquareWithTheArrowKeysAndEndsAtTheCloseBox) {
    const ZVCOLOUR square = ZVGetRGBColour(40, 120, 220);
    example.start();
    ASSERT_TRUE(windows_open(1));
    ASSERT_TRUE(poll_until([&] { return shown_at(1, 200, 150) == square; }));
    headless_test_key_down(VK_RIGHT, 0);
    EXPECT_TRUE(poll_until([&] { return shown_at(1, 300, 150) == square; }));
    headless_test_key_up(VK_RIGHT, 0);
    EXPECT_NE(shown_at(1, 200, 150), square);
    EXPECT_FALSE(example.done.load());
    ASSERT_TRUE(headless_test_close(hwnd_of(1)));
    ASSERT_TRUE(example.finished());
    EXPECT_EQ(example.status, 0);
    EXPECT_EQ(picture_size("game.bmp"), std::make_pair(400, 300));
}
#endif

#ifdef EXAMPLE_IS_TEXT_ENTRY
// Characters of any language typed, one taken back with Backspace: the line, which the title
// follows, holds the rest as UTF-8; Enter keeps it and starts an empty one.
TEST_F(Desktop, TextEntryTakesTypedCharactersOfAnyLanguage) {
    example.start();
    ASSERT_TRUE(windows_open(1));
    for (uint32_t c : {0x436u, 0x3BBu, 0x20ACu, uint32_t('x'), uint32_t('\b'), 0x1F642u})
        headless_test_type(c, 1);
    const std::string typed = "\xD0\xB6\xCE\xBB\xE2\x82\xAC\xF0\x9F\x99\x82"; // жλ€🙂
    EXPECT_TRUE(poll_until([&] { return typed == ZVGetTitle(1); })) << ZVGetTitle(1);
    keystroke(VK_RETURN, '\r');
    EXPECT_TRUE(poll_until([&] { return std::string(ZVGetTitle(1)).empty(); }));
    EXPECT_FALSE(example.done.load());
    keystroke(VK_ESCAPE, 27);
    ASSERT_TRUE(example.finished());
    EXPECT_EQ(example.status, 0);
}
#endif
