// Threads: four threads, each drawing a flower into a window of its own, all at once.
//
// Every Zelvan function may be called from any thread. Calls on different windows never wait
// for each other, so the simplest safe pattern is one thread per window. When the flowers
// are done, the main thread copies the four windows into one picture, threads.bmp.
//
// On a desktop the threads keep redrawing in new colours until you press q (or Esc) in any
// window; without a display each draws its flower once (about a second). Pictures go to the
// folder named by ZELVAN_PICTURES, or else to the current folder.
#include "zelvan.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

static const int thread_count = 4;
static const int size = 200; // every window is size x size pixels

// Set by the main thread when the user asks to quit; the drawing threads look at it often.
static std::atomic<bool> quit{false};

// True when the windows are on a screen someone sees; headless they are drawn in memory.
static bool on_desktop() {
    return std::string(ZVGetDisplayKind()) != "headless";
}

static std::string picture_path(const char *name) {
    const char *folder = std::getenv("ZELVAN_PICTURES");
    if (folder == nullptr || folder[0] == '\0') return name;
    return std::string(folder) + "/" + name;
}

// A colour from a position on the colour wheel, 0 to 1.
static ZVCOLOUR wheel_colour(double turn) {
    const double pi = 3.14159265358979;
    int red = (int)(127.5 + 127.5 * std::cos(2 * pi * turn));
    int green = (int)(127.5 + 127.5 * std::cos(2 * pi * turn - 2.0));
    int blue = (int)(127.5 + 127.5 * std::cos(2 * pi * turn - 4.0));
    return ZVGetRGBColour(red, green, blue);
}

// Draws the rose curve r = cos(k * angle) a little at a time, so that all four windows can
// be watched growing together. An odd k gives k petals, an even k twice as many.
static void draw_flower(int w, int index, double turn) {
    const int rose_k[thread_count] = {3, 2, 5, 4};
    const double pi = 3.14159265358979;
    const int steps = 400;
    const double radius = size / 2 - 12;
    ZVClearDrawBuffer(w);
    ZVSetForeground(w, wheel_colour(turn));
    ZVSetLineWidth(w, 2);
    for (int step = 0; step <= steps && !quit; ++step) {
        double angle = 2 * pi * step / steps;
        double r = radius * std::cos(rose_k[index] * angle);
        int x = size / 2 + (int)std::lround(r * std::cos(angle));
        int y = size / 2 - (int)std::lround(r * std::sin(angle));
        if (step == 0)
            ZVMoveTo(w, x, y);
        else
            ZVLine(w, x, y);
        if (step % 4 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    char text[24];
    std::snprintf(text, sizeof text, "thread %d", index + 1);
    ZVSetForeground(w, ZVGetRGBColour(0, 0, 0));
    ZVTextOut(w, 6, 4, text);
}

// The work of one thread: a flower in its own window, again in new colours until quit.
static void draw_in_window(int w, int index, bool keep_going) {
    double turn = index / 4.0;
    do {
        draw_flower(w, index, turn);
        turn += 0.15;
    } while (keep_going && !quit);
}

// Waits until q or Esc is typed into any of the windows.
static void wait_for_quit(const int *windows) {
    while (!quit) {
        for (int i = 0; i < thread_count; ++i) {
            while (ZV_kbhit(windows[i]) == 1) {
                char key = ZVReadChar(windows[i]);
                if (key == 'q' || key == 'Q' || key == 27) quit = true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// Copies every window into one picture: ZVCopyBitmap takes what a window shows,
// ZVPasteBitmap puts it into another window.
static int save_all(const int *windows, const char *file_name) {
    int all = ZVCreateWindow(80, 80, 2 * size, 2 * size, "Zelvan threads - all four");
    if (all == 0) return ZVGetLastError();
    for (int i = 0; i < thread_count; ++i) {
        int bitmap = ZVCopyBitmap(windows[i], 0, 0, size, size);
        ZVPasteBitmap(all, bitmap, (i % 2) * size, (i / 2) * size);
        ZVDiscardBitmap(bitmap);
    }
    int saved = ZVSaveImage(all, file_name);
    ZVDestroyWindow(all);
    return saved;
}

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ); // lines show as printed, piped too
    int windows[thread_count];
    for (int i = 0; i < thread_count; ++i) {
        char title[40];
        std::snprintf(title, sizeof title, "Zelvan thread %d - q quits", i + 1);
        windows[i] = ZVCreateWindow(80 + (i % 2) * (size + 30), 80 + (i / 2) * (size + 50), size,
                                    size, title);
        if (windows[i] == 0) {
            std::printf("no window: %s\n", ZVGetErrorString(ZVGetLastError()));
            return 1;
        }
    }
    bool desktop = on_desktop();
    std::vector<std::thread> painters;
    for (int i = 0; i < thread_count; ++i)
        painters.emplace_back(draw_in_window, windows[i], i, desktop);
    if (desktop) wait_for_quit(windows);
    for (std::thread &painter : painters) painter.join();

    std::string picture = picture_path("threads.bmp");
    int saved = save_all(windows, picture.c_str());
    std::printf("%s: %s\n", picture.c_str(), ZVGetErrorString(saved));
    for (int w : windows) ZVDestroyWindow(w);
    return saved == ZV_OK ? 0 : 1;
}
