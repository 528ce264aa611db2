// Hello: the smallest Zelvan program. It opens a window, draws one line and a greeting, and
// waits for you to press q (or Esc) in the window.
//
// Without a screen (headless) nobody could press a key, so it waits a second instead.
// Either way it ends by saving what the window shows as hello.bmp, in the folder named by the
// ZELVAN_PICTURES environment variable, or else in the current folder.
#include "zelvan.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

// True when a desktop is there to show the window; headless runs draw, save and end alone.
static bool on_desktop() {
    return std::string(ZVGetDisplayKind()) != "headless";
}

// Where a picture called `name` is saved: $ZELVAN_PICTURES/name, or name in this folder.
static std::string picture_path(const char *name) {
    const char *folder = std::getenv("ZELVAN_PICTURES");
    if (folder == nullptr || folder[0] == '\0') return name;
    return std::string(folder) + "/" + name;
}

// Looks at the keyboard fifty times a second until q or Esc arrives. ZV_kbhit never waits, so
// the short sleep is what keeps this loop from using a whole processor.
static void wait_for_quit(int window) {
    for (;;) {
        while (ZV_kbhit(window) == 1) {
            char key = ZVReadChar(window);
            if (key == 'q' || key == 'Q' || key == 27) return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ); // lines show as printed, piped too
    // The window's drawing area is 320 x 200 pixels, its top-left corner at (100, 100) on the
    // screen. A handle of 0 means it could not be made; the last error says why.
    int w = ZVCreateWindow(100, 100, 320, 200, "Hello, Zelvan - press q to quit");
    if (w == 0) {
        std::printf("no window: %s\n", ZVGetErrorString(ZVGetLastError()));
        return 1;
    }

    // A line starts at the current position (ZVMoveTo) and ends at the point given to ZVLine.
    // Colours are made from red, green and blue parts, 0 to 255 each.
    ZVSetForeground(w, ZVGetRGBColour(40, 80, 220));
    ZVSetLineWidth(w, 3);
    ZVMoveTo(w, 20, 180);
    ZVLine(w, 300, 60);

    // Text is drawn in the foreground colour, by default with its top-left corner at (x, y).
    ZVSetForeground(w, ZVGetRGBColour(0, 0, 0));
    ZVSetFont(w, 16, 0.0, "DejaVu Sans");
    ZVTextOut(w, 20, 20, "Hello, world");

    // No "show" call is needed: the window repaints itself from its buffer within 50 ms.
    if (on_desktop()) {
        wait_for_quit(w);
    } else {
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }

    std::string picture = picture_path("hello.bmp");
    int saved = ZVSaveImage(w, picture.c_str());
    std::printf("%s: %s\n", picture.c_str(), ZVGetErrorString(saved));
    ZVDestroyWindow(w);
    return saved == ZV_OK ? 0 : 1;
}
