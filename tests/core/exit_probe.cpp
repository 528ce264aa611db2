// Returns from main while other threads keep drawing, making windows and bitmaps: the
// library's shutdown then runs under their calls. Exits 0 unless something crashes.
#include "zelvan.h"

#include <atomic>
#include <thread>

namespace {

std::atomic<int> g_busy_threads{0};

void draw_until_exit(int window, int seed) {
    bool counted = false;
    for (int i = 0;; ++i) {
        int x = (i * 7 + seed) % 60;
        ZVLine(window, x, 59 - x);
        ZVFillRectangle(window, x, x, x + 5, x + 5);
        ZVCOLOUR block[16];
        ZVGetPixels(window, x, x, 4, 4, block, 4);
        // Cheap calls, so that many lookups are under way when the library ends.
        for (int k = 0; k < 64; ++k) ZVGetPixel(window, k, x);
        int bitmap = ZVCopyBitmap(window, 0, 0, 8, 8);
        ZVDiscardBitmap(bitmap);
        if (i % 16 == 0) ZVDestroyWindow(ZVCreateWindow(0, 0, 20, 20, "short"));
        if (!counted) g_busy_threads.fetch_add(1);
        counted = true;
    }
}

} // namespace

int main() {
    int window = ZVCreateWindow(10, 10, 64, 64, "exit while drawing");
    if (window == 0) return 1;
    const int threads = 3;
    for (int t = 0; t < threads; ++t) std::thread(draw_until_exit, window, t).detach();
    while (g_busy_threads.load() < threads) std::this_thread::yield();
    return 0;
}
