// An idle library with open windows sleeps instead of spinning.
#include "../api/poll.h"
#include "zelvan.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <chrono>
#include <thread>

static double cpu_seconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

TEST(Idle, OpenWindowsCostAlmostNoCpu) {
    int windows[3];
    for (int &w : windows) {
        w = ZVCreateWindow(10, 10, 200, 150, "idle");
        ASSERT_NE(w, 0);
    }
    double cpu_before = cpu_seconds();
    auto wall_before = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_before).count();
    double share = (cpu_seconds() - cpu_before) / wall;
    EXPECT_LT(share, 0.05) << "the library used " << share * 100 << "% of a core while idle";
    for (int w : windows) ZVDestroyWindow(w);
}
