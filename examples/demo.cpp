// Zelvan demo: windows opened from several threads, moved, resized, retitled and closed.
#include "zelvan.h"

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

static void pause_ms(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Each thread opens its own window, walks it across the screen and closes it.
static void wander(int index) {
    char title[64];
    std::snprintf(title, sizeof title, "Zelvan demo - thread %d", index);
    int window = ZVCreateWindow(60 + 220 * index, 80, 200, 150, title);
    if (window == 0) {
        std::printf("thread %d: %s\n", index, ZVGetErrorString(ZVGetLastError()));
        return;
    }
    for (int step = 1; step <= 10; ++step) {
        ZVMove(window, 60 + 220 * index, 80 + 20 * step);
        pause_ms(100);
    }
    ZVResize(window, 200 + 10 * index, 180);
    std::snprintf(title, sizeof title, "thread %d: %d x %d at (%d, %d)", index, ZVGetWidth(window),
                  ZVGetHeight(window), ZVGetWindowX(window), ZVGetWindowY(window));
    ZVSetTitle(window, title);
    std::printf("%s\n", ZVGetTitle(window));
    pause_ms(500);
    ZVDestroyWindow(window);
}

int main() {
    std::printf("Zelvan version %d\n", ZVGetVersion());
    std::vector<std::thread> threads;
    for (int i = 0; i < 3; ++i) threads.emplace_back(wander, i);
    for (auto &t : threads) t.join();
    std::printf("all windows closed: %s\n", ZVIsWindow(1) == ZV_ERR_BAD_WINDOW ? "yes" : "no");
    return 0;
}
